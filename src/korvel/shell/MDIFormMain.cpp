#include "korvel/shell/MDIFormMain.h"

#include "korvel/controller/commcommands.h"
#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/FrmCmd.h"
#include "korvel/shell/commandpictures.h"
#include "korvel/shell/filedialogs.h"
#include "korvel/shell/linkmessenger.h"
#include "korvel/shell/messages.h"
#include "shared/comsettings.h"
#include "shared/inifile.h"
#include "shared/lingeringport.h"
#include "shared/seriallink.h"
#include "shared/ui/captions.h"
#include "shared/ui/dlgcomsetup.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace {
const QString kSection = QStringLiteral("MDIFormMain");

// The reader creates its program window through the main window and closes it after a failed
// load.
class MainWindowMaker : public ProgramWindowMaker {
public:
    explicit MainWindowMaker(MDIFormMain* main) : m_main(main) {}
    ProgramDoc* makeNewForm(int iAxisNum) override {
        m_form = m_main->makeNewForm(iAxisNum);
        return &m_form->doc();
    }
    void discardForm(ProgramDoc* doc) override {
        if (m_form == nullptr || &m_form->doc() != doc)
            return;
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m_form->parentWidget()))
            sub->close();
        else
            m_form->close();
    }

private:
    MDIFormMain* m_main;
    QPointer<FrmProg> m_form;
};
} // namespace

// The program window the operator chose, kept across what takes the focus away from the child
// area: a disabled main window drops the focus, and when it comes back the child area would hand
// the activation to its first window. A window made meanwhile (an upload's) is the new choice.
class MDIFormMain::ActiveKeeper {
public:
    explicit ActiveKeeper(MDIFormMain* main) : m_main(main) { capture(); }
    ~ActiveKeeper() { restore(); }
    ActiveKeeper(const ActiveKeeper&) = delete;
    ActiveKeeper& operator=(const ActiveKeeper&) = delete;

    void capture() {
        m_docCounter = m_main->m_docCounter;
        m_sub = m_main->m_mdiArea->activeSubWindow();
        if (m_sub == nullptr)
            m_sub = m_main->m_mdiArea->currentSubWindow();
        QWidget* focus = QApplication::focusWidget();
        m_focus =
            focus != nullptr && m_sub != nullptr && m_sub->isAncestorOf(focus) ? focus : nullptr;
        if (m_focus == nullptr && m_sub != nullptr)
            m_focus = m_sub->widget() != nullptr ? m_sub->widget()->focusWidget() : nullptr;
    }
    void restore() {
        if (m_sub == nullptr || m_main->m_docCounter != m_docCounter)
            return;
        if (m_main->m_mdiArea->activeSubWindow() != m_sub)
            m_main->m_mdiArea->setActiveSubWindow(m_sub);
        if (m_focus != nullptr && m_focus->isEnabled())
            m_focus->setFocus(Qt::OtherFocusReason);
    }

private:
    MDIFormMain* m_main;
    QPointer<QMdiSubWindow> m_sub;
    QPointer<QWidget> m_focus;
    int m_docCounter = 0;
};

// The wake-up exchange keeps the user away from the window while it waits.
class MDIFormMain::Gate : public WindowGate {
public:
    explicit Gate(MDIFormMain* window) : m_window(window) {}
    void setMainWindowEnabled(bool bEnabled) override {
        if (!bEnabled)
            m_keeper = std::make_unique<ActiveKeeper>(m_window);
        m_window->setEnabled(bEnabled);
        if (bEnabled)
            m_keeper.reset();
    }

private:
    MDIFormMain* m_window;
    std::unique_ptr<ActiveKeeper> m_keeper;
};

