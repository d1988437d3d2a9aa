#include "korvel/controller/dlgDown.h"

#include "korvel/controller/channelbox.h"
#include "korvel/controller/trafficlog.h"
#include "korvel/model/programdoc.h"
#include "korvel/shell/filedialogs.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/portmap.h"
#include "shared/ui/captions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

dlgDown::dlgDown(KorvelProtocol* protocol, QWidget* parent)
    : ChannelDialog(protocol, QStringLiteral("comboCh"), QString::fromUtf8("状態　:"), parent) {
    setObjectName(QStringLiteral("dlgDown"));
    setModal(true);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setTextVisible(false);
    m_lstDbg = new QListWidget(this);
    m_lstDbg->setObjectName(QStringLiteral("lstDbg"));

    m_cmdTx = makeButton(QString::fromUtf8("ﾀﾞｳﾝﾛｰﾄﾞ"), QStringLiteral("cmdTx"),
                         QStringLiteral("Cap003"));
    m_chkVerify = new QCheckBox(QString::fromUtf8("ダウンロード後に照合する"), this);
    m_chkVerify->setObjectName(QStringLiteral("chkVerify"));
    Captions::setTag(m_chkVerify, QStringLiteral("Cap005"));
    m_cmdSaveLog = makeButton(QString::fromUtf8("ログ保存..."), QStringLiteral("cmdSaveLog"),
                              QStringLiteral("Cap006"));

    auto* logRow = new QHBoxLayout;
    logRow->addWidget(m_chkVerify);
    logRow->addStretch();
    logRow->addWidget(m_cmdSaveLog);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameTx());
    layout->addWidget(m_progressBar);
    layout->addWidget(m_lstDbg, 1);
    layout->addLayout(logRow);
    layout->addLayout(buttonRow(m_cmdTx, QString::fromUtf8("中断")));
    resize(420, 380);

    connect(m_cmdTx, &QPushButton::clicked, this, &dlgDown::cmdTx_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &dlgDown::cmdStop_Click);
    connect(m_cmdSaveLog, &QPushButton::clicked, this, &dlgDown::cmdSaveLog_Click);
    // The choice holds for the rest of the run.
    connect(m_chkVerify, &QCheckBox::toggled, this, [](bool on) { verifyChoice() = on; });

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

void dlgDown::formLoad() {
    SerialLink* link = m_protocol->link();
    link->stopTimers();
    CaptionChange(this);
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001")) +
                   QStringLiteral(" - ") + m_windowCaption);
    m_cmdStop->setEnabled(false);
    ChannelBox::setLocked(comboCh(), false);
    resetChannels();
    lblStatus()->clear();
    const int steps = m_doc ? m_doc->getStep() : 0;
    m_progressBar->setRange(0, steps < 1 ? 1 : steps);
    m_progressBar->setValue(0);
    QPalette pal = m_lstDbg->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    m_lstDbg->setPalette(pal);
    m_lstDbg->setFocusPolicy(Qt::NoFocus);
    m_chkVerify->setChecked(verifyChoice());
    m_busy = false;
    updateSaveLog();

    m_protocol->setProgram(m_doc);
    link->setDownloadLog(this);
    link->setDownOpen(true);
    link->setRxState(LineSplitter::Armed);
}

void dlgDown::queryChannel(int channel) {
    m_protocol->sendChInfDown(channel);
}

void dlgDown::dispChInf(const QString& sMsg) {
    showChannelStatus(sMsg);
}

void dlgDown::comWait(bool bSw, int iMode) {
    m_busy = bSw;
    m_chkVerify->setEnabled(!bSw);
    updateSaveLog();
    m_cmdTx->setEnabled(!bSw);
    ChannelBox::setLocked(comboCh(), bSw);
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
    updateSaveLog();
}

void dlgDown::updateSaveLog() {
    m_cmdSaveLog->setEnabled(!m_busy && m_lstDbg->count() > 0);
}

bool& dlgDown::verifyChoice() {
    static bool choice = false;
    return choice;
}

void dlgDown::cmdSaveLog_Click() {
    if (m_busy || m_lstDbg->count() == 0)
        return;
    QtProgramFileDialogs own(this);
    ProgramFileDialogs& dialogs = m_dialogs ? *m_dialogs : own;
    const QString filter =
        langFile().GetINIStr(objectName(), QStringLiteral("Mes003")) + QStringLiteral("|*.log");
    const QString path = dialogs.getSaveFileName(filter, QString(), QStringLiteral("korvel.log"));
    if (path.isEmpty())
        return;
    SerialPortService* port = m_protocol->link()->port();
    const QString header =
        trafficLogHeader(QDateTime::currentDateTime(), port->commPort(),
                         PortMap::devicePath(port->commPort()), port->settings());
    QString why;
    if (!writeTrafficLog(path, header, logLines(), &why))
        showKeyedMessage(MsgKey::LogNotSaved, QString(), MsgIcon::Critical,
                         QLatin1Char('\n') + QDir::toNativeSeparators(path) + QLatin1Char('\n') +
                             why);
}

QStringList dlgDown::logLines() const {
    QStringList lines;
    for (int i = 0; i < m_lstDbg->count(); ++i)
        lines << m_lstDbg->item(i)->text();
    return lines;
}

void dlgDown::cmdTx_Click() {
    m_protocol->setVerifyAfterDownload(m_chkVerify->isChecked());
    m_protocol->startDownload(comboCh()->currentIndex() + 1);
}

void dlgDown::cmdStop_Click() {
    m_protocol->stopDownload();
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
    updateSaveLog();
    event->accept();
    QDialog::done(QDialog::Rejected);
}
