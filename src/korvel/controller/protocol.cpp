#include "korvel/controller/protocol.h"

#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/uploadbuffer.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/numbers.h"

#include <QRegularExpression>

#include <cmath>

QString channelText(int iChannel) {
    return QStringLiteral("%1").arg(iChannel, 2, 10, QLatin1Char('0'));
}

QString channelStatusText(const QString& sMsg) {
    if (sMsg.isEmpty())
        return QString();
    const QString section = QStringLiteral("dlgDown");
    const QChar first = sMsg.front();
    QString state;
    if (first == QLatin1Char('L'))
        state = QStringLiteral("LOAD  ");
    else if (first == QLatin1Char('E'))
        state = QStringLiteral("EDIT  ");
    else if (first == QLatin1Char('T'))
        state = QStringLiteral("TEACH  ");
    else if (first == QLatin1Char('N'))
        return langFile().GetINIStr(section, QStringLiteral("Mes002"));
    else
        return QString();
    return state + Numbers::plainForm(QStringView(sMsg).mid(1)) +
           langFile().GetINIStr(section, QStringLiteral("Mes001"));
}

int channelLineCount(const QString& sMsg) {
    if (sMsg.isEmpty())
        return 0;
    const double v = Numbers::numericValue(QStringView(sMsg).mid(1));
    if (!(v > 0))
        return 0;
    return v > 32767 ? 32767 : static_cast<int>(std::floor(v));
}

void StandardMessenger::showMessage(int code) {
    ::showMessage(code);
}

void StandardMessenger::showInformation(const QString& key) {
    ::showInformation(key);
}

void StandardMessenger::showVerification(const VerifyResult& result) {
    MessageRequest r;
    r.title = programTitle();
    r.text = verificationText(result);
    r.icon = result.kind == VerifyResult::Kind::Verified ? MsgIcon::Information : MsgIcon::Critical;
    presentMessage(r);
}

QString verificationText(const VerifyResult& result) {
    const QString section = QStringLiteral("MsgBox");
    switch (result.kind) {
    case VerifyResult::Kind::Verified:
        return langFile().GetINIStr(section, QStringLiteral("Mes055"));
    case VerifyResult::Kind::Differs:
        // The step as the grid shows it: its number less one, three digits.
        return langFile()
            .GetINIStr(section, QStringLiteral("Mes056"))
            .replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .arg(QStringLiteral("%1").arg(result.step - 1, 3, 10, QLatin1Char('0')),
                 result.sent.isEmpty() ? QStringLiteral("-") : result.sent,
                 result.readBack.isEmpty() ? QStringLiteral("-") : result.readBack);
    case VerifyResult::Kind::None:
    case VerifyResult::Kind::Fault:
        break;
    }
    return langFile().GetINIStr(section, QStringLiteral("Mes057"));
}

namespace {

bool sameValue(const QString& a, const QString& b) {
    if (a.trimmed() == b.trimmed())
        return true;
    const Numbers::LeadingNumber na = Numbers::scanLeadingNumber(a);
    const Numbers::LeadingNumber nb = Numbers::scanLeadingNumber(b);
    // Only texts that are numbers as a whole compare by value.
    auto whole = [](const QString& t, const Numbers::LeadingNumber& n) {
        static const QRegularExpression number(QStringLiteral("^\\s*[+-]?\\d+(\\.\\d*)?\\s*$"));
        return n.found && number.match(t).hasMatch();
    };
    return whole(a, na) && whole(b, nb) && Numbers::numericValue(a) == Numbers::numericValue(b);
}

} // namespace

