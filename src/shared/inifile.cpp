#include "shared/inifile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

QString stripQuotes(const QString& v) {
    if (v.size() >= 2 && ((v.front() == QLatin1Char('"') && v.back() == QLatin1Char('"')) ||
                          (v.front() == QLatin1Char('\'') && v.back() == QLatin1Char('\''))))
        return v.mid(1, v.size() - 2);
    return v;
}

} // namespace

QString truncateUtf8(const QString& text, int maxBytes) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return text;
    qsizetype cut = maxBytes;
    // Step back over continuation bytes so the cut falls on a character boundary.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    return QString::fromUtf8(bytes.left(cut));
}

QString clsIniFile::GetINIStr(const QString& strApp, const QString& strKey,
                              const QString& strDefault) const {
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return truncateUtf8(strDefault, clsIniFile::MaxValueBytes);
    return iniValue(file.readAll(), strApp, strKey, strDefault);
}

QString iniValue(const QByteArray& raw, const QString& strApp, const QString& strKey,
                 const QString& strDefault) {
    const QString fallback = truncateUtf8(strDefault, clsIniFile::MaxValueBytes);
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString content = decode(raw);

    const QString wantSection = strApp.trimmed();
    const QString wantKey = strKey.trimmed();
    bool inSection = false;
    const auto lines = QStringView(content).split(QLatin1Char('\n'));
    for (QStringView rawLine : lines) {
        QStringView line = rawLine.trimmed();
        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QStringView name = close > 0 ? line.mid(1, close - 1) : line.mid(1);
            inSection = name.trimmed().compare(wantSection, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(wantKey, Qt::CaseInsensitive) != 0)
            continue;
        const QString value = stripQuotes(line.mid(eq + 1).trimmed().toString());
        return truncateUtf8(value, clsIniFile::MaxValueBytes);
    }
    return fallback;
}

clsIniFile& langFile() {
    static clsIniFile instance;
    return instance;
}
