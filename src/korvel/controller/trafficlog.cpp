#include "korvel/controller/trafficlog.h"

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
