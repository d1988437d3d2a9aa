#include "korvel/controller/dlgExe.h"

#include "korvel/controller/channelbox.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

dlgExe::dlgExe(KorvelProtocol* protocol, QWidget* parent) : QDialog(parent), m_protocol(protocol) {
    setObjectName(QStringLiteral("dlgExe"));
    setModal(true);

    auto* frameTx = new QGroupBox(QStringLiteral("CH"), this);
    frameTx->setObjectName(QStringLiteral("frameTx"));
    auto* chLabel = new QLabel(QStringLiteral("CH :"), frameTx);
    m_comboCh = new QComboBox(frameTx);
    m_comboCh->setObjectName(QStringLiteral("comboCh"));
    auto* statusLabel = new QLabel(QString::fromUtf8("状態 :"), frameTx);
    statusLabel->setObjectName(QStringLiteral("lblStatusCap"));
    Captions::setTag(statusLabel, QStringLiteral("Cap004"));
    m_lblStatus = new QLabel(frameTx);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setMinimumWidth(160);
    auto* frameLayout = new QGridLayout(frameTx);
    frameLayout->addWidget(chLabel, 0, 0);
    frameLayout->addWidget(m_comboCh, 0, 1);
    frameLayout->addWidget(statusLabel, 1, 0);
    frameLayout->addWidget(m_lblStatus, 1, 1);

    m_cmdStart = new QPushButton(QString::fromUtf8("実行"), this);
    m_cmdStart->setObjectName(QStringLiteral("cmdStart"));
    Captions::setTag(m_cmdStart, QStringLiteral("Cap003"));
    m_cmdStop = new QPushButton(QString::fromUtf8("停止"), this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    Captions::setTag(m_cmdStop, QStringLiteral("Cap002"));
    m_cmdClose = new QPushButton(QString::fromUtf8("閉じる"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    Captions::setTag(m_cmdClose, QStringLiteral("Cap001"));
    for (QPushButton* b : {m_cmdStart, m_cmdStop, m_cmdClose})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdStart);
    buttons->addWidget(m_cmdStop);
    buttons->addStretch();
    buttons->addWidget(m_cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameTx);
    layout->addLayout(buttons);

    connect(m_cmdStart, &QPushButton::clicked, this, &dlgExe::cmdStart_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &dlgExe::cmdStop_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &dlgExe::cmdClose_Click);
    connect(m_comboCh, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &dlgExe::comboCh_Click);

    m_protocol->setExecuteView(this);
}

dlgExe::~dlgExe() {
    m_protocol->setExecuteView(nullptr);
}

void dlgExe::vFormInitialize() {
    m_protocol->link()->wakeController();
    m_activated = false;
    m_pendingChannel = 0;
}

void dlgExe::formLoad() {
    m_loaded = true;
    m_protocol->link()->stopTimers();
    // A late LF in front of an error reply would hide the error.
    m_protocol->link()->setRxState(LineSplitter::Armed);
    CaptionChange(this);
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001")));
    ChannelBox::setLocked(m_comboCh, false);
    m_comboCh->blockSignals(true);
    ChannelBox::fill(m_comboCh);
    m_comboCh->blockSignals(false);
    m_comboCh->setCurrentIndex(-1);
    m_comboCh->setCurrentIndex(0);
    m_lblStatus->clear();
}

void dlgExe::showEvent(QShowEvent* event) {
    if (!m_loaded)
        formLoad();
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &dlgExe::formActivate);
}

void dlgExe::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        formActivate();
}

void dlgExe::formActivate() {
    if (!m_loaded || !isVisible())
        return;
    m_activated = true;
    if (m_pendingChannel != 0) {
        const int channel = m_pendingChannel;
        m_pendingChannel = 0;
        m_protocol->sendChInfExe(channel);
    }
}

void dlgExe::comboCh_Click(int index) {
    if (index < 0)
        return;
    if (m_activated)
        m_protocol->sendChInfExe(index + 1);
    else
        m_pendingChannel = index + 1;
}

void dlgExe::dispChInf(const QString& sMsg) {
    m_lblStatus->setText(channelStatusText(sMsg));
}

void dlgExe::comWait(bool bSw) {
    m_cmdStart->setEnabled(!bSw);
    m_cmdStop->setEnabled(!bSw);
    m_cmdClose->setEnabled(!bSw);
    ChannelBox::setLocked(m_comboCh, bSw);
}

int dlgExe::selectedChannel() const {
    return m_comboCh->currentIndex() + 1;
}

void dlgExe::cmdStart_Click() {
    m_protocol->startExecute();
}

void dlgExe::cmdStop_Click() {
    m_protocol->stopExecute();
}

void dlgExe::cmdClose_Click() {
    close();
}

void dlgExe::reject() {
    close();
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
