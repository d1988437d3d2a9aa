#include "korvel/controller/dlgDown.h"

#include "korvel/controller/channelbox.h"
#include "korvel/controller/trafficlog.h"
#include "korvel/model/programdoc.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

dlgDown::dlgDown(KorvelProtocol* protocol, QWidget* parent)
    : QDialog(parent), m_protocol(protocol) {
    setObjectName(QStringLiteral("dlgDown"));
    setModal(true);

    m_frameTx = new QGroupBox(QStringLiteral("CH"), this);
    m_frameTx->setObjectName(QStringLiteral("frameTx"));
    auto* chLabel = new QLabel(QStringLiteral("CH :"), m_frameTx);
    m_comboCh = new QComboBox(m_frameTx);
    m_comboCh->setObjectName(QStringLiteral("comboCh"));
    auto* statusLabel = new QLabel(QString::fromUtf8("状態　:"), m_frameTx);
    statusLabel->setObjectName(QStringLiteral("lblStatusCap"));
    Captions::setTag(statusLabel, QStringLiteral("Cap004"));
    m_lblStatus = new QLabel(m_frameTx);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setMinimumWidth(160);
    auto* frameLayout = new QGridLayout(m_frameTx);
    frameLayout->addWidget(chLabel, 0, 0);
    frameLayout->addWidget(m_comboCh, 0, 1);
    frameLayout->addWidget(statusLabel, 1, 0);
    frameLayout->addWidget(m_lblStatus, 1, 1);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setTextVisible(false);
    m_lstDbg = new QListWidget(this);
    m_lstDbg->setObjectName(QStringLiteral("lstDbg"));

    m_cmdTx = new QPushButton(QString::fromUtf8("ﾀﾞｳﾝﾛｰﾄﾞ"), this);
    m_cmdTx->setObjectName(QStringLiteral("cmdTx"));
    Captions::setTag(m_cmdTx, QStringLiteral("Cap003"));
    m_cmdStop = new QPushButton(QString::fromUtf8("中断"), this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    Captions::setTag(m_cmdStop, QStringLiteral("Cap002"));
    m_cmdClose = new QPushButton(QString::fromUtf8("閉じる"), this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    Captions::setTag(m_cmdClose, QStringLiteral("Cap001"));
    for (QPushButton* b : {m_cmdTx, m_cmdStop, m_cmdClose})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdTx);
    buttons->addWidget(m_cmdStop);
    buttons->addStretch();
    buttons->addWidget(m_cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frameTx);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_lstDbg, 1);
    layout->addLayout(buttons);
    resize(420, 380);

    connect(m_cmdTx, &QPushButton::clicked, this, &dlgDown::cmdTx_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &dlgDown::cmdStop_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &dlgDown::cmdClose_Click);
    connect(m_comboCh, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &dlgDown::comboCh_Click);

    m_protocol->setDownloadView(this);
}

dlgDown::~dlgDown() {
    SerialLink* link = m_protocol->link();
    if (link->downOpen()) {
        link->setDownOpen(false);
        link->endExchange();
    }
    link->setDownloadLog(nullptr);
    m_protocol->setDownloadView(nullptr);
}

void dlgDown::setProgram(const ProgramDoc* doc, const QString& windowCaption) {
    m_doc = doc;
    m_windowCaption = windowCaption;
}

void dlgDown::vFormInitialize() {
    m_protocol->link()->wakeController();
    m_activated = false;
    m_pendingChannel = 0;
}

