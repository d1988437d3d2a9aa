#include "korvel/shell/recentfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

QString RecentFiles::defaultStorePath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QStringLiteral("recent.txt"));
}

RecentFiles::RecentFiles(QString storePath) : m_storePath(std::move(storePath)) {}

QStringList RecentFiles::entries() const {
    QStringList out;
    QFile f(m_storePath);
    if (m_storePath.isEmpty() || !f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString path = QString::fromUtf8(raw).trimmed();
        if (!path.isEmpty() && !out.contains(path) && out.size() < MaxEntries)
            out << path;
    }
    return out;
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty())
        return;
    QStringList list = entries();
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > MaxEntries)
        list.removeLast();
    write(list);
}

void RecentFiles::remove(const QString& path) {
    QStringList list = entries();
    if (list.removeAll(path) > 0)
        write(list);
}

void RecentFiles::write(const QStringList& list) const {
    // A list that cannot be kept is only a convenience lost; nothing to report.
    if (m_storePath.isEmpty() || !QDir().mkpath(QFileInfo(m_storePath).absolutePath()))
        return;
    QSaveFile f(m_storePath);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(list.join(QLatin1Char('\n')).toUtf8() + '\n');
    f.commit();
}
