#include "korvel/cli/options.h"

namespace CliOptions {

QString split(const QStringList& args, qsizetype& i, const QStringList& valued, QString& name,
              QString& value) {
    const QString& a = args[i];
    name = a;
    value.clear();
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        name = a.left(eq);
        value = a.mid(eq + 1);
    } else if (valued.contains(name)) {
        if (i + 1 >= args.size())
            return QStringLiteral("option %1 needs a value").arg(name);
        value = args[++i];
    }
    return QString();
}

} // namespace CliOptions
