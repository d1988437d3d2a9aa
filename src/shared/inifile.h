#pragma once

#include <QString>

// Reads one key of one section of an INI file, as the Windows profile reader does: section and
// key names compared without regard to case, blanks around names and values removed, a matching
// pair of quotes around a value dropped, the first occurrence wins, a key present but empty gives
// the empty text, a missing file, section or key gives the default, and the result is cut to 255
// bytes (UTF-8) without splitting a character. The file is read again at every lookup, so an
// edited file takes effect at once.
class clsIniFile {
public:
    static constexpr int MaxValueBytes = 255;

    QString INIFile() const { return m_path; }
    void setINIFile(const QString& path) { m_path = path; }

    QString GetINIStr(const QString& strApp, const QString& strKey,
                      const QString& strDefault = QString()) const;

private:
    QString m_path;
};

// The lookup of GetINIStr on the file's contents.
QString iniValue(const QByteArray& content, const QString& strApp, const QString& strKey,
                 const QString& strDefault = QString());

// Cuts a text to at most maxBytes bytes of UTF-8 without splitting a character.
QString truncateUtf8(const QString& text, int maxBytes);

// The program-wide language-file reader; created once at start-up, never replaced.
clsIniFile& langFile();
