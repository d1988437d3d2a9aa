#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/FrmCmd.h"
#include "korvel/shell/MDIFormMain.h"
#include "korvel/shell/commandpictures.h"
#include "korvel/shell/dlgData.h"
#include "korvel/shell/messages.h"
#include "recordingpresenter.h"
#include "shared/inifile.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class ScriptedAsker : public CommandDataAsker {
public:
    bool dlgDataExe(int axis, int step, int cmd, const ValueArray& Data) override {
        calls.append({axis, step, cmd});
        m_data = Data;
        for (int i = 0; i < values.size() && i + 1 < m_data.size(); ++i)
            m_data[i + 1] = values[i];
        return true;
    }
    ValueArray getTxtBoxData() override { return m_data; }
    QStringList values;
    QList<QList<int>> calls;

private:
    ValueArray m_data;
};

class ScriptedDialogs : public ProgramFileDialogs {
public:
    QString getOpenFileName(const QString&) override { return take(); }
    QString getSaveFileName(const QString&, const QString&, const QString&) override {
        return take();
    }
    QString take() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
    QStringList answers;
};

ValueArray values(int cmd, const QStringList& v) {
    ValueArray a = defaultValues(cmd);
    a[0] = QString::number(cmd);
    for (int i = 0; i < v.size() && i + 1 < a.size(); ++i)
        a[i + 1] = v[i];
    return a;
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void paletteShownAtRightEdgeOnTop();
    void paletteDoubleClickPlacesCommand();
    void placingThroughTheRealDataDialog();
    void paletteDoubleClickWithoutProgramDoesNothing();
    void paletteDoubleClickOnEmptySpaceDoesNothing();
    void closingPaletteUnchecksEntry();
    void insertAndDeleteFromEditMenu();
    void saveThenOpenGivesSameDocument();
    void openFailureClosesNewWindow();
    void mainWindowClosePrompt_data();
    void mainWindowClosePrompt();

private:
    FrmProg* newProgram();
    std::unique_ptr<ScratchAppDir> m_app;
    std::unique_ptr<MDIFormMain> m_main;
    ScriptedAsker m_asker;
    ScriptedDialogs m_dialogs;
};

void TestEditing::init() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    RunConfig::setControllerType(3);
    m_main = std::make_unique<MDIFormMain>();
    m_main->ShowMainDialog();
    m_main->setFileDialogs(&m_dialogs);
    m_asker = ScriptedAsker();
    m_dialogs = ScriptedDialogs();
}

void TestEditing::cleanup() {
    for (FrmProg* f : m_main->programWindows())
        f->setDirty(false);
    m_main.reset();
    settle();
    m_app.reset();
}

FrmProg* TestEditing::newProgram() {
    FrmProg* form = m_main->makeNewForm(RunConfig::controllerType());
    form->setDataAsker(&m_asker);
    return form;
}

