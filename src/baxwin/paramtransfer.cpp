#include "baxwin/paramtransfer.h"

#include "baxwin/baxmessages.h"
#include "baxwin/paramlink.h"
#include "baxwin/parcoding.h"
#include "shared/inifile.h"

namespace {
QString waitText(const char* key) {
    return langFile().GetINIStr(QStringLiteral("frmWait"), QLatin1String(key), QString());
}
} // namespace

ParamTransfer::ParamTransfer(ParamLink& link, const ParDefs& defs) : m_link(link), m_defs(defs) {
    m_link.setTransfer(this);
}

ParamTransfer::~ParamTransfer() {
    m_link.setTransfer(nullptr);
}

void ParamTransfer::setView(TransferView* view) {
    m_view = view;
}

void ParamTransfer::changed() {
    // The flash store is offered only after a completed write and never while a sequence runs.
    m_state.romEnabled = m_romEarned && !m_state.busy;
    if (m_view != nullptr)
        m_view->transferChanged(m_state);
}

void ParamTransfer::prepare(int iCode) {
    m_link.wakeController();
    m_state = TransferState();
    m_state.transferMode = iCode;
    m_state.title = waitText(iCode == 1 ? "Title002" : "Title001");
    m_state.romVisible = iCode == 1;
    m_state.progressMax = m_defs.transferCount();
    m_romEarned = false;
    m_storing = false;
    m_writeCompleted = false;
    changed();
}

void ParamTransfer::setTitle(const QString& title) {
    m_state.title = title;
    changed();
}

QString ParamTransfer::unreadText() {
    return waitText("Mes001");
}

void ParamTransfer::cmdDo() {
    m_state.outcome = TransferState::Outcome::None;
    SetEnabled(true);
    m_curParNo = 1;
    if (m_state.transferMode == 0) {
        m_table.fill(unreadText());
        m_state.status = waitText("Mes002");
        changed();
        m_link.sendParProbe(1);
    } else {
        m_state.status = waitText("Mes003");
        changed();
        m_link.sendParProbe(2);
    }
}

void ParamTransfer::cmdStop() {
    m_link.endExchange();
    BaxMsg::show(QStringLiteral("Mes023"), MsgIcon::Information);
    m_state.dialogEnabled = true;
    SetEnabled(false);
    m_state.outcome = TransferState::Outcome::Aborted;
    changed();
}

void ParamTransfer::cmdClose() {
    m_link.endExchange();
    if (m_view != nullptr)
        m_view->closeTransfer();
}

void ParamTransfer::frameClose() {
    if (m_state.busy || m_storing)
        cmdStop();
    cmdClose();
}

void ParamTransfer::cmdROM() {
    if (!m_state.romEnabled)
        return;
    m_state.outcome = TransferState::Outcome::None;
    m_state.status = waitText("Mes004");
    m_state.dialogEnabled = false;
    m_storing = true;
    changed();
    m_link.sendFlashStore();
}

void ParamTransfer::GetAxisNum(const QString& sMsg) {
    m_link.setAxisCount(ParCoding::axisCountFromProbe(sMsg, m_link.axisCount()));
}

bool ParamTransfer::Get1Par(const QString& sMsg) {
    const int n = m_curParNo;
    if (ParCoding::decodeReadReply(n, m_defs[n].kind, m_link.axisCount(), sMsg, m_table))
        return true;
    // A reply the coding cannot take counts as a refusal by the controller.
    BaxMsg::show(QStringLiteral("Mes018"), MsgIcon::Critical);
    return false;
}

QString ParamTransfer::Edit1Par(int n) const {
    return ParCoding::encodeWrite(n, m_defs[n].kind, m_link.axisCount(), m_table);
}

int ParamTransfer::NextParNo() {
    while (m_curParNo < MaxParNo) {
        ++m_curParNo;
        if (m_defs[m_curParNo].used == 1)
            return m_curParNo;
    }
    return -1;
}

void ParamTransfer::Progress1Plus() {
    if (m_state.progress < m_state.progressMax)
        ++m_state.progress;
    changed();
}

void ParamTransfer::CompleteComm(int iCode) {
    switch (iCode) {
    case 1:
        BaxMsg::show(QStringLiteral("Mes021"), MsgIcon::Information);
        m_state.busy = false;
        m_state.outcome = TransferState::Outcome::ReadDone;
        if (m_receiver != nullptr) {
            m_receiver->GetCtrlData(m_table);
            m_receiver->setButtonsEnabled(true);
        }
        changed();
        if (m_view != nullptr)
            m_view->closeTransfer();
        break;
    case 2:
        BaxMsg::show(QStringLiteral("Mes008"), MsgIcon::Information);
        SetEnabled(false);
        m_romEarned = true;
        m_writeCompleted = true;
        m_state.outcome = TransferState::Outcome::WriteDone;
        changed();
        break;
    case 3:
        BaxMsg::show(QStringLiteral("Mes022"), MsgIcon::Information);
        m_state.dialogEnabled = true;
        m_storing = false;
        m_romEarned = false;
        m_state.status.clear();
        m_state.outcome = TransferState::Outcome::FlashDone;
        changed();
        if (m_view != nullptr)
            m_view->closeTransfer();
        break;
    default:
        break;
    }
}

void ParamTransfer::SetEnabled(bool blnSw) {
    if (!blnSw && (m_state.busy || m_storing))
        m_state.outcome = TransferState::Outcome::Stopped;
    m_storing = false;
    m_state.busy = blnSw;
    m_state.doEnabled = !blnSw;
    m_state.closeEnabled = !blnSw;
    m_state.stopEnabled = blnSw;
    if (!blnSw) {
        m_state.status.clear();
        m_state.progress = 0;
    }
    changed();
}

void ParamTransfer::setDialogEnabled(bool enabled) {
    m_state.dialogEnabled = enabled;
    changed();
}