MDIFormMain::MDIFormMain(QWidget* parent)
    : QMainWindow(parent), m_ownDialogs(std::make_unique<QtProgramFileDialogs>(this)),
      m_dialogs(m_ownDialogs.get()) {
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("MDIForm1"));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("childArea"));
    setCentralWidget(m_mdiArea);
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);

    m_MSComm = new QtSerialPort(this);
    m_MSComm->setObjectName(QStringLiteral("MSComm"));
    m_Timer = new QTimer(this);
    m_Timer->setObjectName(QStringLiteral("Timer"));
    m_TimerCrLf = new QTimer(this);
    m_TimerCrLf->setObjectName(QStringLiteral("TimerCrLf"));
    m_replyTimer = std::make_unique<QtLinkTimer>(m_Timer);
    m_crLfTimer = std::make_unique<QtLinkTimer>(m_TimerCrLf);
    m_com = std::make_unique<SerialSettings>(m_MSComm);
    // The link reaches the port through LingeringPort: a chain of requests keeps the device.
    m_chainPort = std::make_unique<LingeringPort>(m_MSComm);
    m_link = std::make_unique<SerialLink>(m_chainPort.get(), m_replyTimer.get(), m_crLfTimer.get());
    m_messenger = std::make_unique<KorvelLinkMessenger>();
    m_gate = std::make_unique<Gate>(this);
    m_link->setMessenger(m_messenger.get());
    m_link->setWindowGate(m_gate.get());
    // The port's arrivals and the two timers' ticks are passed on to the link.
    m_chainPort->setReceiveHandler([this] { m_link->onReceive(); });
    connect(m_Timer, &QTimer::timeout, this, [this] { m_link->onReplyTimer(); });
    connect(m_TimerCrLf, &QTimer::timeout, this, [this] { m_link->onCrLfTimer(); });
    m_comm = std::make_unique<CommCommands>(m_link.get(), this,
                                            [this](int iAxisNum) { return makeNewForm(iAxisNum); });

    QMenu* file = addMenu("mnuFile", "Cap011", "ﾌｧｲﾙ(&F)");
    addEntry(file, "mnuFileNew", "Cap014", "新規作成(&N)...", QKeySequence(Qt::CTRL | Qt::Key_N),
             &MDIFormMain::mnuFileNew_Click);
    addEntry(file, "mnuFileOpen", "Cap015", "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O),
             &MDIFormMain::mnuFileOpen_Click);
    addEntry(file, "mnuFileClose", "Cap012", "閉じる(&C)", QKeySequence(),
             &MDIFormMain::mnuFileClose_Click);
    file->addSeparator()->setObjectName(QStringLiteral("mnuLine1"));
    addEntry(file, "mnuFileSave", "Cap017", "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S),
             &MDIFormMain::mnuFileSave_Click);
    addEntry(file, "mnuFileSaveAs", "Cap018", "名前を付けて保存(&A)...", QKeySequence(),
             &MDIFormMain::mnuFileSaveAs_Click);
    file->addSeparator()->setObjectName(QStringLiteral("mnuLine2"));
    addEntry(file, "mnuFilePara", "Cap016", "ﾊﾟﾗﾒｰﾀ設定...", QKeySequence(),
             &MDIFormMain::mnuFilePara_Click);
    file->addSeparator()->setObjectName(QStringLiteral("mnuLine3"));
    // The recent programs stand here, between two separators, while there are any.
    m_recentEnd = file->addSeparator();
    m_recentEnd->setObjectName(QStringLiteral("mnuLineRecent"));
    addEntry(file, "mnuFileEnd", "Cap013", "終了(&X)", QKeySequence(),
             &MDIFormMain::mnuFileEnd_Click);
    connect(file, &QMenu::aboutToShow, this, &MDIFormMain::mnuFile_Open);

    QMenu* edit = addMenu("mnuEdit", "Cap010", "編集(&E)");
    addEntry(edit, "mnuCut", "Cap007", "削除(&D)", QKeySequence(Qt::SHIFT | Qt::Key_Delete),
             &MDIFormMain::mnuCut_Click);
    addEntry(edit, "mnuInsert", "Cap019", "挿入(&I)", QKeySequence(Qt::SHIFT | Qt::Key_Insert),
             &MDIFormMain::mnuInsert_Click);
    edit->addSeparator()->setObjectName(QStringLiteral("mnuLineUndo"));
    addEntry(edit, "mnuUndo", "Cap024", "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z),
             &MDIFormMain::mnuUndo_Click);
    QAction* redo = addEntry(edit, "mnuRedo", "Cap025", "やり直し(&R)", QKeySequence(),
                             &MDIFormMain::mnuRedo_Click);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // Undo and redo are the program window's, whatever the Edit menu's state: after the last
    // step was deleted the menu is disabled, and the deletion can still be undone.
    for (QAction* a : {menuEntry(QStringLiteral("mnuUndo")), redo})
        a->setShortcutContext(Qt::ApplicationShortcut);

    QMenu* disp = addMenu("mnuDisp", "Cap008", "表示(&V)");
    QAction* dispCmd = addEntry(disp, "mnuDispCmd", "Cap009", "コマンド表(&M)", QKeySequence(),
                                &MDIFormMain::mnuDispCmd_Click);
    dispCmd->setCheckable(true);

    QMenu* window = addMenu("mnuWindow", "Cap020", "ｳｨﾝﾄﾞｳ(&W)");
    addEntry(window, "mnuWinCascade", "Cap021", "重ねて表示(&C)", QKeySequence(),
             &MDIFormMain::mnuWinCascade_Click);
    addEntry(window, "mnuWinTile", "Cap022", "並べて表示(&T)", QKeySequence(),
             &MDIFormMain::mnuWinTile_Click);
    QAction* next = addEntry(window, "mnuWinNext", "Cap023", "次のウィンドウ(&N)", QKeySequence(),
                             &MDIFormMain::mnuWinNext_Click);
    next->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_F6)});
    window->addSeparator()->setObjectName(QStringLiteral("mnuLineWindows"));
    connect(window, &QMenu::aboutToShow, this, &MDIFormMain::mnuWindow_Open);

    QMenu* comm = addMenu("mnuComm", "Cap002", "通信(&C)");
    addEntry(comm, "mnuComParam", "Cap004", "通信設定...", QKeySequence(),
             &MDIFormMain::mnuComParam_Click);
    comm->addSeparator()->setObjectName(QStringLiteral("Commsepa1"));
    addEntry(comm, "mnuComTx", "Cap005", "ﾀﾞｳﾝﾛｰﾄﾞ...", QKeySequence(),
             &MDIFormMain::mnuComTx_Click);
    addEntry(comm, "mnuComUL", "Cap006", "ｱｯﾌﾟﾛｰﾄﾞ...", QKeySequence(),
             &MDIFormMain::mnuComUL_Click);
    addEntry(comm, "mnuComExe", "Cap001", "ｺﾝﾄﾛｰﾗ制御...", QKeySequence(),
             &MDIFormMain::mnuComExe_Click);
    comm->addSeparator()->setObjectName(QStringLiteral("Commsepa2"));
    addEntry(comm, "mnuCommChk", "Cap003", "通信確認...", QKeySequence(),
             &MDIFormMain::mnuCommChk_Click);
    connect(comm, &QMenu::aboutToShow, this, &MDIFormMain::mnuComm_Open);

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (w != nullptr)
            setMenuEnabled();
    });
    menuEntry(QStringLiteral("mnuWindow"))->setEnabled(false);
}

