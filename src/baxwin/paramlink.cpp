#include "baxwin/paramlink.h"

#include "baxwin/baxmessages.h"
#include "baxwin/paramtransfer.h"
#include "baxwin/parcoding.h"
#include "shared/serialport.h"

ParamLink::ParamLink(SerialPortService& port, LinkTimer& replyTimer)
    : m_port(port), m_link(&port, &replyTimer, &m_crLfTimer) {
    m_link.setDispatcher(this);
    m_link.setPendingRequests(this);
    m_link.setWindowGate(this);
    m_link.setIntervals(DefaultReplyMs, SerialLink::CrLfIntervalMs, DefaultWakeMs);
    m_port.setReceiveHandler([this] { m_link.onReceive(); });
}

ParamLink::~ParamLink() {
    m_port.setReceiveHandler(nullptr);
}

void ParamLink::setIntervals(int replyMs, int flashReplyMs) {
    m_replyMs = replyMs;
    m_flashReplyMs = flashReplyMs;
}

void ParamLink::setWakeDelay(int ms) {
    m_link.setIntervals(m_replyMs, SerialLink::CrLfIntervalMs, ms);
}

void ParamLink::setTrafficObserver(std::function<void(bool, const QString&)> observer) {
    m_observer = std::move(observer);
    // The shared link shows its traffic only to an open download log.
    m_link.setDownloadLog(m_observer ? this : nullptr);
    m_link.setDownOpen(static_cast<bool>(m_observer));
}

void ParamLink::putMsg(const QString& sMsg, bool bDir) {
    if (m_observer)
        m_observer(bDir, sMsg);
}

void ParamLink::setMainWindowEnabled(bool bEnabled) {
    if (m_enableWindow)
        m_enableWindow(bEnabled);
}

bool ParamLink::isWaiting() const {
    return m_waitProbeRead || m_waitParRead || m_waitProbeWrite || m_waitWriteStart ||
           m_waitParWrite || m_waitFlash;
}

void ParamLink::sendText(const QString& text) {
    m_link.sendText(text);
}

void ParamLink::wakeController() {
    m_link.wakeController();
}

void ParamLink::send(bool& flag, const QString& text, int intervalMs) {
    flag = true;
    m_link.sendText(text);
    m_link.setReplyTimer(true, intervalMs);
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
    m_link.onReceive();
}

void ParamLink::receiveText(const QString& data) {
    m_link.receiveText(data);
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
    m_link.endExchange();
}

void ParamLink::clearPending(bool) {
    m_waitProbeRead = m_waitParRead = m_waitProbeWrite = false;
    m_waitWriteStart = m_waitParWrite = m_waitFlash = false;
}

void ParamLink::onReplyTimer() {
    m_link.setReplyTimer(false);
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
