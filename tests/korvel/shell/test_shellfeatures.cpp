#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/MDIFormMain.h"
#include "korvel/shell/dlgData.h"
#include "korvel/shell/recentfiles.h"
#include "shared/inifile.h"

#include "recordingpresenter.h"
#include "testenv.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The data dialog's answer: the given values, confirmed.
class ScriptedAsker : public CommandDataAsker {
public:
    bool dlgDataExe(int, int, int, const ValueArray& Data) override {
        m_data = Data;
        for (int i = 0; i < values.size() && i + 1 < m_data.size(); ++i)
            m_data[i + 1] = values[i];
        return true;
    }
    ValueArray getTxtBoxData() override { return m_data; }
    QStringList values;

private:
    ValueArray m_data;
};

class ScriptedDialogs : public ProgramFileDialogs {
public:
    QString getOpenFileName(const QString&) override { return take(); }
    QString getSaveFileName(const QString&, const QString&, const QString&) override {
        return take();
    }
    QStringList answers;

private:
    QString take() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
};

QStringList menuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator() && a->isVisible())
            out << a->text();
    }
    return out;
}

} // namespace

// What Korvel offers beyond the original: the Window menu, recent programs, undo and redo.
class TestShellFeatures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void windowMenu();
    void recentProgramsAcrossARestart();
    void recentProgramThatHasGone();
    void undoAndRedoEachChange_data();
    void undoAndRedoEachChange();
    void undoClearsTheMarkAtTheSavedState();
    void historyStartsEmpty();

private:
    void start();
    FrmProg* program(int steps);
    QAction* entry(const char* name) const { return m_main->menuEntry(QLatin1String(name)); }

    std::unique_ptr<ScratchAppDir> m_app;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<MDIFormMain> m_main;
    ScriptedAsker m_asker;
    ScriptedDialogs m_dialogs;
};

void TestShellFeatures::init() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    m_config = std::make_unique<QTemporaryDir>();
    // The user's configuration folder, for the recent programs.
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    m_presenter = std::make_unique<RecordingPresenter>();
    RunConfig::setControllerType(2);
    start();
}

void TestShellFeatures::cleanup() {
    m_main.reset();
    m_presenter.reset();
    qunsetenv("XDG_CONFIG_HOME");
    m_config.reset();
    m_app.reset();
}

void TestShellFeatures::start() {
    m_main = std::make_unique<MDIFormMain>();
    m_main->ShowMainDialog();
    m_main->setFileDialogs(&m_dialogs);
}

FrmProg* TestShellFeatures::program(int steps) {
    FrmProg* f = m_main->makeNewForm(2);
    f->setDataAsker(&m_asker);
    for (int s = 1; s <= steps; ++s) {
        ValueArray v = defaultValues(Cmd::AbsoluteGo);
        v[1] = QString::number(s);
        f->applyCellEdit(1, s, Cmd::AbsoluteGo, v);
    }
    f->setDirty(false);
    return f;
}

void TestShellFeatures::windowMenu() {
    QMenu* window = m_main->menu(QStringLiteral("mnuWindow"));
    QVERIFY(window);
    QVERIFY(!entry("mnuWindow")->isEnabled());
    // Between View and Communication.
    const QList<QAction*> bar = m_main->menuBar()->actions();
    QCOMPARE(bar.indexOf(entry("mnuWindow")), bar.indexOf(entry("mnuDisp")) + 1);
    QCOMPARE(bar.indexOf(entry("mnuComm")), bar.indexOf(entry("mnuWindow")) + 1);

    QList<FrmProg*> forms{program(1), program(1), program(1)};
    QVERIFY(entry("mnuWindow")->isEnabled());
    Q_EMIT window->aboutToShow();
    const QString cap =
        langFile().GetINIStr(QStringLiteral("MDIFormMain"), QStringLiteral("Cap021"));
    QCOMPARE(menuTexts(window), (QStringList{cap, langFile().GetINIStr("MDIFormMain", "Cap022"),
                                             langFile().GetINIStr("MDIFormMain", "Cap023"),
                                             "&1 Program1", "&2 Program2", "&3 Program3"}));
    auto checked = [&] {
        QStringList out;
        for (QAction* a : window->actions())
            if (a->isChecked())
                out << a->text();
        return out;
    };
    QCOMPARE(checked(), QStringList{QStringLiteral("&3 Program3")});
    // Choosing an entry activates its window; the list follows.
    window->actions().at(window->actions().size() - 3)->trigger();
    QCOMPARE(m_main->activeForm(), forms[0]);
    Q_EMIT window->aboutToShow();
    QCOMPARE(checked(), QStringList{QStringLiteral("&1 Program1")});
    // Next window: the entry and both of its short-cuts.
    QCOMPARE(entry("mnuWinNext")->shortcuts(),
             (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Tab),
                                  QKeySequence(Qt::CTRL | Qt::Key_F6)}));
    entry("mnuWinNext")->trigger();
    QCOMPARE(m_main->activeForm(), forms[1]);
    // Cascade and tile place every window inside the child area.
    entry("mnuWinTile")->trigger();
    const QRect area = m_main->childArea()->viewport()->rect();
    for (QMdiSubWindow* s : m_main->childArea()->subWindowList())
        QVERIFY(area.contains(s->geometry()));
    entry("mnuWinCascade")->trigger();
    for (QMdiSubWindow* s : m_main->childArea()->subWindowList())
        QVERIFY(area.contains(s->geometry()));
    // Without program windows the menu is disabled.
    for (QMdiSubWindow* s : m_main->childArea()->subWindowList())
        s->close();
    QTRY_VERIFY(!entry("mnuWindow")->isEnabled());
}

