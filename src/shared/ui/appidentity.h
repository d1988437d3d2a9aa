#pragma once

#include <QIcon>
#include <QString>

class QApplication;

// What the window manager shows of a program: its display name (added to the titles of its
// top-level windows) and its own icon on every window.
namespace AppIdentity {

enum class Program { Korvel, Baxwin };

QString displayName(Program program);
QIcon icon(Program program);
// Sets the application and display names and the default window icon.
void apply(QApplication& app, Program program);

} // namespace AppIdentity
