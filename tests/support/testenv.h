#pragma once

#include <QByteArray>
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
    // From now on the programs treat this directory as read-only, as an installed copy is for
    // an operator (the tests may run as root, who could write it anyway).
    void pretendReadOnly() const;

private:
    QTemporaryDir m_dir;
};

// A scratch home for the user's configuration folder (XDG_CONFIG_HOME) for one test, so a
// read-only application directory sends the files here instead of the real home.
class ScratchConfigHome {
public:
    ScratchConfigHome();
    ~ScratchConfigHome();
    ScratchConfigHome(const ScratchConfigHome&) = delete;
    ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;
    QString path() const { return m_dir.path(); }
    // The folder both programs keep their configuration files in: <home>/korvel.
    QString configDir() const;
    QString file(const QString& name) const;
    bool exists(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};