// Opened and saved programs, newest first, kept in the user's configuration folder and shown
// again after a restart; at most eight.
void TestShellFeatures::recentProgramsAcrossARestart() {
    QStringList paths;
    for (int i = 1; i <= 10; ++i) {
        FrmProg* f = program(1);
        const QString path = QDir::toNativeSeparators(
            QDir(m_app->path()).filePath(QStringLiteral("p%1.txt").arg(i)));
        m_dialogs.answers = {path};
        m_main->mnuFileSaveAs_Click();
        QCOMPARE(f->getFileName(true), path);
        paths.prepend(path);
    }
    // Opening one puts it first.
    m_dialogs.answers = {paths.at(5)};
    m_main->mnuFileOpen_Click();
    paths.move(5, 0);

    const QString store = RecentFiles::defaultStorePath();
    QVERIFY(store.startsWith(m_config->path()));
    QVERIFY(QFile::exists(store));
    QVERIFY(!QFile::exists(m_app->file(QStringLiteral("recent.txt"))));

    m_main.reset();
    start();
    QMenu* file = m_main->menu(QStringLiteral("mnuFile"));
    Q_EMIT file->aboutToShow();
    QStringList shown;
    for (QAction* a : file->actions()) {
        if (a->objectName().startsWith(QLatin1String("mnuRecent")))
            shown << a->text();
    }
    QStringList expected;
    for (int i = 0; i < 8; ++i)
        expected << QStringLiteral("&%1 %2").arg(i + 1).arg(paths.at(i));
    QCOMPARE(shown, expected);
    // Just before Exit.
    const QList<QAction*> actions = file->actions();
    QCOMPARE(actions.indexOf(entry("mnuFileEnd")) - 2,
             actions.indexOf(file->findChild<QAction*>(QStringLiteral("mnuRecent8"))));

    file->findChild<QAction*>(QStringLiteral("mnuRecent3"))->trigger();
    QCOMPARE(m_main->activeForm()->getFileName(true), paths.at(2));
    QCOMPARE(m_main->recentFiles().entries().first(), paths.at(2));
}

