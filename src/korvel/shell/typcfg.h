#pragma once

#include <QString>

// typ.cfg remembers the last controller type: one line, the type as a decimal number, CR LF. It
// lives where AppPaths keeps the configuration files; while the user's folder has no copy yet,
// the one in a read-only application directory is read.
// The path the file is written to.
QString typCfgPath();
// 1 to 3; 1 when the file is missing, empty, unreadable or holds a value outside 1 to 3.
int readControllerType();

struct WriteResult {
    bool ok = true;
    QString error; // the system's reason when ok is false
};
// Replaces the file atomically, so a failed write leaves the old one as it was.
WriteResult writeControllerType(int type);
