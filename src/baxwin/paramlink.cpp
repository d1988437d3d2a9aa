#include "baxwin/paramlink.h"

#include "baxwin/baxmessages.h"
#include "baxwin/paramtransfer.h"
#include "baxwin/parcoding.h"
#include "shared/serialport.h"

#include <QCoreApplication>
#include <QThread>

ParamLink::ParamLink(SerialPortService& port, ReplyTimer& timer) : m_port(port), m_timer(timer) {
    m_port.setReceiveHandler([this] { onPortReadyRead(); });
}

ParamLink::~ParamLink() {
    m_port.setReceiveHandler(nullptr);
}

void ParamLink::setIntervals(int replyMs, int flashReplyMs) {
    m_replyMs = replyMs;
    m_flashReplyMs = flashReplyMs;
}

bool ParamLink::isWaiting() const {
    return m_waitProbeRead || m_waitParRead || m_waitProbeWrite || m_waitWriteStart ||
           m_waitParWrite || m_waitFlash;
}

void ParamLink::sendText(const QString& text) {
    if (m_port.isOpen())
        m_port.close();
    if (!m_port.open())
        return; // shows up as a missing reply
    m_rxBuffer.clear();
    if (m_observer)
        m_observer(false, text);
    m_port.write(text.toLatin1());
}

void ParamLink::wakeController() {
    if (m_enableWindow)
        m_enableWindow(false);
    m_port.setReceiveNotifications(false);
    sendText(ParCoding::wakeText());
    QCoreApplication::processEvents();
    if (m_wakeMs > 0)
        QThread::msleep(static_cast<unsigned long>(m_wakeMs));
    QCoreApplication::processEvents();
    m_rxBuffer.clear();
    // The answer is never looked at; drop what has come so far.
    if (m_port.isOpen())
        m_port.readAll();
    m_port.setReceiveNotifications(true);
    if (m_enableWindow)
        m_enableWindow(true);
}

void ParamLink::send(bool& flag, const QString& text, int intervalMs) {
    flag = true;
    sendText(text);
    m_timer.start(intervalMs);
}

void ParamLink::sendParProbe(int mode) {
    send(mode == 1 ? m_waitProbeRead : m_waitProbeWrite, ParCoding::probeText(), m_replyMs);
}

void ParamLink::sendParRead(int n) {
    send(m_waitParRead, ParCoding::readText(n), m_replyMs);
}

void ParamLink::sendWriteStart() {
    send(m_waitWriteStart, ParCoding::writeStartText(), m_replyMs);
}

void ParamLink::sendParWrite(const QString& text) {
    send(m_waitParWrite, text, m_replyMs);
}

void ParamLink::sendFlashStore() {
    send(m_waitFlash, ParCoding::flashStoreText(), m_flashReplyMs);
}

void ParamLink::onPortReadyRead() {
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        receiveText(QString::fromLatin1(bytes));
}

void ParamLink::receiveText(const QString& data) {
    if (m_observer)
        m_observer(true, data);
    m_rxBuffer += data;
    for (;;) {
        const qsizetype cr = m_rxBuffer.indexOf(QLatin1Char('\r'));
        if (cr < 0)
            break;
        // Taken off the buffer before dispatching: a message box opened by the dispatcher lets
        // further characters arrive meanwhile.
        const QString line = m_rxBuffer.left(cr);
        m_rxBuffer.remove(0, cr + 1);
        dispatchReply(line);
    }
}

bool ParamLink::checkReplyError(const QString& line) {
    const QString key = ParCoding::errorReplyKey(line);
    if (key.isEmpty())
        return true;
    BaxMsg::show(key, MsgIcon::Critical);
    return false;
}

void ParamLink::dispatchReply(const QString& line) {
    const bool ok = checkReplyError(line);
    ParamTransfer* t = m_transfer;
    if (m_waitProbeRead) {
        endExchange();
        if (t == nullptr)
            return;
        if (ok) {
            t->GetAxisNum(line);
            sendParRead(1);
        } else {
            t->SetEnabled(false);
        }
    } else if (m_waitParRead) {
        endExchange();
        if (t == nullptr)
            return;
        if (ok && t->Get1Par(line)) {
            t->Progress1Plus();
            const int next = t->NextParNo();
            if (next == -1)
                t->CompleteComm(1);
            else
                sendParRead(next);
        } else {
            t->SetEnabled(false);
        }
    } else if (m_waitProbeWrite) {
        endExchange();
        if (t == nullptr)
            return;
        if (ok) {
            t->GetAxisNum(line);
            sendWriteStart();
        } else {
            t->SetEnabled(false);
        }
    } else if (m_waitWriteStart) {
        endExchange();
        if (t == nullptr)
            return;
        if (ok)
            sendParWrite(t->Edit1Par(1));
        else
            t->SetEnabled(false);
    } else if (m_waitParWrite) {
        endExchange();
        if (t == nullptr)
            return;
        if (ok) {
            t->Progress1Plus();
            const int next = t->NextParNo();
            if (next == -1)
                t->CompleteComm(2);
            else
                sendParWrite(t->Edit1Par(next));
        } else {
            t->SetEnabled(false);
        }
    } else if (m_waitFlash) {
        endExchange();
        if (t == nullptr)
            return;
        if (line == QLatin1String("OK")) {
            t->CompleteComm(3);
        } else {
            t->setDialogEnabled(true);
            t->SetEnabled(false);
        }
    }
}

void ParamLink::endExchange() {
    if (m_port.isOpen())
        m_port.close();
    m_timer.stop();
    m_waitProbeRead = m_waitParRead = m_waitProbeWrite = false;
    m_waitWriteStart = m_waitParWrite = m_waitFlash = false;
}

void ParamLink::onReplyTimer() {
    m_timer.stop();
    replyTimeout();
}

void ParamLink::replyTimeout() {
    BaxMsg::show(QStringLiteral("Mes006"), MsgIcon::Critical);
    if (m_transfer != nullptr) {
        if (m_waitFlash)
            m_transfer->setDialogEnabled(true);
        m_transfer->SetEnabled(false);
    }
    endExchange();
}
