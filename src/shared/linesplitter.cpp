#include "shared/linesplitter.h"

LineSplitter::Step LineSplitter::next(QString* line) {
    const qsizetype posCR = m_rxBuffer.indexOf(QLatin1Char('\r'));
    const qsizetype posLF = m_rxBuffer.indexOf(QLatin1Char('\n'));
    switch (m_rxState) {
    case Armed:
        if (posCR >= 0 || posLF >= 0) {
            m_rxState = Waiting;
            return Step::StartDetection;
        }
        return Step::NeedMore;
    case Waiting:
        return Step::NeedMore;
    case Due:
        m_rxState = Detected;
        if (m_rxBuffer.indexOf(QLatin1String("\r\n")) >= 0)
            m_lineEnd = EndCrLf;
        else if (posLF >= 0)
            m_lineEnd = EndLf;
        else
            m_lineEnd = EndCr;
        break;
    default:
        break;
    }

    qsizetype end = -1;
    int length = 1;
    switch (m_lineEnd) {
    case EndLf:
        end = posLF;
        break;
    case EndCrLf:
        end = m_rxBuffer.indexOf(QLatin1String("\r\n"));
        length = 2;
        break;
    default:
        end = posCR;
        break;
    }
    if (end < 0)
        return Step::NeedMore;
    *line = m_rxBuffer.left(end);
    m_rxBuffer.remove(0, end + length);
    return Step::Line;
}

bool LineSplitter::feed(const QString& data, const std::function<void(const QString&)>& onLine) {
    append(data);
    for (;;) {
        QString line;
        switch (next(&line)) {
        case Step::StartDetection:
            return true;
        case Step::NeedMore:
            return false;
        case Step::Line:
            onLine(line);
            break;
        }
    }
}
