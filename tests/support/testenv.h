#pragma once

#include <QString>
#include <QTemporaryDir>

// The build's application directory (executables, LANG0.DAT, LANG1.DAT, ...) and the source tree.
QString builtAppDir();
QString sourceDir();

// A scratch application directory for one test: the programs read and write typ.cfg, com.cfg
// and the language files there. Copies the built language files in unless told otherwise.
class ScratchAppDir {
public:
    explicit ScratchAppDir(bool withLanguageFiles = true);
    ~ScratchAppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    // Points langFile() at LANGn.DAT of this directory.
    void useLanguage(int languageNo) const;

private:
    QTemporaryDir m_dir;
};
