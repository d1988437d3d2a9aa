#include "korvel/controller/dlgExe.h"

#include "korvel/controller/channelbox.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

dlgExe::dlgExe(KorvelProtocol* protocol, QWidget* parent)
    : ChannelDialog(protocol, QStringLiteral("comboCh"), QString::fromUtf8("状態 :"), parent) {
    setObjectName(QStringLiteral("dlgExe"));
    setModal(true);

    m_cmdStart =
        makeButton(QString::fromUtf8("実行"), QStringLiteral("cmdStart"), QStringLiteral("Cap003"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameTx());
    layout->addLayout(buttonRow(m_cmdStart, QString::fromUtf8("停止")));

    connect(m_cmdStart, &QPushButton::clicked, this, &dlgExe::cmdStart_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &dlgExe::cmdStop_Click);

    m_protocol->setExecuteView(this);
}

dlgExe::~dlgExe() {
    m_protocol->setExecuteView(nullptr);
}

void dlgExe::formLoad() {
    m_protocol->link()->stopTimers();
    // A late LF in front of an error reply would hide the error.
    m_protocol->link()->setRxState(LineSplitter::Armed);
    CaptionChange(this);
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001")));
    ChannelBox::setLocked(comboCh(), false);
    resetChannels();
    lblStatus()->clear();
}

void dlgExe::queryChannel(int channel) {
    m_protocol->sendChInfExe(channel);
}

void dlgExe::dispChInf(const QString& sMsg) {
    showChannelStatus(sMsg);
}

void dlgExe::comWait(bool bSw) {
    m_cmdStart->setEnabled(!bSw);
    m_cmdStop->setEnabled(!bSw);
    m_cmdClose->setEnabled(!bSw);
    ChannelBox::setLocked(comboCh(), bSw);
}

int dlgExe::selectedChannel() const {
    return comboCh()->currentIndex() + 1;
}

void dlgExe::cmdStart_Click() {
    m_protocol->startExecute();
}

void dlgExe::cmdStop_Click() {
    m_protocol->stopExecute();
}

void dlgExe::closeEvent(QCloseEvent* event) {
    if (!m_cmdClose->isEnabled()) {
        event->ignore();
        return;
    }
    m_protocol->link()->endExchange();
    event->accept();
    QDialog::done(QDialog::Rejected);
}
