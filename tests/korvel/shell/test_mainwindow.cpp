#include "korvel/model/FrmProg.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/FrmCmd.h"
#include "korvel/shell/MDIFormMain.h"

#include "recordingpresenter.h"
#include "testenv.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startsWithDocumentEntriesDisabled();
    void captionsShortcutsAndAccessKeys();
    void newWindowsAreNumberedForTheWholeRun();
    void editFollowsStepCount();
    void parameterSettingsOnlyWithoutProgramWindow();
    void commandTableToggles();
    void closingLastWindowDisablesDocumentEntries();
    void exitClosesEveryProgramWindow();

private:
    bool enabled(const char* name) const {
        return m_main->menuEntry(QLatin1String(name))->isEnabled();
    }
    ScratchAppDir* m_app = nullptr;
    MDIFormMain* m_main = nullptr;
};

void TestMainWindow::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    RunConfig::setControllerType(3);
    m_main = new MDIFormMain;
    m_main->ShowMainDialog();
}

void TestMainWindow::cleanup() {
    delete m_main;
    m_main = nullptr;
    delete m_app;
    m_app = nullptr;
}

void TestMainWindow::startsWithDocumentEntriesDisabled() {
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->childArea()->subWindowList().size(), 0);
    QVERIFY(!m_main->getLiveForm());
    for (const char* name :
         {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuEdit", "mnuDisp", "mnuComTx"})
        QVERIFY2(!enabled(name), name);
    for (const char* name : {"mnuFile", "mnuFileNew", "mnuFileOpen", "mnuComm", "mnuComParam",
                             "mnuCommChk", "mnuFileEnd"})
        QVERIFY2(enabled(name), name);
    Q_EMIT m_main->menu(QStringLiteral("mnuFile"))->aboutToShow();
    QVERIFY(enabled("mnuFilePara"));
    // Without a usable port the controller commands stay disabled.
    Q_EMIT m_main->menu(QStringLiteral("mnuComm"))->aboutToShow();
    QVERIFY(!enabled("mnuComTx"));
    QVERIFY(!enabled("mnuComUL"));
    QVERIFY(!enabled("mnuComExe"));
    QVERIFY(enabled("mnuCommChk"));
}

void TestMainWindow::captionsShortcutsAndAccessKeys() {
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Korvel"));
    QCOMPARE(m_main->menu(QStringLiteral("mnuFile"))->title(), QStringLiteral("&File"));
    QCOMPARE(m_main->menuEntry(QStringLiteral("mnuFileNew"))->text(), QStringLiteral("&New..."));
    QCOMPARE(m_main->menuEntry(QStringLiteral("mnuFileNew"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(m_main->menuEntry(QStringLiteral("mnuFileOpen"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(m_main->menuEntry(QStringLiteral("mnuFileSave"))->shortcut(),
             QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(m_main->menuEntry(QStringLiteral("mnuCut"))->shortcut(),
             QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    QCOMPARE(m_main->menuEntry(QStringLiteral("mnuInsert"))->shortcut(),
             QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    QVERIFY(m_main->menuEntry(QStringLiteral("mnuDispCmd"))->isCheckable());
}

void TestMainWindow::newWindowsAreNumberedForTheWholeRun() {
    FrmProg* first = m_main->makeNewForm(3);
    QCOMPARE(first->getAxis(), 3);
    QCOMPARE(first->getFileName(true), QStringLiteral("Program1"));
    for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuDisp"})
        QVERIFY2(enabled(name), name);
    QVERIFY(m_main->menuEntry(QStringLiteral("mnuDispCmd"))->isChecked());
    m_main->mnuFileNew_Click();
    QCOMPARE(m_main->activeForm()->getFileName(false), QStringLiteral("Program2"));
    QCOMPARE(m_main->activeForm()->getAxis(), RunConfig::controllerType());
    m_main->mnuFileClose_Click();
    QTRY_COMPARE(m_main->programWindows().size(), 1);
    m_main->mnuFileNew_Click();
    QCOMPARE(m_main->activeForm()->getFileName(false), QStringLiteral("Program3"));
    QCOMPARE(m_main->docCounter(), 4);
}

void TestMainWindow::editFollowsStepCount() {
    FrmProg* form = m_main->makeNewForm(3);
    QTRY_VERIFY(!enabled("mnuEdit"));
    form->setStep(1);
    QVERIFY(enabled("mnuEdit"));
    QVERIFY(!enabled("mnuComTx")); // no usable port
    form->setStep(0);
    QVERIFY(!enabled("mnuEdit"));
}

void TestMainWindow::parameterSettingsOnlyWithoutProgramWindow() {
    m_main->makeNewForm(3);
    Q_EMIT m_main->menu(QStringLiteral("mnuFile"))->aboutToShow();
    QVERIFY(!enabled("mnuFilePara"));
}

// Through the entry itself, which flips its check mark before its command runs.
void TestMainWindow::commandTableToggles() {
    m_main->makeNewForm(3);
    QAction* dispCmd = m_main->menuEntry(QStringLiteral("mnuDispCmd"));
    QVERIFY(dispCmd->isChecked());
    QVERIFY(m_main->commandPalette() && m_main->commandPalette()->isVisible());
    dispCmd->trigger();
    QVERIFY(!dispCmd->isChecked());
    QVERIFY(m_main->commandPalette() == nullptr);
    dispCmd->trigger();
    QVERIFY(dispCmd->isChecked());
    QVERIFY(m_main->commandPalette() && m_main->commandPalette()->isVisible());
    // The palette's close box unchecks the entry; choosing it shows the palette again.
    QVERIFY(m_main->commandPalette()->close());
    QVERIFY(!dispCmd->isChecked());
    QVERIFY(m_main->commandPalette() == nullptr);
    dispCmd->trigger();
    QVERIFY(dispCmd->isChecked());
    QVERIFY(m_main->commandPalette() && m_main->commandPalette()->isVisible());
}

void TestMainWindow::closingLastWindowDisablesDocumentEntries() {
    m_main->makeNewForm(3);
    m_main->makeNewForm(3)->setStep(2);
    QVERIFY(enabled("mnuEdit"));
    m_main->mnuFileClose_Click();
    QTRY_COMPARE(m_main->programWindows().size(), 1);
    QVERIFY(enabled("mnuFileClose"));
    m_main->mnuFileClose_Click();
    QTRY_VERIFY(!enabled("mnuFileClose"));
    for (const char* name :
         {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuEdit", "mnuDisp", "mnuComTx"})
        QVERIFY2(!enabled(name), name);
    QVERIFY(!m_main->menuEntry(QStringLiteral("mnuDispCmd"))->isChecked());
}

void TestMainWindow::exitClosesEveryProgramWindow() {
    m_main->makeNewForm(3);
    m_main->makeNewForm(3);
    m_main->mnuFileEnd_Click();
    QTRY_COMPARE(m_main->programWindows().size(), 0);
    QVERIFY(!m_main->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
