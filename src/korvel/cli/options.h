#pragma once

#include <QString>
#include <QStringList>

namespace CliOptions {

// Splits the option at args[i], "--name=value" or "--name value"; a name in `valued` without
// "=" takes the next argument as its value and moves i past it. An error text, or empty.
QString split(const QStringList& args, qsizetype& i, const QStringList& valued, QString& name,
              QString& value);

} // namespace CliOptions
