#include "korvel/controller/trafficlog.h"

#include <QSaveFile>

QString trafficText(const QString& sMsg) {
    QString text;
    text.reserve(sMsg.size() + 8);
    for (const QChar c : sMsg) {
        if (c == QChar(6))
            text += QStringLiteral("[ACK]");
        else if (c == QLatin1Char('\r'))
            text += QStringLiteral("[CR]");
        else if (c == QLatin1Char('\n'))
            text += QStringLiteral("[LF]");
        else
            text += c;
    }
    return text;
}

void TrafficLogLines::putMsg(const QString& sMsg, bool bDir) {
    if (m_bNewLine && !bDir) {
        m_bNewLine = false;
        m_lines << QString();
    }
    const QString text = trafficText(sMsg);
    const QChar mark = bDir ? QLatin1Char('<') : QLatin1Char('>');
    if (!m_lines.isEmpty() && m_lines.last().startsWith(mark))
        m_lines.last() += text;
    else
        m_lines << mark + text;
}

QString trafficLogHeader(const QDateTime& when, int commPort, const QString& device,
                         const QString& settings) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral("  COM%1 (%2)  ").arg(commPort).arg(device) + settings;
}

bool writeTrafficLog(const QString& path, const QString& header, const QStringList& lines,
                     QString* why) {
    QSaveFile f(path);
    QByteArray bytes;
    if (!header.isEmpty())
        bytes += header.toUtf8() + '\n';
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    const bool ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
    if (!ok && why != nullptr)
        *why = f.errorString();
    return ok;
}