void dlgDown::formLoad() {
    m_loaded = true;
    SerialLink* link = m_protocol->link();
    link->stopTimers();
    CaptionChange(this);
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001")) +
                   QStringLiteral(" - ") + m_windowCaption);
    m_cmdStop->setEnabled(false);
    ChannelBox::setLocked(m_comboCh, false);
    m_comboCh->blockSignals(true);
    ChannelBox::fill(m_comboCh);
    m_comboCh->blockSignals(false);
    m_comboCh->setCurrentIndex(-1);
    m_comboCh->setCurrentIndex(0);
    m_lblStatus->clear();
    const int steps = m_doc ? m_doc->getStep() : 0;
    m_progressBar->setRange(0, steps < 1 ? 1 : steps);
    m_progressBar->setValue(0);
    QPalette pal = m_lstDbg->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    m_lstDbg->setPalette(pal);
    m_lstDbg->setFocusPolicy(Qt::NoFocus);

    m_protocol->setProgram(m_doc);
    link->setDownloadLog(this);
    link->setDownOpen(true);
    link->setRxState(LineSplitter::Armed);
}

void dlgDown::showEvent(QShowEvent* event) {
    if (!m_loaded)
        formLoad();
    QDialog::showEvent(event);
    // The platform may not report the activation of a modal window; once shown, it is active.
    QTimer::singleShot(0, this, &dlgDown::formActivate);
}

void dlgDown::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        formActivate();
}

void dlgDown::formActivate() {
    if (!m_loaded || !isVisible())
        return;
    m_activated = true;
    if (m_pendingChannel != 0) {
        const int channel = m_pendingChannel;
        m_pendingChannel = 0;
        m_protocol->sendChInfDown(channel);
    }
}

void dlgDown::comboCh_Click(int index) {
    if (index < 0)
        return;
    if (m_activated)
        m_protocol->sendChInfDown(index + 1);
    else
        m_pendingChannel = index + 1;
}

void dlgDown::dispChInf(const QString& sMsg) {
    m_lblStatus->setText(channelStatusText(sMsg));
}

void dlgDown::comWait(bool bSw, int iMode) {
    m_cmdTx->setEnabled(!bSw);
    ChannelBox::setLocked(m_comboCh, bSw);
    m_cmdClose->setEnabled(!bSw);
    if (iMode == KorvelProtocol::ModeTransfer)
        m_cmdStop->setEnabled(bSw);
    if (!bSw)
        m_progressBar->setValue(0);
}

void dlgDown::setProgressbar(int iNum) {
    m_progressBar->setValue(qBound(m_progressBar->minimum(), iNum, m_progressBar->maximum()));
}

void dlgDown::putMsg(const QString& sMsg, bool bDir) {
    if (m_bNewLine && !bDir) {
        m_bNewLine = false;
        m_lstDbg->addItem(QString());
    }
    const QString text = trafficText(sMsg);
    const int count = m_lstDbg->count();
    QListWidgetItem* last = count > 0 ? m_lstDbg->item(count - 1) : nullptr;
    const QString lastText = last ? last->text() : QString();
    const QChar mark = bDir ? QLatin1Char('<') : QLatin1Char('>');
    if (last && lastText.startsWith(mark))
        last->setText(lastText + text);
    else
        m_lstDbg->addItem(mark + text);
    m_lstDbg->setCurrentRow(m_lstDbg->count() - 1);
    m_lstDbg->scrollToItem(m_lstDbg->item(m_lstDbg->count() - 1));
    m_lstDbg->clearSelection();
}

QStringList dlgDown::logLines() const {
    QStringList lines;
    for (int i = 0; i < m_lstDbg->count(); ++i)
        lines << m_lstDbg->item(i)->text();
    return lines;
}

void dlgDown::cmdTx_Click() {
    m_protocol->startDownload(m_comboCh->currentIndex() + 1);
}

void dlgDown::cmdStop_Click() {
    m_protocol->stopDownload();
}

void dlgDown::cmdClose_Click() {
    close();
}

void dlgDown::reject() {
    close();
}

void dlgDown::closeEvent(QCloseEvent* event) {
    if (!m_cmdClose->isEnabled()) {
        event->ignore();
        return;
    }
    SerialLink* link = m_protocol->link();
    link->setDownOpen(false);
    link->endExchange();
    link->setDownloadLog(nullptr);
    m_lstDbg->clear();
    event->accept();
    QDialog::done(QDialog::Rejected);
}