MDIFormMain::~MDIFormMain() {
    if (m_cmd)
        delete m_cmd.data();
}

FrmCmd* MDIFormMain::commandPalette() const {
    return m_cmd.data();
}

void MDIFormMain::setFileDialogs(ProgramFileDialogs* dialogs) {
    m_dialogs = dialogs ? dialogs : m_ownDialogs.get();
    for (FrmProg* form : programWindows())
        form->setFileDialogs(m_dialogs);
}

QMenu* MDIFormMain::addMenu(const char* name, const char* key, const char* design) {
    QMenu* m = menuBar()->addMenu(QString::fromUtf8(design));
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name));
    Captions::setTag(m, QLatin1String(key));
    return m;
}

QAction* MDIFormMain::addEntry(QMenu* menu, const char* name, const char* key, const char* design,
                               const QKeySequence& shortcut, void (MDIFormMain::*handler)()) {
    QAction* a = menu->addAction(QString::fromUtf8(design));
    a->setObjectName(QLatin1String(name));
    Captions::setTag(a, QLatin1String(key));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, handler);
    return a;
}

QAction* MDIFormMain::menuEntry(const QString& name) const {
    if (QMenu* m = menu(name))
        return m->menuAction();
    for (QAction* a : findChildren<QAction*>()) {
        if (a->objectName() == name)
            return a;
    }
    return nullptr;
}

QMenu* MDIFormMain::menu(const QString& name) const {
    return findChild<QMenu*>(name, Qt::FindChildrenRecursively);
}

