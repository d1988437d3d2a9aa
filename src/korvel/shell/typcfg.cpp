#include "korvel/shell/typcfg.h"

#include "shared/apppaths.h"
#include "shared/numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

QString typCfgPath() {
    return AppPaths::configFilePath(QStringLiteral("typ.cfg"));
}

int readControllerType() {
    QFile file(AppPaths::configReadPath(QStringLiteral("typ.cfg")));
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray content = file.readAll();
    if (content.isEmpty())
        return 1;
    // The first item of the first line: up to the first comma or the line end, quotes dropped.
    QString line = QString::fromLatin1(content);
    const qsizetype eol = line.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (eol >= 0)
        line.truncate(eol);
    QString item = line.section(QLatin1Char(','), 0, 0).trimmed();
    if (item.size() >= 2 && item.startsWith(QLatin1Char('"')) && item.endsWith(QLatin1Char('"')))
        item = item.mid(1, item.size() - 2);
    const double v = Numbers::numericValue(item);
    if (v <= 0 || v >= 4)
        return 1;
    const double r = Numbers::roundHalfEven(v);
    if (r < 1 || r > 3)
        return 1;
    return static_cast<int>(r);
}

WriteResult writeControllerType(int type) {
    const QString path = typCfgPath();
    // The user's configuration folder may not exist before the first write.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    file.write(QByteArray::number(type) + "\r\n");
    if (!file.commit())
        return {false, file.errorString()};
    return {};
}
