#include "shared/apppaths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& overrideDir() {
    static QString dir;
    return dir;
}
} // namespace

namespace AppPaths {

QString applicationDir() {
    if (!overrideDir().isEmpty())
        return overrideDir();
    return QCoreApplication::applicationDirPath();
}

void setApplicationDirOverride(const QString& dir) {
    overrideDir() = dir;
}

QString appFilePath(const QString& name) {
    QString dir = QDir::toNativeSeparators(applicationDir());
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir + name;
}

} // namespace AppPaths