void TestEditing::paletteShownAtRightEdgeOnTop() {
    newProgram();
    FrmCmd* palette = m_main->commandPalette();
    QVERIFY(palette);
    QVERIFY(palette->isVisible());
    QVERIFY(m_main->menuEntry(QStringLiteral("mnuDispCmd"))->isChecked());
    QVERIFY(palette->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(palette->windowFlags() & Qt::Tool);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(palette->x() + palette->width(), screen.x() + screen.width());
    QCOMPARE(palette->y(), screen.y());
    QCOMPARE(palette->width(), twipsToPixelsX(3000, palette));
    QCOMPARE(palette->LstCmd()->count(), 17);
    QCOMPARE(palette->LstCmd()->size(), palette->size());
    for (int i = 0; i < 17; ++i) {
        QCOMPARE(palette->LstCmd()->item(i)->text(), cmdName(i + 1));
        QCOMPARE(palette->LstCmd()->item(i)->icon().availableSizes().value(0),
                 CommandPictures::pictureSize());
    }
    QCOMPARE(palette->windowTitle(), langFile().GetINIStr("FrmCmd", "Title001"));
}

void TestEditing::paletteDoubleClickPlacesCommand() {
    FrmProg* form = newProgram();
    form->grdProg()->setFocus();
    // Select step 4, axis 2 in the program window.
    form->setCurrentCell(4, 5);
    form->selectAxisCells();
    CmdList* list = m_main->commandPalette()->LstCmd();
    const QPoint p = list->visualItemRect(list->item(6)).center();
    m_asker.values = {"250"};
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    QCOMPARE(m_asker.calls.size(), 1);
    QCOMPARE(m_asker.calls[0], (QList<int>{2, 4, 7}));
    QCOMPARE(form->getStep(), 4);
    QCOMPARE(form->getSendStep(4), QStringLiteral("U00:|R:B250|U00:"));
    QCOMPARE(form->getSendStep(1), QStringLiteral("U00:|U00:|U00:"));
    QVERIFY(m_main->menuEntry(QStringLiteral("mnuEdit"))->isEnabled());
    QCOMPARE(form->windowTitle(), QStringLiteral("Program1*"));
}

void TestEditing::placingThroughTheRealDataDialog() {
    RecordingPresenter presenter;
    FrmProg* form = m_main->makeNewForm(3);
    form->setCurrentCell(2, 8);
    form->selectAxisCells();
    // The operator first types a letter (refused, focus stays), then a number, then OK.
    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<dlgData*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        QCOMPARE(dlg->grdData()->item(1, 0)->text(), QStringLiteral("001"));
        dlg->txtData(1)->setText(QStringLiteral("x"));
        dlg->okButton()->click();
        QVERIFY(dlg->txtData(1)->hasFocus());
        dlg->txtData(1)->setText(QStringLiteral("01234"));
        dlg->okButton()->click();
    });
    CmdList* list = m_main->commandPalette()->LstCmd();
    const QPoint p = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(form->getStep(), 2);
    QCOMPARE(form->getSendStep(1), QStringLiteral("U00:|U00:|U00:"));
    QCOMPARE(form->getSendStep(2), QStringLiteral("U00:|U00:|AGO:C1234"));

    // Editing the cell again and cancelling keeps it as it was.
    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<dlgData*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->txtData(1)->text(), QStringLiteral("1234"));
        dlg->txtData(1)->setText(QStringLiteral("5"));
        dlg->cancelButton()->click();
    });
    form->editCell(3, 2, 1, form->getProgCell(3, 2));
    QCOMPARE(form->getSendStep(2), QStringLiteral("U00:|U00:|AGO:C1234"));
}

void TestEditing::paletteDoubleClickWithoutProgramDoesNothing() {
    RecordingPresenter presenter;
    FrmCmd palette([this] { return m_main->getLiveForm() ? m_main->activeForm() : nullptr; });
    palette.show();
    CmdList* list = palette.LstCmd();
    const QPoint p = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    QVERIFY(presenter.shown().isEmpty());
    QCOMPARE(m_main->childArea()->subWindowList().size(), 0);
}

void TestEditing::paletteDoubleClickOnEmptySpaceDoesNothing() {
    FrmProg* form = newProgram();
    CmdList* list = m_main->commandPalette()->LstCmd();
    const QPoint empty(list->viewport()->width() - 2, list->viewport()->height() - 2);
    QVERIFY(list->itemAt(empty) == nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, empty);
    QVERIFY(m_asker.calls.isEmpty());
    // Even with an entry still selected, the double click must hit an entry.
    list->setCurrentRow(3);
    m_main->commandPalette()->LstCmd_DblClick();
    QVERIFY(m_asker.calls.isEmpty());
    QCOMPARE(form->getStep(), 0);
}

void TestEditing::closingPaletteUnchecksEntry() {
    newProgram();
    QAction* entry = m_main->menuEntry(QStringLiteral("mnuDispCmd"));
    m_main->commandPalette()->close();
    QVERIFY(!entry->isChecked());
    QVERIFY(m_main->commandPalette() == nullptr);
    settle();
    m_main->mnuDispCmd_Click();
    QVERIFY(entry->isChecked());
    QVERIFY(m_main->commandPalette() && m_main->commandPalette()->isVisible());
    QCOMPARE(m_main->commandPalette()->LstCmd()->count(), 17);
    m_main->mnuDispCmd_Click();
    QVERIFY(!entry->isChecked());
    QVERIFY(m_main->commandPalette() == nullptr);
}

void TestEditing::insertAndDeleteFromEditMenu() {
    RecordingPresenter presenter;
    FrmProg* form = newProgram();
    for (int s = 1; s <= 3; ++s)
        form->applyCellEdit(1, s, 1, values(1, {QString::number(s)}));
    form->setCurrentCell(2, 4);
    form->selectAxisCells();
    m_main->mnuInsert_Click();
    QCOMPARE(form->getStep(), 4);
    QCOMPARE(form->getSendStep(2), QStringLiteral("U00:|U00:|U00:"));
    QCOMPARE(form->getSendStep(3), QStringLiteral("AGO:A2|U00:|U00:"));
    QCOMPARE(form->currentRow(), 2);
    QCOMPARE(form->getSelectedAxis(), 2);
    m_main->mnuCut_Click();
    QCOMPARE(form->getStep(), 3);
    QCOMPARE(form->getSendStep(2), QStringLiteral("AGO:A2|U00:|U00:"));
    QVERIFY(presenter.shown().isEmpty());

    form->setCurrentCell(9, 1);
    form->selectAxisCells();
    m_main->mnuCut_Click();
    m_main->mnuInsert_Click();
    QCOMPARE(presenter.shown().size(), 2);
    QCOMPARE(presenter.shown()[0].text, messageRequest(Msg::BeyondLastStep).text);
    QCOMPARE(presenter.shown()[1].text, messageRequest(Msg::BeyondLastStep).text);
    QCOMPARE(form->getStep(), 3);

    // Deleting every step leaves the Edit menu disabled.
    form->setCurrentCell(1, 1);
    form->selectAxisCells();
    for (int i = 0; i < 3; ++i)
        m_main->mnuCut_Click();
    QCOMPARE(form->getStep(), 0);
    QVERIFY(!m_main->menuEntry(QStringLiteral("mnuEdit"))->isEnabled());
}

