#include "shared/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& overrideDir() {
    static QString dir;
    return dir;
}

std::function<bool(const QString&)>& writableCheck() {
    static std::function<bool(const QString&)> check;
    return check;
}

QString joined(const QString& directory, const QString& name) {
    QString dir = QDir::toNativeSeparators(directory);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir + name;
}
} // namespace

namespace AppPaths {

QString applicationDir() {
    if (!overrideDir().isEmpty())
        return overrideDir();
    // Resolves symbolic links: started as /usr/bin/korvel this is still the installed folder.
    return QCoreApplication::applicationDirPath();
}

void setApplicationDirOverride(const QString& dir) {
    overrideDir() = dir;
}

QString appFilePath(const QString& name) {
    return joined(applicationDir(), name);
}

QString userConfigDir() {
    // The generic location, not the per-application one: Korvel and Baxwin carry different
    // application names but share com.cfg.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : QDir::toNativeSeparators(base + QStringLiteral("/korvel"));
}

bool applicationDirWritable() {
    const QString dir = applicationDir();
    if (writableCheck())
        return writableCheck()(dir);
    return QFileInfo(dir).isWritable();
}

void setWritableCheckOverride(std::function<bool(const QString& dir)> check) {
    writableCheck() = std::move(check);
}

QString configFilePath(const QString& name) {
    // Without a home to write to, the files stay where they always were; writing them fails
    // there as it would have before.
    if (applicationDirWritable() || userConfigDir().isEmpty())
        return appFilePath(name);
    return joined(userConfigDir(), name);
}

QString configFallbackPath(const QString& name) {
    const QString own = appFilePath(name);
    return configFilePath(name) == own ? QString() : own;
}

QString configReadPath(const QString& name) {
    const QString path = configFilePath(name);
    if (QFileInfo::exists(path))
        return path;
    const QString fallback = configFallbackPath(name);
    if (!fallback.isEmpty() && QFileInfo::exists(fallback))
        return fallback;
    return path;
}

} // namespace AppPaths
