#pragma once

#include <QString>
#include <QStringList>

// The controller commands of korvel-cli: the connection check, channel information, download,
// upload, start and stop, over the same protocol code as Korvel's dialogs.
namespace ControllerCli {

bool isCommand(const QString& name);
const char* helpText();
// args: the command and its options (the program name left out). The exit status.
int run(const QStringList& args);

} // namespace ControllerCli
