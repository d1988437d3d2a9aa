#pragma once

#include <QMap>
#include <QString>

// Which device stands behind COM1..COM8. The optional ports.cfg holds lines COMn=device (for
// example COM1=/dev/ttyUSB0); it is the one AppPaths::configReadPath finds, a user's copy
// replacing the installed one as a whole. A file named by the environment variable
// KORVEL_PORTS_CFG is read after it and wins, so one run can be pointed elsewhere without
// touching the operator's file. Unnamed ports are /dev/ttyS0../dev/ttyS7 on Linux and
// COMn on Windows.
namespace PortMap {

inline constexpr const char* OverrideVariable = "KORVEL_PORTS_CFG";

QString defaultDevice(int n);
// The entries of one port map text; blank lines and lines starting with # or ; are skipped,
// "COM" is matched without regard to case, and numbers outside 1..8 are ignored.
QMap<int, QString> parsePortMap(const QString& text);
// Reads the files again at every call, so an edited map takes effect at the next opening.
QString devicePath(int n);

} // namespace PortMap