bool sameStep(const ProgramDoc& a, int stepA, const ProgramDoc& b, int stepB) {
    if (a.getAxis() != b.getAxis())
        return false;
    for (int axis = 1; axis <= a.getAxis(); ++axis) {
        const ValueArray va = a.getProgCell(axis, stepA);
        const ValueArray vb = b.getProgCell(axis, stepB);
        if (va.value(0) != vb.value(0))
            return false;
        const int cmd = va.value(0).toInt();
        const int n = cmd >= Cmd::First && cmd <= Cmd::Last ? cmdValueCount(cmd) : 0;
        // The four digits of parameter 53 are digits, not a number.
        const bool digits = cmd == Cmd::Parameter && va.value(1).trimmed().toInt() == 53;
        for (int i = 1; i <= n; ++i) {
            if (digits && i == 2 ? va.value(i).trimmed() != vb.value(i).trimmed()
                                 : !sameValue(va.value(i), vb.value(i)))
                return false;
        }
    }
    return true;
}

void StandardMessenger::showLinkMessage(int code) {
    ::showMessage(code);
}

KorvelProtocol::KorvelProtocol(SerialLink* link) : m_link(link), m_uploadDispatcher(this) {}

KorvelProtocol::~KorvelProtocol() = default;

void KorvelProtocol::attach() {
    m_link->setDispatcher(this);
    m_link->setUploadDispatcher(&m_uploadDispatcher);
    m_link->setPendingRequests(this);
}

void KorvelProtocol::message(int code) {
    if (m_messenger)
        m_messenger->showMessage(code);
    else
        ::showMessage(code);
}

void KorvelProtocol::information(const QString& key) {
    if (m_messenger)
        m_messenger->showInformation(key);
    else
        ::showInformation(key);
}

int KorvelProtocol::stepCount() const {
    return m_program ? m_program->getStep() : 0;
}

void KorvelProtocol::send(const QString& text, bool bTimer) {
    m_link->sendText(text + LineEnds::CRLF);
    if (bTimer)
        m_link->setReplyTimer(true);
}

void KorvelProtocol::downIdle(int iMode) {
    if (m_down)
        m_down->comWait(false, iMode);
}

void KorvelProtocol::exeIdle() {
    if (m_exe)
        m_exe->comWait(false);
}

bool KorvelProtocol::anyPending() const {
    return m_waitCheck || m_waitVerify || m_waitChInfDown || m_waitChInfExe || m_waitLoad ||
           m_waitStep || m_waitPgWrt || m_waitRemote || m_waitChInfUp || m_waitUpload || m_waitNg;
}

// ---- senders ----

void KorvelProtocol::sendCheck() {
    m_waitCheck = true;
    m_checkPhase = 0;
    send(QStringLiteral("?:"), true);
}

void KorvelProtocol::sendCheckChInf() {
    m_waitCheck = true;
    m_checkPhase = 1;
    send(QStringLiteral("CHINF:") + channelText(1), true);
}

void KorvelProtocol::sendChInfDown(int iChannel) {
    if (m_down) {
        m_down->dispChInf(QString());
        m_down->comWait(true, ModeQuery);
    }
    m_waitChInfDown = true;
    send(QStringLiteral("CHINF:") + channelText(iChannel), true);
}

void KorvelProtocol::sendChInfExe(int iChannel) {
    if (m_exe) {
        m_exe->dispChInf(QString());
        m_exe->comWait(true);
    }
    m_waitChInfExe = true;
    send(QStringLiteral("CHINF:") + channelText(iChannel), true);
}

void KorvelProtocol::sendChInfUp(int iChannel) {
    if (m_up)
        m_up->DispStatus(QString());
    m_waitChInfUp = true;
    send(QStringLiteral("CHINF:") + channelText(iChannel), true);
}

void KorvelProtocol::sendLoad(int iChannel) {
    if (m_startMode || m_stopMode) {
        if (m_exe)
            m_exe->comWait(true);
    } else if (m_down) {
        m_down->comWait(true, ModeTransfer);
    }
    m_waitLoad = true;
    send(QStringLiteral("LOAD:") + channelText(iChannel), true);
}

