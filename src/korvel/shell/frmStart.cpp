#include "korvel/shell/frmStart.h"

#include "korvel/model/runconfig.h"
#include "korvel/shell/messages.h"
#include "korvel/shell/typcfg.h"
#include "shared/apppaths.h"
#include "shared/inifile.h"
#include "shared/numbers.h"
#include "shared/ui/captions.h"
#include "shared/ui/windowrules.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("frmStart");
}

frmStart::frmStart(const QString& argument, QWidget* parent)
    // A fixed-size dialog with a title and a close box only: no minimise or maximise.
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(kSection);

    RunConfig::setCommandLineArgument(argument);
    const int languageNo = Numbers::languageNumberFromArgument(argument);
    RunConfig::setLanguageNo(languageNo);
    langFile().setINIFile(AppPaths::appFilePath(QStringLiteral("LANG%1.DAT").arg(languageNo)));

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto* frameLayout = new QVBoxLayout(m_frame1);
    static const char* const kDesign[3] = {"１軸コントローラ", "２軸コントローラ",
                                           "３軸コントローラ"};
    for (int i = 0; i < 3; ++i) {
        m_optType[i] = new QRadioButton(QString::fromUtf8(kDesign[i]), m_frame1);
        m_optType[i]->setObjectName(QStringLiteral("optType(%1)").arg(i));
        Captions::setTag(m_optType[i],
                         QStringLiteral("Caption%1").arg(i + 3, 3, 10, QLatin1Char('0')));
        frameLayout->addWidget(m_optType[i]);
    }
    m_optType[0]->setChecked(true);

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    Captions::setTag(m_cmdOK, QStringLiteral("Caption001"));
    m_cmdCancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    Captions::setTag(m_cmdCancel, QStringLiteral("Caption002"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_frame1);
    layout->addLayout(buttons);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmStart::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmStart::cmdCancel_Click);

    CaptionChange(this);
    setWindowTitle(langFile().GetINIStr(kSection, QStringLiteral("Caption000"), QString()));

    adjustSize();
    // Wide enough for the title the window manager draws (with the program's name) beside its
    // buttons.
    QFont titleFont = font();
    titleFont.setBold(true);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(
                               windowTitle() + QStringLiteral(" - ") + programTitle()) +
                           8 * QFontMetrics(titleFont).height();
    setFixedSize(qMax(width(), titleWidth), height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }

    m_optType[readControllerType() - 1]->setChecked(true);
    WindowRules::refuseMinimise(this);

    // A session shutdown closes the window; only the operator's close box is refused.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_closing = true; });
}

void frmStart::cmdOK_Click() {
    int index = 0;
    for (int i = 0; i < 3; ++i) {
        if (m_optType[i]->isChecked()) {
            index = i;
            break;
        }
    }
    RunConfig::setControllerType(index + 1);
    const WriteResult written = writeControllerType(RunConfig::controllerType());
    if (!written.ok) {
        // The choice still holds for this run; only the memory for the next start is lost.
        MessageRequest r;
        r.title = programTitle();
        r.icon = MsgIcon::Exclamation;
        r.text = langFile().GetINIStr(kSection, QStringLiteral("Mes002")) +
                 QStringLiteral("\n%1\n%2").arg(typCfgPath(), written.error);
        presentMessage(r);
    }
    m_closing = true;
    close();
    deleteLater();
    if (m_onConfirmed)
        m_onConfirmed();
}

void frmStart::cmdCancel_Click() {
    MessageRequest r;
    r.title = programTitle();
    r.text = langFile().GetINIStr(kSection, QStringLiteral("Mes001"));
    r.buttons = MsgButtons::YesNo;
    r.icon = MsgIcon::None;
    r.defaultButton = MsgResult::Yes;
    if (presentMessage(r) != MsgResult::Yes)
        return;
    m_closing = true;
    close();
    if (m_onQuit)
        m_onQuit();
}

void frmStart::keyPressEvent(QKeyEvent* event) {
    // Enter presses the focused button, else the default one (OK), as in any dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused != nullptr ? focused : m_cmdOK)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmStart::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
