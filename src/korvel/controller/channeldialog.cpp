#include "korvel/controller/channeldialog.h"

#include "korvel/controller/channelbox.h"
#include "korvel/controller/protocol.h"
#include "shared/ui/captions.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

ChannelDialog::ChannelDialog(KorvelProtocol* protocol, const QString& boxName,
                             const QString& statusCaption, QWidget* parent)
    : QDialog(parent), m_protocol(protocol) {
    auto* frame = new QGroupBox(QStringLiteral("CH"), this);
    frame->setObjectName(QStringLiteral("frameTx"));
    m_frameTx = frame;
    auto* chLabel = new QLabel(QStringLiteral("CH :"), m_frameTx);
    m_channelBox = new QComboBox(m_frameTx);
    m_channelBox->setObjectName(boxName);
    auto* statusLabel = new QLabel(statusCaption, m_frameTx);
    statusLabel->setObjectName(QStringLiteral("lblStatusCap"));
    Captions::setTag(statusLabel, QStringLiteral("Cap004"));
    m_lblStatus = new QLabel(m_frameTx);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setMinimumWidth(160);
    auto* frameLayout = new QGridLayout(m_frameTx);
    frameLayout->addWidget(chLabel, 0, 0);
    frameLayout->addWidget(m_channelBox, 0, 1);
    frameLayout->addWidget(statusLabel, 1, 0);
    frameLayout->addWidget(m_lblStatus, 1, 1);

    connect(m_channelBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &ChannelDialog::channelBox_Click);
}

QPushButton* ChannelDialog::makeButton(const QString& text, const QString& name,
                                       const QString& captionKey) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    Captions::setTag(button, captionKey);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout* ChannelDialog::buttonRow(QPushButton* action, const QString& stopText) {
    m_cmdStop = makeButton(stopText, QStringLiteral("cmdStop"), QStringLiteral("Cap002"));
    m_cmdClose = makeButton(QString::fromUtf8("閉じる"), QStringLiteral("cmdClose"),
                            QStringLiteral("Cap001"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(action);
    buttons->addWidget(m_cmdStop);
    buttons->addStretch();
    buttons->addWidget(m_cmdClose);
    connect(m_cmdClose, &QPushButton::clicked, this, &ChannelDialog::cmdClose_Click);
    return buttons;
}

void ChannelDialog::cmdClose_Click() {
    close();
}

void ChannelDialog::reject() {
    close();
}

void ChannelDialog::beginSession() {
    m_protocol->link()->wakeController();
    m_activated = false;
    m_pendingChannel = 0;
}

void ChannelDialog::load() {
    m_loaded = true;
    formLoad();
}

void ChannelDialog::resetChannels() {
    m_channelBox->blockSignals(true);
    ChannelBox::fill(m_channelBox);
    m_channelBox->blockSignals(false);
    m_channelBox->setCurrentIndex(-1);
    m_channelBox->setCurrentIndex(0);
}

void ChannelDialog::showChannelStatus(const QString& sMsg) {
    m_lblStatus->setText(channelStatusText(sMsg));
}

void ChannelDialog::showEvent(QShowEvent* event) {
    if (!m_loaded)
        load();
    QDialog::showEvent(event);
    // The platform may not report the activation of a modal window; once shown, it is active.
    QTimer::singleShot(0, this, &ChannelDialog::formActivate);
}

void ChannelDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        formActivate();
}

void ChannelDialog::formActivate() {
    if (!m_loaded || !isVisible())
        return;
    m_activated = true;
    if (m_pendingChannel != 0) {
        const int channel = m_pendingChannel;
        m_pendingChannel = 0;
        queryChannel(channel);
    }
}

void ChannelDialog::channelBox_Click(int index) {
    if (index < 0)
        return;
    if (m_activated)
        queryChannel(index + 1);
    else
        m_pendingChannel = index + 1;
}