void KorvelProtocol::sendStep(int iStep) {
    m_sendStepNo = static_cast<qint16>(iStep);
    if (m_down)
        m_down->comWait(true, ModeTransfer);
    m_waitStep = true;
    send(m_program ? m_program->getSendStep(iStep) : QString(), true);
}

void KorvelProtocol::sendStart(int iChannel) {
    send(QStringLiteral("Z:") + channelText(iChannel), false);
}

void KorvelProtocol::sendStop() {
    send(QStringLiteral("U07:"), false);
}

void KorvelProtocol::sendPgWrt() {
    if (m_down)
        m_down->comWait(true, ModeTransfer);
    m_waitPgWrt = true;
    send(QStringLiteral("PGWRT:"), true);
}

void KorvelProtocol::sendRemote() {
    if (m_down)
        m_down->comWait(true, ModeTransfer);
    m_waitRemote = true;
    send(QStringLiteral("REMOTE:"), true);
}

void KorvelProtocol::sendUpload(int iChannel) {
    m_waitUpload = true;
    send(QStringLiteral("UPLOAD:") + channelText(iChannel), true);
}

void KorvelProtocol::sendNextLine() {
    m_waitUpload = true;
    send(QString(), true);
}

void KorvelProtocol::sendNg() {
    m_waitNg = true;
    send(QStringLiteral("NG:"), false);
}

// ---- operations ----

void KorvelProtocol::startConnectionCheck() {
    sendCheck();
}

void KorvelProtocol::startDownload(int iChannel) {
    m_downChannel = iChannel;
    m_verifyResult = VerifyResult();
    SetStartMode(false);
    SetStopMode(false);
    sendLoad(iChannel);
}

void KorvelProtocol::stopDownload() {
    m_link->endExchange();
    message(Msg::DownloadStopped);
    downIdle(ModeTransfer);
}

void KorvelProtocol::startExecute() {
    SetStartMode(true);
    SetStopMode(false);
    sendLoad(LoadRunControl);
}

void KorvelProtocol::stopExecute() {
    SetStartMode(false);
    SetStopMode(true);
    sendLoad(LoadRunControl);
}

void KorvelProtocol::startUpload(int iChannel) {
    m_uploadEnd = UploadEnd::None;
    if (m_buffer)
        m_buffer->beginUpload(iChannel);
    sendUpload(iChannel);
}

void KorvelProtocol::stopUpload() {
    m_link->endExchange();
    m_uploadEnd = UploadEnd::Stopped;
    sendNg();
}

// ---- dispatchers ----

void KorvelProtocol::dispatchReply(const QString& line) {
    if (m_waitCheck) {
        if (m_checkPhase == 0) {
            m_link->endExchange();
            if (m_link->checkReplyError(line)) {
                if (m_wait)
                    m_wait->closeWait();
            } else {
                sendCheckChInf();
            }
        } else {
            m_link->endExchange();
            if (!m_link->checkReplyError(line))
                information(QStringLiteral("Mes000"));
            if (m_wait)
                m_wait->closeWait();
        }
    } else if (m_waitChInfDown) {
        m_link->endExchange();
        if (!m_link->checkReplyError(line) && m_down)
            m_down->dispChInf(line);
        downIdle(ModeQuery);
    } else if (m_waitChInfExe) {
        m_link->endExchange();
        if (!m_link->checkReplyError(line) && m_exe)
            m_exe->dispChInf(line);
        exeIdle();
    } else if (m_waitStep) {
        m_link->endExchange();
        if (m_link->checkReplyError(line)) {
            downIdle(ModeTransfer);
            return;
        }
        if (m_down)
            m_down->setProgressbar(m_sendStepNo);
        if (m_sendStepNo < stepCount())
            sendStep(m_sendStepNo + 1);
        else
            sendPgWrt();
    } else if (m_waitLoad) {
        m_link->endExchange();
        const bool start = m_startMode;
        const bool stop = m_stopMode;
        if (!start && !stop) {
            if (m_link->checkReplyError(line))
                downIdle(ModeTransfer);
            else
                sendStep(1);
            return;
        }
        if (m_link->checkReplyError(line)) {
            exeIdle();
            return;
        }
        if (start) {
            // Without the dialog there is no channel box; its first entry is channel 1.
            sendStart(m_exe ? m_exe->selectedChannel() : 1);
            exeIdle();
        } else {
            sendStop();
            exeIdle();
        }
    } else if (m_waitPgWrt) {
        m_link->endExchange();
        if (m_link->checkReplyError(line))
            downIdle(ModeTransfer);
        else
            sendRemote();
    } else if (m_waitRemote) {
        m_link->endExchange();
        if (m_link->checkReplyError(line)) {
            downIdle(ModeTransfer);
            return;
        }
        message(Msg::DownloadDone);
        if (m_verify)
            startVerify();
        else
            downIdle(ModeTransfer);
    } else if (m_waitVerify) {
        dispatchVerifyReply(line);
    } else {
        m_link->checkReplyError(line);
    }
}

