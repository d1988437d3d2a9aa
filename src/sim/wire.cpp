#include "sim/wire.h"

namespace Sim {

bool parseLineEnd(const QString& name, LineEnd* out) {
    if (name == QLatin1String("cr"))
        *out = LineEnd::Cr;
    else if (name == QLatin1String("lf"))
        *out = LineEnd::Lf;
    else if (name == QLatin1String("crlf"))
        *out = LineEnd::CrLf;
    else
        return false;
    return true;
}

QByteArray lineEndBytes(LineEnd le) {
    switch (le) {
    case LineEnd::Cr:
        return "\r";
    case LineEnd::Lf:
        return "\n";
    case LineEnd::CrLf:
        break;
    }
    return "\r\n";
}

void RequestAssembler::feed(char byte) {
    if (byte != '\n') {
        if (m_buffer.size() >= kMaxLine) {
            m_buffer.clear();
            m_overflow = true;
        }
        if (!m_overflow)
            m_buffer += byte;
        return;
    }
    if (m_overflow) {
        // The rest of an over-long line ends here; it never becomes a request.
        ++m_droppedLines;
        m_buffer.clear();
        m_overflow = false;
        return;
    }
    if (m_buffer.endsWith('\r'))
        m_buffer.chop(1);
    m_lines << m_buffer;
    m_buffer.clear();
}

QString escapeForLog(const QByteArray& bytes) {
    QString out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            out += QLatin1String("<CR>");
        else if (c == '\n')
            out += QLatin1String("<LF>");
        else if (c == 6)
            out += QLatin1String("<ACK>");
        else if (c < 0x20 || c == 0x7F)
            out += QStringLiteral("<%1>").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += QChar(char16_t(c));
    }
    return out;
}

} // namespace Sim