void MDIFormMain::ShowMainDialog() {
    CaptionChange(this);
    setWindowTitle(langFile().GetINIStr(kSection, QStringLiteral("Title001"), QString()));
    m_docCounter = 1;
    m_link->setDownOpen(false);
    buildCommandTable();
    buildParameterLimits();
    m_com->probePorts();
    m_com->comInit();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        resize(static_cast<int>(avail.width() * 0.8), static_cast<int>(avail.height() * 0.8));
        // The palette stays on top at the screen's right edge: where the screen leaves room
        // the window keeps clear of its strip, so that its own title bar stays reachable.
        const int frame = 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth) + 16;
        const int strip = twipsToPixelsX(3000, this) + frame;
        const int room = avail.width() - strip - width() - frame;
        const int left = avail.x() + qMax(0, room / 2);
        const int top = avail.y() + qMax(0, (avail.height() - height() - frame) / 2);
        move(left, top);
    }
    for (const char* name :
         {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuEdit", "mnuDisp", "mnuComTx"})
        menuEntry(QLatin1String(name))->setEnabled(false);
    m_appRunner = std::make_unique<clsWindow>();
    show();
}

FrmProg* MDIFormMain::makeNewForm(int iAxisNum) {
    for (const char* name :
         {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuDisp", "mnuWindow"})
        menuEntry(QLatin1String(name))->setEnabled(true);
    auto* form = new FrmProg;
    form->setAxis(iAxisNum);
    form->setDocNo(m_docCounter);
    form->setFileDialogs(m_dialogs);
    ++m_docCounter;
    connect(form, &FrmProg::stepCountChanged, this, &MDIFormMain::setMenuEnabled);
    connect(form, &FrmProg::undoStateChanged, this, &MDIFormMain::setMenuEnabled);
    connect(form, &FrmProg::saved, this, [this](const QString& path) { m_recent.add(path); });
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Menus follow once the window has really gone from the child area.
    connect(sub, &QObject::destroyed, this, &MDIFormMain::setCloseMenu, Qt::QueuedConnection);
    const QSize area = m_mdiArea->viewport()->size();
    sub->resize(static_cast<int>(area.width() * 0.7), static_cast<int>(area.height() * 0.7));
    sub->show();
    sub->move(nextCascadePosition(sub));
    m_mdiArea->setActiveSubWindow(sub);
    setMenuDispCmd(true);
    return form;
}

QPoint MDIFormMain::nextCascadePosition(const QMdiSubWindow* fresh) const {
    // Each new window opens one title bar below and right of the newest other one, and back
    // at the top left corner when it would reach past the visible child area.
    const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    QPoint next(0, 0);
    for (auto it = subs.crbegin(); it != subs.crend(); ++it) {
        if (*it == fresh || !(*it)->isVisible() || (*it)->isMinimized())
            continue;
        const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, *it) + 6;
        next = (*it)->pos() + QPoint(step, step);
        break;
    }
    if (!m_mdiArea->viewport()->rect().contains(QRect(next, fresh->size())))
        next = QPoint(0, 0);
    return next;
}

QList<FrmProg*> MDIFormMain::programWindows() const {
    QList<FrmProg*> forms;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        if (auto* form = qobject_cast<FrmProg*>(sub->widget()))
            forms.append(form);
    }
    return forms;
}

bool MDIFormMain::getLiveForm() const {
    return activeForm() != nullptr;
}

FrmProg* MDIFormMain::activeForm() const {
    QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    if (sub == nullptr) {
        const QList<QMdiSubWindow*> subs =
            m_mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (subs.isEmpty())
            return nullptr;
        sub = subs.last();
    }
    return qobject_cast<FrmProg*>(sub->widget());
}

bool MDIFormMain::configuredPortUsable() const {
    return m_com->isPortUsable(0);
}

void MDIFormMain::setMenuEnabled() {
    FrmProg* form = activeForm();
    if (form != nullptr)
        menuEntry(QStringLiteral("mnuEdit"))->setEnabled(form->getStep() >= 1);
    menuEntry(QStringLiteral("mnuUndo"))->setEnabled(form != nullptr && form->canUndo());
    menuEntry(QStringLiteral("mnuRedo"))->setEnabled(form != nullptr && form->canRedo());
    menuEntry(QStringLiteral("mnuComTx"))
        ->setEnabled(form != nullptr && configuredPortUsable() && form->getStep() >= 1);
}

void MDIFormMain::setCloseMenu() {
    if (getLiveForm())
        return;
    for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuEdit", "mnuDisp",
                             "mnuComTx", "mnuWindow", "mnuUndo", "mnuRedo"})
        menuEntry(QLatin1String(name))->setEnabled(false);
    setMenuDispCmd(false);
}

