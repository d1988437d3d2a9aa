#include "korvel/controller/dlgUP.h"

#include "korvel/controller/channelbox.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

dlgUP::dlgUP(KorvelProtocol* protocol, QWidget* parent)
    : ChannelDialog(protocol, QStringLiteral("cboCH"), QString::fromUtf8("状態 :"), parent) {
    setObjectName(QStringLiteral("dlgUP"));
    setModal(true);
    setWindowTitle(QString::fromUtf8("ｱｯﾌﾟﾛｰﾄﾞ"));

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setTextVisible(false);

    m_cmdUpLoad = makeButton(QString::fromUtf8("ｱｯﾌﾟﾛｰﾄﾞ"), QStringLiteral("cmdUpLoad"),
                             QStringLiteral("Cap003"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameTx());
    layout->addWidget(m_progressBar);
    layout->addLayout(buttonRow(m_cmdUpLoad, QString::fromUtf8("中断")));

    connect(m_cmdUpLoad, &QPushButton::clicked, this, &dlgUP::cmdUpLoad_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &dlgUP::cmdStop_Click);

    m_protocol->setUploadView(this);
}

dlgUP::~dlgUP() {
    if (m_protocol->link()->upOpen())
        unload();
    m_protocol->setUploadView(nullptr);
}

void dlgUP::ShowDialog() {
    m_protocol->link()->stopTimers();
    load();
    exec();
}

void dlgUP::formLoad() {
    m_protocol->link()->setUpOpen(true);
    // Program lines are read by their content: a CR LF controller whose LF came after the next
    // request would otherwise start that request's line with it.
    m_protocol->link()->setRxState(LineSplitter::Armed);
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001")));
    CaptionChange(this);
    resetChannels();
    SetEnabled(false);
}

void dlgUP::queryChannel(int channel) {
    SetEnabled(true);
    m_cmdStop->setEnabled(false);
    m_protocol->sendChInfUp(channel);
}

void dlgUP::SetEnabled(bool blnSw) {
    m_cmdUpLoad->setEnabled(!blnSw);
    m_cmdStop->setEnabled(blnSw);
    m_cmdClose->setEnabled(!blnSw);
    ChannelBox::setLocked(cboCH(), blnSw);
    if (!blnSw)
        m_progressBar->setValue(0);
}

void dlgUP::DispStatus(const QString& sMsg) {
    showChannelStatus(sMsg);
    m_expectedLines = channelLineCount(sMsg);
}

void dlgUP::Plus1Progress() {
    const int next = m_progressBar->value() + 1;
    // More lines than the channel announced: the bar stays full and keeps counting.
    if (next > m_progressBar->maximum())
        m_progressBar->setMaximum(next);
    m_progressBar->setValue(next);
}

void dlgUP::cmdUpLoad_Click() {
    const int channel = cboCH()->currentIndex() + 1;
    m_protocol->startUpload(channel);
    m_cmdStop->setEnabled(true);
    m_cmdUpLoad->setEnabled(false);
    m_cmdClose->setEnabled(false);
    // A channel query now would take the next program line as its reply.
    ChannelBox::setLocked(cboCH(), true);
    if (m_expectedLines != 0)
        m_progressBar->setMaximum(m_expectedLines);
}

void dlgUP::cmdStop_Click() {
    m_protocol->stopUpload();
    m_cmdStop->setEnabled(false);
    m_cmdUpLoad->setEnabled(true);
    m_cmdClose->setEnabled(true);
    m_progressBar->setValue(0);
    showInformation(QStringLiteral("Mes001"));
}

void dlgUP::unload() {
    SerialLink* link = m_protocol->link();
    if (link->port()->isOpen())
        link->port()->close();
    link->setReplyTimer(false);
    // Replies that still come find no upload request waiting.
    m_protocol->clearUploadFlags();
    link->setUpOpen(false);
}

void dlgUP::unloadDialog() {
    unload();
    QDialog::done(QDialog::Accepted);
}

void dlgUP::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
    QDialog::done(QDialog::Rejected);
}
