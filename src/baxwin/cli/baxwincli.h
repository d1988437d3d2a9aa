#pragma once

#include <QStringList>

// baxwin-cli read --output FILE | write FILE [--flash], with --port, --settings, --lang, --defs,
// --timeout and --flash-timeout after the command in any order. Returns the exit status.
namespace BaxwinCli {
int run(const QStringList& args);
}
