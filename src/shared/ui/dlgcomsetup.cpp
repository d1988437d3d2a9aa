#include "shared/ui/dlgcomsetup.h"

#include "shared/inifile.h"
#include "shared/portmap.h"
#include "shared/ui/captions.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("dlgComSetup");
}

dlgComSetup::dlgComSetup(SerialSettings& com, QWidget* parent, const QString& windowName)
    : QDialog(parent), m_com(com) {
    setObjectName(windowName);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    QStringList ports;
    for (int n = 1; n <= ComCode::PortCount; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    QGroupBox* fraPort = makeGroup(QStringLiteral("fraPort"), QStringLiteral("Cap001"), &m_grpPort,
                                   &m_optPort, ports, {}, &ComSettings::port, 4);
    QGroupBox* fraBps =
        makeGroup(QStringLiteral("fraBps"), QStringLiteral("Cap002"), &m_grpBps, &m_optBps,
                  {QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                   QStringLiteral("38400")},
                  {}, &ComSettings::speed, 4);
    QGroupBox* fraParity =
        makeGroup(QStringLiteral("fraParity"), QStringLiteral("Cap003"), &m_grpParity, &m_optParity,
                  {QStringLiteral("なし"), QStringLiteral("偶数"), QStringLiteral("奇数")},
                  {QStringLiteral("Cap004"), QStringLiteral("Cap005"), QStringLiteral("Cap006")},
                  &ComSettings::parity, 3);
    QGroupBox* fraData =
        makeGroup(QStringLiteral("fraData"), QStringLiteral("Cap007"), &m_grpData, &m_optData,
                  {QStringLiteral("7"), QStringLiteral("8")}, {}, &ComSettings::dataBits, 2);
    QGroupBox* fraStop =
        makeGroup(QStringLiteral("fraStop"), QStringLiteral("Cap008"), &m_grpStop, &m_optStop,
                  {QStringLiteral("1"), QStringLiteral("2")}, {}, &ComSettings::stopBits, 2);

    for (int n = 1; n <= ComCode::PortCount; ++n)
        m_optPort[n]->setToolTip(portToolTip(n));

    m_comReset = new QPushButton(QStringLiteral("規定値へ戻す"), this);
    m_comReset->setObjectName(QStringLiteral("comReset"));
    Captions::setTag(m_comReset, QStringLiteral("Cap009"));
    m_cmdOk = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdOk->setDefault(true);
    Captions::setTag(m_cmdOk, QStringLiteral("Cap010"));
    m_cmdCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    Captions::setTag(m_cmdCancel, QStringLiteral("Cap011"));
    connect(m_comReset, &QPushButton::clicked, this, &dlgComSetup::onReset);
    connect(m_cmdOk, &QPushButton::clicked, this, &dlgComSetup::onOk);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* lines = new QHBoxLayout;
    lines->addWidget(fraData);
    lines->addWidget(fraStop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_comReset);
    buttons->addStretch();
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraPort);
    layout->addWidget(fraBps);
    layout->addWidget(fraParity);
    layout->addLayout(lines);
    layout->addLayout(buttons);

    loadSettings();
}

QGroupBox* dlgComSetup::makeGroup(const QString& name, const QString& tag, QButtonGroup** group,
                                  QVector<QRadioButton*>* buttons, const QStringList& captions,
                                  const QStringList& tags, qint16 ComSettings::*field,
                                  int columns) {
    auto* frame = new QGroupBox(this);
    frame->setObjectName(name);
    Captions::setTag(frame, tag);
    *group = new QButtonGroup(this);
    auto* grid = new QGridLayout(frame);
    buttons->append(nullptr); // option i stands for index i
    for (int i = 0; i < captions.size(); ++i) {
        auto* opt = new QRadioButton(captions.at(i), frame);
        opt->setObjectName(name.mid(3).prepend(QStringLiteral("opt")) + QString::number(i + 1));
        if (i < tags.size())
            Captions::setTag(opt, tags.at(i));
        (*group)->addButton(opt, i + 1);
        grid->addWidget(opt, i / columns, i % columns);
        buttons->append(opt);
    }
    connect(*group, &QButtonGroup::idToggled, this, [this, field](int id, bool checked) {
        if (checked)
            m_work.*field = static_cast<qint16>(id);
    });
    return frame;
}

QString dlgComSetup::portToolTip(int n) {
    const QString device = PortMap::devicePath(n);
    QStringList lines{device};
    const QSerialPortInfo info(device);
    if (!info.description().isEmpty())
        lines << info.description();
    if (!info.manufacturer().isEmpty())
        lines << info.manufacturer();
    return lines.join(QLatin1Char('\n'));
}

void dlgComSetup::loadSettings() {
    m_work.port = 0;
    setWindowTitle(langFile().GetINIStr(Section, QStringLiteral("Title001")));
    CaptionSet(this, Section);
    for (int n = 1; n <= ComCode::PortCount; ++n)
        m_optPort[n]->setEnabled(m_com.isPortUsable(static_cast<qint16>(n)));
    const ComSettings current = m_com.getComSettings();
    // A group left without a selection keeps none; exclusivity would forbid unchecking.
    m_grpPort->setExclusive(false);
    for (int n = 1; n <= ComCode::PortCount; ++n)
        m_optPort[n]->setChecked(false);
    m_grpPort->setExclusive(true);
    if (QRadioButton* b = m_optPort.value(current.port))
        b->setChecked(true);
    if (QRadioButton* b = m_optBps.value(current.speed))
        b->setChecked(true);
    if (QRadioButton* b = m_optParity.value(current.parity))
        b->setChecked(true);
    if (QRadioButton* b = m_optData.value(current.dataBits))
        b->setChecked(true);
    if (QRadioButton* b = m_optStop.value(current.stopBits))
        b->setChecked(true);
}

bool dlgComSetup::ShowDialog() {
    loadSettings();
    return exec() == QDialog::Accepted;
}

void dlgComSetup::onReset() {
    m_optBps.value(SerialSettings::getDefaultDigit(2))->setChecked(true);
    m_optParity.value(SerialSettings::getDefaultDigit(3))->setChecked(true);
    m_optData.value(SerialSettings::getDefaultDigit(4))->setChecked(true);
    m_optStop.value(SerialSettings::getDefaultDigit(5))->setChecked(true);
}

void dlgComSetup::onOk() {
    m_com.setComSettings(m_work);
    m_com.applySettings();
    accept();
}
