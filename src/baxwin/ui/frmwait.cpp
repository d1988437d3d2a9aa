#include "baxwin/ui/frmwait.h"

#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

frmWait::frmWait(ParamLink& link, const ParDefs& defs, QWidget* parent)
    : QDialog(parent), m_transfer(link, defs) {
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QStringLiteral("通信ダイアログ"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_pbrComm = new QProgressBar(this);
    m_pbrComm->setObjectName(QStringLiteral("pbrComm"));
    m_pbrComm->setTextVisible(false);
    auto button = [this](const char* name, const char* tag, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        Captions::setTag(b, QLatin1String(tag));
        return b;
    };
    m_cmdDo = button("cmdDo", "Cap003", QStringLiteral("開始"));
    m_cmdStop = button("cmdStop", "Cap002", QStringLiteral("中断"));
    m_cmdClose = button("cmdClose", "Cap001", QStringLiteral("閉じる"));
    m_cmdROM = button("cmdROM", "Cap004", QStringLiteral("ﾌﾗｯｼｭﾒﾓﾘ書込"));
    // Enter starts the transfer, as the start button's frame shows.
    m_cmdDo->setDefault(true);
    connect(m_cmdDo, &QPushButton::clicked, this, [this] { m_transfer.cmdDo(); });
    connect(m_cmdStop, &QPushButton::clicked, this, [this] { m_transfer.cmdStop(); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { m_transfer.cmdClose(); });
    connect(m_cmdROM, &QPushButton::clicked, this, [this] { m_transfer.cmdROM(); });

    auto* row = new QHBoxLayout;
    row->addWidget(m_cmdDo);
    row->addWidget(m_cmdStop);
    row->addWidget(m_cmdClose);
    auto* romRow = new QHBoxLayout;
    romRow->addStretch();
    romRow->addWidget(m_cmdROM);
    romRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblStatus);
    layout->addWidget(m_pbrComm);
    layout->addLayout(row);
    layout->addLayout(romRow);
    setMinimumWidth(360);
    m_transfer.setView(this);
}

void frmWait::ShowDialog(int iCode, const QString& title) {
    m_transfer.prepare(iCode);
    if (!title.isEmpty())
        m_transfer.setTitle(title);
    CaptionChange(this);
    // The flash store row is left out when reading.
    m_cmdROM->setVisible(iCode == 1);
    adjustSize();
    if (iCode != 1)
        resize(width(), height() * 8 / 10 > minimumSizeHint().height()
                            ? height() * 8 / 10
                            : minimumSizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    transferChanged(m_transfer.state());
    m_closing = false;
    exec();
}

void frmWait::transferChanged(const TransferState& state) {
    setWindowTitle(state.title);
    m_lblStatus->setText(state.status);
    // A bar without steps would show a busy animation.
    m_pbrComm->setRange(0, qMax(1, state.progressMax));
    m_pbrComm->setValue(qBound(0, state.progress, m_pbrComm->maximum()));
    m_cmdDo->setEnabled(state.doEnabled);
    m_cmdStop->setEnabled(state.stopEnabled);
    m_cmdClose->setEnabled(state.closeEnabled);
    m_cmdROM->setEnabled(state.romEnabled);
    setEnabled(state.dialogEnabled);
}

void frmWait::closeTransfer() {
    m_closing = true;
    setEnabled(true);
    done(QDialog::Accepted);
}

void frmWait::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    m_transfer.frameClose();
}

void frmWait::reject() {
    if (m_closing)
        QDialog::reject();
    else
        m_transfer.frameClose();
}
