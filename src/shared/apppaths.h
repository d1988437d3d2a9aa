#pragma once

#include <QString>

// The application directory is the folder that holds the running executable; the language,
// definition and configuration files live beside it.
namespace AppPaths {

QString applicationDir();
// Tests point the programs at a scratch directory; an empty text restores the real one.
void setApplicationDirOverride(const QString& dir);
// dir + separator + name, adding the separator only when the directory lacks one.
QString appFilePath(const QString& name);

} // namespace AppPaths
