#include "baxwin/ui/frmcorf.h"

#include "shared/inifile.h"
#include "shared/ui/captions.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

frmCorF::frmCorF(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCorF"));
    setWindowTitle(QStringLiteral("読み込みパラメータの選択"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_frame =
        new QGroupBox(QStringLiteral("パラメータをどちらから読み込むか選択してください"), this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    Captions::setTag(m_frame, QStringLiteral("Cap001"));
    m_opt0 = new QRadioButton(QStringLiteral("コントローラ"), m_frame);
    m_opt0->setObjectName(QStringLiteral("optPar0"));
    Captions::setTag(m_opt0, QStringLiteral("Cap002"));
    m_opt1 = new QRadioButton(QStringLiteral("ファイル"), m_frame);
    m_opt1->setObjectName(QStringLiteral("optPar1"));
    Captions::setTag(m_opt1, QStringLiteral("Cap003"));
    m_opt0->setChecked(true);
    auto* inner = new QVBoxLayout(m_frame);
    inner->addWidget(m_opt0);
    inner->addWidget(m_opt1);
    m_cmdEnter = new QPushButton(QStringLiteral("決定"), this);
    m_cmdEnter->setObjectName(QStringLiteral("cmdEnter"));
    m_cmdEnter->setDefault(true);
    Captions::setTag(m_cmdEnter, QStringLiteral("Cap004"));
    connect(m_cmdEnter, &QPushButton::clicked, this, &frmCorF::cmdEnter_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frame);
    layout->addWidget(m_cmdEnter, 0, Qt::AlignHCenter);
}

int frmCorF::ShowDialog() {
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001"), QString()));
    CaptionChange(this);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_code = -1;
    exec();
    return m_code;
}

void frmCorF::cmdEnter_Click() {
    if (m_opt0->isChecked())
        m_code = 0;
    else if (m_opt1->isChecked())
        m_code = 1;
    accept();
}