void TestShellFeatures::recentProgramThatHasGone() {
    const QString kept = QDir(m_app->path()).filePath(QStringLiteral("kept.txt"));
    const QString gone = QDir(m_app->path()).filePath(QStringLiteral("gone.txt"));
    m_app->write(QStringLiteral("kept.txt"), "AXIS=2\r\nH:,H:\r\n");
    m_main->recentFiles().add(kept);
    m_main->recentFiles().add(gone);
    QMenu* file = m_main->menu(QStringLiteral("mnuFile"));
    Q_EMIT file->aboutToShow();
    file->findChild<QAction*>(QStringLiteral("mnuRecent1"))->trigger();
    QCOMPARE(m_presenter->shown().size(), 1);
    QVERIFY(m_presenter->shown()[0].text.contains(gone));
    QVERIFY(m_presenter->shown()[0].text.contains(
        langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes054"))));
    QCOMPARE(m_main->recentFiles().entries(), QStringList{kept});
    QVERIFY(m_main->programWindows().isEmpty());
}

void TestShellFeatures::undoAndRedoEachChange_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("place with spreading and gap steps") << "place";
    QTest::newRow("edit a cell") << "edit";
    QTest::newRow("insert a step") << "insert";
    QTest::newRow("delete a step") << "delete";
    QTest::newRow("delete the last step") << "delete last";
}

// Each change is one step of the history, undone and redone through the Edit menu's entries.
void TestShellFeatures::undoAndRedoEachChange() {
    QFETCH(QString, change);
    FrmProg* f = program(change == QLatin1String("delete last") ? 1 : 3);
    const ProgramDoc::State before = f->doc().state();
    QVERIFY(!entry("mnuUndo")->isEnabled());
    if (change == QLatin1String("place")) {
        // A step-wide command five steps on: the filler fills the gap, the comment its step.
        m_asker.values = {QStringLiteral("corner")};
        f->putAndFill(2, 8, Cmd::Comment, defaultValues(Cmd::Comment));
        QCOMPARE(f->getStep(), 8);
    } else if (change == QLatin1String("edit")) {
        m_asker.values = {QStringLiteral("77")};
        f->editCell(1, 2, Cmd::AbsoluteGo, f->getProgCell(1, 2));
    } else {
        f->doc().setCurrentCell(change == QLatin1String("insert") ? 2 : 1, 1);
        if (change == QLatin1String("insert"))
            entry("mnuInsert")->trigger();
        else
            entry("mnuCut")->trigger();
    }
    const ProgramDoc::State after = f->doc().state();
    QVERIFY(!after.sameProgram(before));
    QVERIFY(f->getDirty());
    QVERIFY(entry("mnuUndo")->isEnabled());
    QVERIFY(!entry("mnuRedo")->isEnabled());
    QCOMPARE(entry("mnuUndo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));

    entry("mnuUndo")->trigger();
    QVERIFY(f->doc().state().sameProgram(before));
    QCOMPARE(f->getStep(), before.steps);
    QVERIFY(!f->getDirty());
    QVERIFY(!f->windowTitle().endsWith(QLatin1Char('*')));
    QVERIFY(entry("mnuRedo")->isEnabled());
    QCOMPARE(entry("mnuRedo")->shortcuts(),
             (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    // The Edit menu follows the step count; the deletion of the last step is still undone.
    QCOMPARE(entry("mnuEdit")->isEnabled(), f->getStep() >= 1);

    entry("mnuRedo")->trigger();
    QVERIFY(f->doc().state().sameProgram(after));
    QVERIFY(f->getDirty());
    QVERIFY(f->windowTitle().endsWith(QLatin1Char('*')));
}

void TestShellFeatures::undoClearsTheMarkAtTheSavedState() {
    FrmProg* f = program(2);
    m_asker.values = {QStringLiteral("5")};
    f->editCell(1, 1, Cmd::AbsoluteGo, f->getProgCell(1, 1));
    const QString path = QDir(m_app->path()).filePath(QStringLiteral("s.txt"));
    m_dialogs.answers = {path};
    m_main->mnuFileSaveAs_Click();
    QVERIFY(!f->getDirty());
    m_asker.values = {QStringLiteral("6")};
    f->editCell(1, 1, Cmd::AbsoluteGo, f->getProgCell(1, 1));
    QVERIFY(f->windowTitle().endsWith(QLatin1Char('*')));
    f->undo(); // back at the saved state
    QVERIFY(!f->windowTitle().endsWith(QLatin1Char('*')));
    QCOMPARE(f->getProgCell(1, 1).value(1), QStringLiteral("5"));
    f->undo(); // before the save
    QVERIFY(f->windowTitle().endsWith(QLatin1Char('*')));
    f->redo();
    QVERIFY(!f->windowTitle().endsWith(QLatin1Char('*')));
    f->redo();
    QVERIFY(f->windowTitle().endsWith(QLatin1Char('*')));
    QCOMPARE(f->getProgCell(1, 1).value(1), QStringLiteral("6"));
}

// A new, opened or uploaded program has nothing to undo; a refused change adds nothing.
void TestShellFeatures::historyStartsEmpty() {
    FrmProg* fresh = m_main->makeNewForm(2);
    QVERIFY(!fresh->canUndo());
    m_app->write(QStringLiteral("o.txt"), "AXIS=2\r\nH:,H:\r\nH:,H:\r\n");
    m_dialogs.answers = {QDir(m_app->path()).filePath(QStringLiteral("o.txt"))};
    m_main->mnuFileOpen_Click();
    FrmProg* opened = m_main->activeForm();
    QVERIFY(opened != fresh);
    QCOMPARE(opened->getStep(), 2);
    QVERIFY(!opened->canUndo());
    QVERIFY(!entry("mnuUndo")->isEnabled());
    // Deleting below the last step is refused with its message and records nothing.
    opened->doc().setCurrentCell(5, 1);
    entry("mnuCut")->trigger();
    QCOMPARE(m_presenter->shown().size(), 1);
    QVERIFY(!opened->canUndo());
}

QTEST_MAIN(TestShellFeatures)
#include "test_shellfeatures.moc"
