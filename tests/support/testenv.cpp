#include "testenv.h"

#include "shared/apppaths.h"
#include "shared/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString builtAppDir() {
    return qEnvironmentVariable("KORVEL_APP_DIR");
}
QString sourceDir() {
    return qEnvironmentVariable("KORVEL_SOURCE_DIR");
}

ScratchAppDir::ScratchAppDir(bool withLanguageFiles) {
    if (withLanguageFiles) {
        for (const char* name : {"LANG0.DAT", "LANG1.DAT", "par0.ini", "par1.ini"}) {
            const QString from = builtAppDir() + QLatin1Char('/') + QLatin1String(name);
            if (QFile::exists(from))
                QFile::copy(from, file(QLatin1String(name)));
        }
    }
    AppPaths::setApplicationDirOverride(m_dir.path());
}

ScratchAppDir::~ScratchAppDir() {
    AppPaths::setApplicationDirOverride(QString());
    AppPaths::setWritableCheckOverride({});
}

QString ScratchAppDir::file(const QString& name) const {
    return m_dir.filePath(name);
}

void ScratchAppDir::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray ScratchAppDir::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ScratchAppDir::useLanguage(int languageNo) const {
    langFile().setINIFile(AppPaths::appFilePath(QStringLiteral("LANG%1.DAT").arg(languageNo)));
}

void ScratchAppDir::pretendReadOnly() const {
    const QString self = m_dir.path();
    AppPaths::setWritableCheckOverride([self](const QString& dir) { return dir != self; });
}

namespace {
const char* const kConfigHome = "XDG_CONFIG_HOME";

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
} // namespace

ScratchConfigHome::ScratchConfigHome()
    : m_previous(qgetenv(kConfigHome)), m_hadPrevious(qEnvironmentVariableIsSet(kConfigHome)) {
    qputenv(kConfigHome, QFile::encodeName(m_dir.path()));
}

ScratchConfigHome::~ScratchConfigHome() {
    if (m_hadPrevious)
        qputenv(kConfigHome, m_previous);
    else
        qunsetenv(kConfigHome);
}

QString ScratchConfigHome::configDir() const {
    return m_dir.filePath(QStringLiteral("korvel"));
}

QString ScratchConfigHome::file(const QString& name) const {
    return configDir() + QLatin1Char('/') + name;
}

bool ScratchConfigHome::exists(const QString& name) const {
    return QFileInfo::exists(file(name));
}

void ScratchConfigHome::write(const QString& name, const QByteArray& bytes) const {
    writeFile(file(name), bytes);
}

QByteArray ScratchConfigHome::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
