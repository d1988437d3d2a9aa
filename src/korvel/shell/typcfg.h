#pragma once

#include <QString>

// typ.cfg in the application directory remembers the last controller type: one line, the type
// as a decimal number, CR LF.
QString typCfgPath();
// 1 to 3; 1 when the file is missing, empty, unreadable or holds a value outside 1 to 3.
int readControllerType();

struct WriteResult {
    bool ok = true;
    QString error; // the system's reason when ok is false
};
// Replaces the file atomically, so a failed write leaves the old one as it was.
WriteResult writeControllerType(int type);
