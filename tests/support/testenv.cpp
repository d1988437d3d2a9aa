#include "testenv.h"

#include "shared/apppaths.h"
#include "shared/inifile.h"

#include <QDir>
#include <QFile>

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