void TestEditing::saveThenOpenGivesSameDocument() {
    FrmProg* form = newProgram();
    form->applyCellEdit(1, 1, 1, values(1, {"1000"}));
    form->applyCellEdit(2, 1, 1, values(1, {"-2000"}));
    form->applyCellEdit(3, 2, 6, values(6, {"10", "600000", "100"}));
    form->applyCellEdit(2, 3, 17, values(17, {"corner: one"}));
    form->applyCellEdit(1, 4, 5, values(5, {"53", "3121"}));
    form->applyCellEdit(3, 5, 12, values(12, {"B", "1", "7"}));
    form->fillSteps(1);
    const QString path = m_app->file(QStringLiteral("round.txt"));
    m_dialogs.answers = {path};
    m_main->mnuFileSave_Click(); // never saved: asks for a name
    QVERIFY(!form->getDirty());
    QCOMPARE(form->windowTitle(), QStringLiteral("round.txt"));
    QCOMPARE(form->getFileName(true), QDir::toNativeSeparators(path));

    m_dialogs.answers = {path};
    m_main->mnuFileOpen_Click();
    QCOMPARE(m_main->programWindows().size(), 2);
    FrmProg* back = m_main->activeForm();
    QVERIFY(back != form);
    QCOMPARE(back->getDocNo(), 2);
    QCOMPARE(back->windowTitle(), QStringLiteral("round.txt"));
    QVERIFY(!back->getDirty());
    QCOMPARE(back->getStep(), form->getStep());
    for (int s = 1; s <= form->getStep(); ++s) {
        QCOMPARE(back->getSendStep(s), form->getSendStep(s));
        for (int a = 1; a <= 3; ++a) {
            QCOMPARE(back->doc().cell(a, s).text, form->doc().cell(a, s).text);
            QCOMPARE(back->doc().cell(a, s).picture, form->doc().cell(a, s).picture);
        }
    }
    QCOMPARE(back->currentRow(), 1);
    QCOMPARE(back->getSelectedAxis(), 1);
    QVERIFY(m_main->menuEntry(QStringLiteral("mnuEdit"))->isEnabled());
}

void TestEditing::openFailureClosesNewWindow() {
    RecordingPresenter presenter;
    m_app->write(QStringLiteral("bad.txt"), "AXIS=3\r\nH:,H:,H:\r\nH:,H:\r\n");
    m_dialogs.answers = {m_app->file(QStringLiteral("bad.txt"))};
    m_main->mnuFileOpen_Click();
    settle();
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(presenter.shown()[0].text, messageRequest(Msg::FileStepInvalid).text);
    QCOMPARE(m_main->programWindows().size(), 0);
    QCOMPARE(m_main->docCounter(), 2); // the number stays used
    QVERIFY(!m_main->menuEntry(QStringLiteral("mnuFileClose"))->isEnabled());
}

void TestEditing::mainWindowClosePrompt_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("mainCloses");
    QTest::newRow("cancel keeps everything open") << int(MsgResult::Cancel) << false;
    QTest::newRow("no closes without saving") << int(MsgResult::No) << true;
}

void TestEditing::mainWindowClosePrompt() {
    QFETCH(int, answer);
    QFETCH(bool, mainCloses);
    RecordingPresenter presenter;
    newProgram();
    FrmProg* dirty = newProgram();
    dirty->applyCellEdit(1, 1, 4, values(4, {}));
    presenter.answerNext(MsgResult(answer));
    QCOMPARE(m_main->close(), mainCloses);
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(presenter.shown()[0].text,
             messageRequest(Msg::SaveChanges, QStringLiteral("Program2")).text);
    QCOMPARE(m_main->isVisible(), !mainCloses);
    if (!mainCloses)
        QVERIFY(dirty->isVisible());
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
