#pragma once

#include <QString>
#include <functional>

// The application directory is the folder that holds the running executable; the language and
// definition files live beside it, and so do the configuration files while it can be written.
namespace AppPaths {

QString applicationDir();
// Tests point the programs at a scratch directory; an empty text restores the real one.
void setApplicationDirOverride(const QString& dir);
// dir + separator + name, adding the separator only when the directory lacks one.
QString appFilePath(const QString& name);

// typ.cfg, com.cfg and ports.cfg stay in the application directory while it can be written (a
// copy run from its build or an unpacked folder). An installed, read-only copy keeps them in
// the user's configuration folder instead, one folder for both programs and the command-line
// tools: <generic configuration location>/korvel (~/.config/korvel on Linux).
QString userConfigDir();
bool applicationDirWritable();
// Root may write anywhere, so tests decide what counts as writable; an empty function restores
// the real check.
void setWritableCheckOverride(std::function<bool(const QString& dir)> check);

// Where a configuration file is written: beside the programs, or in the user's folder when the
// application directory is read-only.
QString configFilePath(const QString& name);
// The application directory's copy, read while the user's folder has none yet: an installed
// starting point. Empty while the application directory is writable (it is the file itself).
QString configFallbackPath(const QString& name);
// The file to read: configFilePath when it exists, else the fallback when that exists, else
// configFilePath (so a reader that creates a missing file creates it where it is written).
QString configReadPath(const QString& name);

} // namespace AppPaths
