#pragma once

#include <QStringList>

// The start procedure of Baxwin: language, single instance, editor window and source dialog.
// Returns the program's exit status.
namespace MdlMain {
int run(const QStringList& arguments);
}
