#include "shared/portmap.h"

#include "shared/apppaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

void readInto(const QString& path, QMap<int, QString>* map) {
    if (path.isEmpty())
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QMap<int, QString> entries = PortMap::parsePortMap(QString::fromUtf8(f.readAll()));
    for (auto it = entries.begin(); it != entries.end(); ++it)
        map->insert(it.key(), it.value());
}

} // namespace

namespace PortMap {

QString defaultDevice(int n) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

QMap<int, QString> parsePortMap(const QString& text) {
    QMap<int, QString> map;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString name = line.left(eq).trimmed();
        const QString device = line.mid(eq + 1).trimmed();
        if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || device.isEmpty())
            continue;
        bool ok = false;
        const int n = name.mid(3).toInt(&ok);
        if (ok && n >= 1 && n <= 8)
            map.insert(n, device);
    }
    return map;
}

QString devicePath(int n) {
    QMap<int, QString> map;
    readInto(AppPaths::configReadPath(QStringLiteral("ports.cfg")), &map);
    readInto(qEnvironmentVariable(OverrideVariable), &map);
    return map.value(n, defaultDevice(n));
}

} // namespace PortMap