qint16 KorvelProtocol::classifyUploadLine(const QString& line) {
    if (line.isEmpty())
        return 0;
    static const QString programLetters = QStringLiteral("ABCDHMPRSUW#");
    return programLetters.contains(line.front()) ? 1 : -1;
}

void KorvelProtocol::dispatchUploadReply(const QString& line) {
    if (m_waitChInfUp) {
        const bool err = m_link->checkReplyError(line);
        m_link->endExchange();
        if (m_up)
            m_up->SetEnabled(false);
        if (!err && m_up)
            m_up->DispStatus(line);
    } else if (m_waitUpload) {
        switch (classifyUploadLine(line)) {
        case 0:
            m_link->endExchange();
            m_uploadEnd = UploadEnd::Completed;
            information(QStringLiteral("Mes021"));
            if (m_up)
                m_up->unloadDialog();
            if (m_buffer && m_maker)
                m_buffer->finishUpload(*m_maker);
            break;
        case 1: {
            const bool ok = m_buffer ? m_buffer->storeUploadLine(line) : false;
            m_link->endExchange();
            if (ok) {
                if (m_up)
                    m_up->Plus1Progress();
                sendNextLine();
            } else {
                m_uploadEnd = UploadEnd::Refused;
                sendNg();
                information(QStringLiteral("Mes001"));
            }
            break;
        }
        default:
            m_link->endExchange();
            m_uploadEnd = UploadEnd::Unexpected;
            if (m_up)
                m_up->SetEnabled(false);
            break;
        }
    } else if (m_waitNg) {
        m_link->endExchange();
        if (m_up)
            m_up->SetEnabled(false);
    }
}

// ---- verification after a download ----

namespace {

class PlainDocMaker : public ProgramWindowMaker {
public:
    ProgramDoc* makeNewForm(int iAxisNum) override {
        doc = std::make_unique<ProgramDoc>(UploadBuffer::MaxSteps);
        doc->setAxis(iAxisNum);
        return doc.get();
    }
    void discardForm(ProgramDoc*) override {}
    std::unique_ptr<ProgramDoc> doc;
};

} // namespace

void KorvelProtocol::startVerify() {
    // The upload chain, into a buffer of its own: no program window comes of it.
    if (!m_verifyBuffer)
        m_verifyBuffer = std::make_unique<UploadBuffer>();
    m_verifyBuffer->beginUpload(m_downChannel);
    m_verifyLines = 0;
    if (m_down) {
        m_down->comWait(true, ModeTransfer);
        m_down->setProgressbar(0);
    }
    m_waitVerify = true;
    send(QStringLiteral("UPLOAD:") + channelText(m_downChannel), true);
}