void MDIFormMain::setMenuDispCmd(bool bSw) {
    menuEntry(QStringLiteral("mnuDispCmd"))->setChecked(bSw);
    if (bSw) {
        if (!m_cmd) {
            m_cmd = new FrmCmd([this] { return getLiveForm() ? activeForm() : nullptr; }, this);
            m_cmd->setOnClosed([this] { setMenuDispCmd(false); });
        }
        m_cmd->show();
        return;
    }
    if (m_cmd) {
        FrmCmd* palette = m_cmd;
        m_cmd = nullptr;
        palette->setOnClosed(nullptr);
        palette->close();
        palette->deleteLater();
    }
}

bool MDIFormMain::menuUsable(const char* menuName) const {
    // A short-cut must not reach an entry whose menu is disabled.
    return menuEntry(QLatin1String(menuName))->isEnabled();
}

void MDIFormMain::mnuFile_Open() {
    menuEntry(QStringLiteral("mnuFilePara"))->setEnabled(!getLiveForm());
    // The recent programs, newest first, with the access keys 1 to 8.
    QMenu* file = menu(QStringLiteral("mnuFile"));
    qDeleteAll(m_recentEntries);
    m_recentEntries.clear();
    const QStringList recent = m_recent.entries();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent.at(i);
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), file);
        a->setObjectName(QStringLiteral("mnuRecent%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, path] { openRecent(path); });
        file->insertAction(m_recentEnd, a);
        m_recentEntries << a;
    }
    m_recentEnd->setVisible(!recent.isEmpty());
}

void MDIFormMain::openRecent(const QString& path) {
    if (!menuUsable("mnuFile"))
        return;
    if (!QFileInfo::exists(path)) {
        m_recent.remove(path);
        showKeyedMessage(MsgKey::RecentGone, QLatin1Char('\'') + path + QStringLiteral("'  "),
                         MsgIcon::Exclamation);
        return;
    }
    MainWindowMaker maker(this);
    if (openProgramFile(path, maker))
        m_recent.add(path);
}

void MDIFormMain::mnuWindow_Open() {
    // The numbered list of the program windows, the active one checked.
    QMenu* window = menu(QStringLiteral("mnuWindow"));
    qDeleteAll(m_windowEntries);
    m_windowEntries.clear();
    const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow* active = m_mdiArea->currentSubWindow();
    for (int i = 0; i < subs.size(); ++i) {
        QMdiSubWindow* sub = subs.at(i);
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        auto* a = new QAction(number + QLatin1Char(' ') + sub->windowTitle(), window);
        a->setObjectName(QStringLiteral("mnuWin%1").arg(i + 1));
        a->setCheckable(true);
        a->setChecked(sub == active);
        connect(a, &QAction::triggered, this, [this, s = QPointer<QMdiSubWindow>(sub)] {
            if (s)
                m_mdiArea->setActiveSubWindow(s);
        });
        window->addAction(a);
        m_windowEntries << a;
    }
}

void MDIFormMain::mnuWinCascade_Click() {
    if (menuUsable("mnuWindow"))
        m_mdiArea->cascadeSubWindows();
}

void MDIFormMain::mnuWinTile_Click() {
    if (menuUsable("mnuWindow"))
        m_mdiArea->tileSubWindows();
}

void MDIFormMain::mnuWinNext_Click() {
    if (menuUsable("mnuWindow"))
        m_mdiArea->activateNextSubWindow();
}

void MDIFormMain::mnuUndo_Click() {
    if (FrmProg* form = activeForm())
        form->undo();
}

void MDIFormMain::mnuRedo_Click() {
    if (FrmProg* form = activeForm())
        form->redo();
}

void MDIFormMain::mnuComm_Open() {
    setMenuEnabled();
    const bool usable = configuredPortUsable();
    menuEntry(QStringLiteral("mnuComExe"))->setEnabled(usable);
    menuEntry(QStringLiteral("mnuComUL"))->setEnabled(usable);
}

void MDIFormMain::mnuFileNew_Click() {
    if (menuUsable("mnuFile"))
        makeNewForm(RunConfig::controllerType());
}

void MDIFormMain::mnuFileOpen_Click() {
    if (!menuUsable("mnuFile"))
        return;
    MainWindowMaker maker(this);
    const QString opened = openProgram(*m_dialogs, maker);
    if (!opened.isEmpty())
        m_recent.add(opened);
}

void MDIFormMain::mnuFileClose_Click() {
    if (!menuUsable("mnuFile"))
        return;
    if (QMdiSubWindow* sub = m_mdiArea->currentSubWindow())
        sub->close();
}

