#include "shared/seriallink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

int replyErrorCode(const QString& line) {
    if (line.isEmpty() || line.front() != QLatin1Char('!') || line.size() > 2)
        return 0;
    if (line.size() == 1)
        return LinkCodes::ErrorReplyOther;
    const QChar c = line.at(1);
    if (c >= QLatin1Char('0') && c <= QLatin1Char('8'))
        return LinkCodes::ErrorReply0 + (c.unicode() - '0');
    return LinkCodes::ErrorReplyOther;
}

QString linkMessageKey(int code) {
    if (code == LinkCodes::NoReply ||
        (code >= LinkCodes::ErrorReply0 && code <= LinkCodes::ErrorReplyOther))
        return QStringLiteral("Mes%1").arg(code + 2, 3, 10, QLatin1Char('0'));
    return QString();
}

SerialLink::SerialLink(SerialPortService* port, LinkTimer* replyTimer, LinkTimer* crLfTimer)
    : m_port(port), m_replyTimer(replyTimer), m_crLfTimer(crLfTimer) {}

void SerialLink::setIntervals(int replyMs, int crLfMs, int wakeMs) {
    m_replyMs = replyMs;
    m_crLfMs = crLfMs;
    m_wakeMs = wakeMs;
    m_wakeLimitMs = WakeLimitFactor * wakeMs;
}

void SerialLink::echo(const QString& text, bool bDir) {
    if (m_downOpen && m_log)
        m_log->putMsg(text, bDir);
}

void SerialLink::sendText(const QString& text) {
    if (m_port->isOpen())
        m_port->close();
    if (!m_port->open())
        return;
    m_splitter.clearBuffer();
    if (!m_port->write(text.toLatin1()))
        return;
    echo(text, false);
}

void SerialLink::waitPrecisely(qint64 ms) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void SerialLink::wakeController() {
    if (m_gate)
        m_gate->setMainWindowEnabled(false);
    m_port->setReceiveNotifications(false);
    sendText(QStringLiteral("?:") + LineEnds::CRLF);
    // Events keep running while the controller answers; the answer itself is not looked at.
    // A slow controller's answer must not be taken for the reply to the next request: until a
    // whole answer line is in, the wait goes on, up to ten times the usual wait in all.
    QElapsedTimer waited;
    waited.start();
    QCoreApplication::processEvents();
    waitPrecisely(m_wakeMs);
    QCoreApplication::processEvents();
    QByteArray answer;
    while (m_port->isOpen()) {
        answer += m_port->readAll();
        if (answer.contains('\r') || answer.contains('\n') || waited.elapsed() >= m_wakeLimitMs)
            break;
        waitPrecisely(qMin<qint64>(WakePollMs, m_wakeLimitMs - waited.elapsed()));
    }
    m_splitter.clearBuffer();
    if (m_port->isOpen())
        m_port->readAll();
    m_port->setReceiveNotifications(true);
    if (m_gate)
        m_gate->setMainWindowEnabled(true);
}

void SerialLink::receiveText(const QString& data) {
    echo(data, true);
    const bool startDetection = m_splitter.feed(data, [this](const QString& received) {
        // A reply line ends the wait for it at once: a message box that the dispatcher shows
        // for it must not be followed by a time-out of the same request.
        m_replyTimer->stop();
        ReplyDispatcher* target = m_upOpen ? m_uploadDispatcher : m_dispatcher;
        if (target)
            target->dispatchReply(replyLine(received));
    });
    if (startDetection)
        setCrLfTimer(true);
}

QString SerialLink::replyLine(const QString& line) const {
    // Split at CR, the LF of a CR LF controller that arrived after the next request went out
    // leads the next line and would hide an error reply or spoil a value; a controller that ends
    // its lines with CR alone never sends an LF.
    if (m_splitter.lineEnd() != LineSplitter::EndCr)
        return line;
    qsizetype n = 0;
    while (n < line.size() && line.at(n) == QLatin1Char('\n'))
        ++n;
    return line.mid(n);
}

void SerialLink::endExchange() {
    if (m_port->isOpen())
        m_port->close();
    setReplyTimer(false);
    if (m_pending)
        m_pending->clearPending(m_upOpen);
    if (m_downOpen && m_log)
        m_log->setNewLine();
}

void SerialLink::replyTimeout() {
    if (m_pending)
        m_pending->timeoutBeforeMessage();
    if (m_messenger)
        m_messenger->showLinkMessage(LinkCodes::NoReply);
    if (m_downOpen && m_log)
        m_log->setNewLine();
    if (m_pending)
        m_pending->timeoutResetWaiting();
    endExchange();
    if (m_upOpen && m_pending)
        m_pending->timeoutUploadIdle();
}

bool SerialLink::checkReplyError(const QString& line) {
    const int code = replyErrorCode(line);
    if (code == 0)
        return false;
    if (m_messenger)
        m_messenger->showLinkMessage(code);
    return true;
}

void SerialLink::setReplyTimer(bool bOn) {
    setReplyTimer(bOn, m_replyMs);
}

void SerialLink::setReplyTimer(bool bOn, int intervalMs) {
    if (bOn)
        m_replyTimer->start(intervalMs);
    else
        m_replyTimer->stop();
}

void SerialLink::setCrLfTimer(bool bOn) {
    if (bOn)
        m_crLfTimer->start(m_crLfMs);
    else
        m_crLfTimer->stop();
}

void SerialLink::stopTimers() {
    m_replyTimer->stop();
    m_crLfTimer->stop();
}

void SerialLink::onReceive() {
    // A dispatch may show a message box: bytes that arrive while it is open raise no further
    // notification (the port does not repeat it inside its own), and one that comes through
    // another route must not dispatch inside the dispatch. Both are read here when it returns.
    if (m_receiving) {
        m_receiveAgain = true;
        return;
    }
    m_receiving = true;
    for (;;) {
        m_receiveAgain = false;
        const QByteArray bytes = m_port->readAll();
        if (!bytes.isEmpty())
            receiveText(QString::fromLatin1(bytes));
        else if (!m_receiveAgain)
            break;
    }
    m_receiving = false;
}

void SerialLink::onReplyTimer() {
    m_replyTimer->stop();
    if (m_timeoutHandler)
        m_timeoutHandler();
    else
        replyTimeout();
}

void SerialLink::onCrLfTimer() {
    m_crLfTimer->stop();
    m_splitter.setRxState(LineSplitter::Due);
    receiveText(QString());
}
