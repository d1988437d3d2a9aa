#include "korvel/controller/dlgUP.h"

#include "korvel/controller/channelbox.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

dlgUP::dlgUP(KorvelProtocol* protocol, QWidget* parent) : QDialog(parent), m_protocol(protocol) {
    setObjectName(QStringLiteral("dlgUP"));
    setModal(true);
    setWindowTitle(QString::fromUtf8("ｱｯﾌﾟﾛｰﾄﾞ"));

    auto* frameTx = new QGroupBox(QStringLiteral("CH"), this);
    frameTx->setObjectName(QStringLiteral("frameTx"));
    auto* chLabel = new QLabel(QStringLiteral("CH :"), frameTx);
    m_cboCH = new QComboBox(frameTx);
    m_cboCH->setObjectName(QStringLiteral("cboCH"));
    auto* statusLabel = new QLabel(QString::fromUtf8("状態 :"), frameTx);
    statusLabel->setObjectName(QStringLiteral("lblStatusCap"));
    Captions::setTag(statusLabel, QStringLiteral("Cap004"));
    m_lblStatus = new QLabel(frameTx);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setMinimumWidth(160);
    auto* frameLayout = new QGridLayout(frameTx);
    frameLayout->addWidget(chLabel, 0, 0);
    frameLayout->addWidget(m_cboCH, 0, 1);
    frameLayout->addWidget(statusLabel, 1, 0);
    frameLayout->addWidget(m_lblStatus, 1, 1);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setTextVisible(false);

    m_cmdUpLoad = new QPushButton(QString::fromUtf8("ｱｯﾌﾟﾛｰﾄﾞ"), this);
    m_cmdUpLoad->setObjectName(QStringLiteral("cmdUpLoad"));
    Captions::setTag(m_cmdUpLoad, QStringLiteral("Cap003"));
    m_cmdStop = new QPushButton(QString::fromUtf8("中断"), this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    Captions::setTag(m_cmdStop, QStringLiteral("Cap002"));
    m_cmdClose = new QPushButton(QString::fromUtf8("閉じる"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    Captions::setTag(m_cmdClose, QStringLiteral("Cap001"));
    for (QPushButton* b : {m_cmdUpLoad, m_cmdStop, m_cmdClose})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdUpLoad);
    buttons->addWidget(m_cmdStop);
    buttons->addStretch();
    buttons->addWidget(m_cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameTx);
    layout->addWidget(m_progressBar);
    layout->addLayout(buttons);

    connect(m_cmdUpLoad, &QPushButton::clicked, this, &dlgUP::cmdUpLoad_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &dlgUP::cmdStop_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &dlgUP::cmdClose_Click);
    connect(m_cboCH, qOverload<int>(&QComboBox::currentIndexChanged), this, &dlgUP::cboCH_Click);

    m_protocol->setUploadView(this);
}

dlgUP::~dlgUP() {
    if (m_protocol->link()->upOpen())
        unload();
    m_protocol->setUploadView(nullptr);
}

void dlgUP::InitUpLoad() {
    m_protocol->link()->wakeController();
    m_activated = false;
    m_pendingChannel = 0;
}

void dlgUP::ShowDialog() {
    m_protocol->link()->stopTimers();
    formLoad();
    exec();
}

void dlgUP::formLoad() {
    m_loaded = true;
    m_protocol->link()->setUpOpen(true);
    // Program lines are read by their content: a CR LF controller whose LF came after the next
    // request would otherwise start that request's line with it.
    m_protocol->link()->setRxState(LineSplitter::Armed);
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001")));
    CaptionChange(this);
    m_cboCH->blockSignals(true);
    ChannelBox::fill(m_cboCH);
    m_cboCH->blockSignals(false);
    m_cboCH->setCurrentIndex(-1);
    m_cboCH->setCurrentIndex(0);
    SetEnabled(false);
}

void dlgUP::showEvent(QShowEvent* event) {
    if (!m_loaded)
        formLoad();
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &dlgUP::formActivate);
}

void dlgUP::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        formActivate();
}

void dlgUP::formActivate() {
    if (!m_loaded || !isVisible())
        return;
    m_activated = true;
    if (m_pendingChannel != 0) {
        const int channel = m_pendingChannel;
        m_pendingChannel = 0;
        SetEnabled(true);
        m_cmdStop->setEnabled(false);
        m_protocol->sendChInfUp(channel);
    }
}

void dlgUP::cboCH_Click(int index) {
    if (index < 0)
        return;
    if (m_activated) {
        SetEnabled(true);
        m_cmdStop->setEnabled(false);
        m_protocol->sendChInfUp(index + 1);
    } else {
        m_pendingChannel = index + 1;
    }
}

void dlgUP::SetEnabled(bool blnSw) {
    m_cmdUpLoad->setEnabled(!blnSw);
    m_cmdStop->setEnabled(blnSw);
    m_cmdClose->setEnabled(!blnSw);
    ChannelBox::setLocked(m_cboCH, blnSw);
    if (!blnSw)
        m_progressBar->setValue(0);
}

void dlgUP::DispStatus(const QString& sMsg) {
    m_lblStatus->setText(channelStatusText(sMsg));
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
    const int channel = m_cboCH->currentIndex() + 1;
    m_protocol->startUpload(channel);
    m_cmdStop->setEnabled(true);
    m_cmdUpLoad->setEnabled(false);
    m_cmdClose->setEnabled(false);
    // A channel query now would take the next program line as its reply.
    ChannelBox::setLocked(m_cboCH, true);
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

void dlgUP::cmdClose_Click() {
    close();
}

void dlgUP::reject() {
    close();
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