void MDIFormMain::mnuFileSave_Click() {
    if (!menuUsable("mnuFile"))
        return;
    const ActiveKeeper keep(this);
    if (FrmProg* form = activeForm()) {
        if (saveProgram(form->doc(), false, *m_dialogs))
            m_recent.add(form->getFileName(true));
    }
}

void MDIFormMain::mnuFileSaveAs_Click() {
    if (!menuUsable("mnuFile"))
        return;
    const ActiveKeeper keep(this);
    if (FrmProg* form = activeForm()) {
        if (saveProgram(form->doc(), true, *m_dialogs))
            m_recent.add(form->getFileName(true));
    }
}

void MDIFormMain::mnuFilePara_Click() {
    if (!menuUsable("mnuFile") || !menuEntry(QStringLiteral("mnuFilePara"))->isEnabled())
        return;
    const Qt::WindowStates state = windowState();
    setWindowState((state & ~Qt::WindowMaximized) | Qt::WindowMinimized);
    menuEntry(QStringLiteral("mnuFile"))->setEnabled(false);
    menuEntry(QStringLiteral("mnuComm"))->setEnabled(false);
    if (!m_appRunner)
        m_appRunner = std::make_unique<clsWindow>();
    m_appRunner->AppWait(baxwinCommandLine(RunConfig::commandLineArgument()));
    menuEntry(QStringLiteral("mnuFile"))->setEnabled(true);
    menuEntry(QStringLiteral("mnuComm"))->setEnabled(true);
    setWindowState(state);
}

void MDIFormMain::mnuFileEnd_Click() {
    close();
}

void MDIFormMain::mnuCut_Click() {
    if (!menuUsable("mnuEdit"))
        return;
    if (FrmProg* form = activeForm())
        form->deleteStep();
}

void MDIFormMain::mnuInsert_Click() {
    if (!menuUsable("mnuEdit"))
        return;
    if (FrmProg* form = activeForm())
        form->insertStep();
}

void MDIFormMain::mnuDispCmd_Click() {
    // The palette itself says whether it is shown: the checkable entry has already flipped its
    // mark by the time its command runs.
    setMenuDispCmd(m_cmd == nullptr);
}

void MDIFormMain::mnuComParam_Click() {
    if (!menuUsable("mnuComm"))
        return;
    const ActiveKeeper keep(this);
    setMenuDispCmd(false);
    m_com->comInit();
    dlgComSetup dialog(*m_com, this);
    dialog.exec();
}

void MDIFormMain::mnuComTx_Click() {
    if (!menuUsable("mnuComm") || !menuEntry(QStringLiteral("mnuComTx"))->isEnabled())
        return;
    const ActiveKeeper keep(this);
    setMenuDispCmd(false);
    m_comm->download(activeForm());
}

void MDIFormMain::mnuComUL_Click() {
    if (!menuUsable("mnuComm") || !menuEntry(QStringLiteral("mnuComUL"))->isEnabled())
        return;
    const ActiveKeeper keep(this);
    setMenuDispCmd(false);
    m_comm->upload();
}

void MDIFormMain::mnuComExe_Click() {
    if (!menuUsable("mnuComm") || !menuEntry(QStringLiteral("mnuComExe"))->isEnabled())
        return;
    const ActiveKeeper keep(this);
    setMenuDispCmd(false);
    m_comm->execute();
}

void MDIFormMain::mnuCommChk_Click() {
    if (!menuUsable("mnuComm"))
        return;
    const ActiveKeeper keep(this);
    m_comm->connectionCheck();
}

void MDIFormMain::closeEvent(QCloseEvent* event) {
    // Every program window is asked first, and none closes before all have agreed: a refusal
    // leaves every window as it was.
    const QList<QMdiSubWindow*> subs = m_mdiArea->subWindowList();
    for (QMdiSubWindow* sub : subs) {
        auto* form = qobject_cast<FrmProg*>(sub->widget());
        if (form != nullptr && !form->queryClose()) {
            for (QMdiSubWindow* other : subs) {
                if (auto* f = qobject_cast<FrmProg*>(other->widget()))
                    f->setCloseAgreed(false);
            }
            event->ignore();
            return;
        }
    }
    for (QMdiSubWindow* sub : subs)
        sub->close();
    setMenuDispCmd(false);
    event->accept();
    QCoreApplication::quit();
}