void KorvelProtocol::dispatchVerifyReply(const QString& line) {
    m_link->endExchange();
    if (m_link->checkReplyError(line)) {
        endVerify({VerifyResult::Kind::Fault, 0, {}, {}});
        return;
    }
    switch (classifyUploadLine(line)) {
    case 1:
        if (!m_verifyBuffer->storeUploadLine(line)) {
            // The controller holds a step that cannot be read back: a difference, and the
            // controller's upload is ended as a refused line ends it.
            const int step = m_verifyLines + 1;
            send(QStringLiteral("NG:"), false);
            endVerify({VerifyResult::Kind::Differs, step,
                       m_program ? m_program->getSendStep(step) : QString(), line});
            return;
        }
        ++m_verifyLines;
        if (m_down)
            m_down->setProgressbar(m_verifyLines);
        m_waitVerify = true;
        send(QString(), true);
        return;
    case 0: {
        if (m_program == nullptr) {
            endVerify({VerifyResult::Kind::Fault, 0, {}, {}});
            return;
        }
        PlainDocMaker maker;
        m_verifyBuffer->finishUpload(maker);
        const ProgramDoc& back = *maker.doc;
        const int sent = stepCount();
        const int read = back.getStep();
        for (int s = 1; s <= qMax(sent, read); ++s) {
            if (s > sent || s > read || !sameStep(*m_program, s, back, s)) {
                endVerify({VerifyResult::Kind::Differs, s,
                           s <= sent ? m_program->getSendStep(s) : QString(),
                           s <= read ? back.getSendStep(s) : QString()});
                return;
            }
        }
        endVerify({VerifyResult::Kind::Verified, 0, {}, {}});
        return;
    }
    default:
        // Not a program line: the read-back broke off; that says nothing of the program.
        endVerify({VerifyResult::Kind::Fault, 0, {}, {}});
        return;
    }
}

void KorvelProtocol::endVerify(VerifyResult result) {
    m_waitVerify = false;
    m_verifyResult = std::move(result);
    verification(m_verifyResult);
    downIdle(ModeTransfer);
}

void KorvelProtocol::verification(const VerifyResult& result) {
    if (m_messenger)
        m_messenger->showVerification(result);
    else
        StandardMessenger().showVerification(result);
}

void KorvelProtocol::clearUploadFlags() {
    m_waitChInfUp = false;
    m_waitUpload = false;
    m_waitNg = false;
}

// ---- end of exchange and time-out ----

void KorvelProtocol::clearPending(bool bUpOpen) {
    m_waitCheck = false;
    m_waitVerify = false;
    m_waitChInfDown = false;
    m_waitChInfExe = false;
    m_waitLoad = false;
    m_waitStep = false;
    m_waitPgWrt = false;
    m_waitRemote = false;
    if (bUpOpen)
        clearUploadFlags();
}

void KorvelProtocol::timeoutBeforeMessage() {
    if (m_waitUpload)
        m_uploadEnd = UploadEnd::TimedOut;
    if (m_waitCheck) {
        if (m_wait)
            m_wait->closeWait();
        m_waitCheck = false;
    }
}

void KorvelProtocol::timeoutResetWaiting() {
    if (m_waitChInfDown) {
        if (m_down)
            m_down->dispChInf(QString());
        m_waitChInfDown = false;
        downIdle(ModeQuery);
    } else if (m_waitChInfExe) {
        if (m_exe)
            m_exe->dispChInf(QString());
        m_waitChInfExe = false;
        exeIdle();
    } else if (m_waitLoad || m_waitRemote) {
        m_waitLoad = false;
        m_waitRemote = false;
        if (m_startMode || m_stopMode)
            exeIdle();
        else
            downIdle(ModeTransfer);
    } else if (m_waitPgWrt) {
        m_waitPgWrt = false;
        downIdle(ModeTransfer);
    } else if (m_waitStep) {
        m_waitStep = false;
        downIdle(ModeTransfer);
    } else if (m_waitVerify) {
        endVerify({VerifyResult::Kind::Fault, 0, {}, {}});
    }
}

void KorvelProtocol::timeoutUploadIdle() {
    if (m_up)
        m_up->SetEnabled(false);
}
