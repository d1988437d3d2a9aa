#include "korvel/model/FrmProg.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/FrmCmd.h"
#include "korvel/shell/commandpictures.h"
#include "korvel/shell/dlgData.h"
#include "korvel/shell/messages.h"
#include "recordingpresenter.h"
#include "shared/inifile.h"
#include "testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QTest>

#include <memory>

namespace {

struct AskCall {
    int axis;
    int step;
    int cmd;
    ValueArray data;
};

// Answers the data dialog: confirms with the given values (or the ones passed in) or cancels.
class ScriptedAsker : public CommandDataAsker {
public:
    bool dlgDataExe(int axis, int step, int cmd, const ValueArray& Data) override {
        calls.append({axis, step, cmd, Data});
        m_data = Data;
        for (int i = 0; i < values.size() && i + 1 < m_data.size(); ++i)
            m_data[i + 1] = values[i];
        return confirm;
    }
    ValueArray getTxtBoxData() override { return m_data; }
    bool confirm = true;
    QStringList values;
    QList<AskCall> calls;

private:
    ValueArray m_data;
};

class ScriptedDialogs : public ProgramFileDialogs {
public:
    QString getOpenFileName(const QString&) override { return take(); }
    QString getSaveFileName(const QString&, const QString&, const QString&) override {
        ++saveAsked;
        return take();
    }
    QString take() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
    QStringList answers;
    int saveAsked = 0;
};

// A real double click: a press and release, then the double-click event.
void doubleClickAt(QWidget* w, const QPoint& pos) {
    QTest::mouseClick(w, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
}

// A drop as the platform delivers it: the drag enters the widget, then drops there.
bool dropText(QWidget* target, const QPoint& pos, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QList<int> stepCommands(const FrmProg& w, int step) {
    QList<int> out;
    for (int a = 1; a <= w.getAxis(); ++a)
        out.append(w.doc().cellCommand(a, step));
    return out;
}

ValueArray values(int cmd, const QStringList& v) {
    ValueArray a = defaultValues(cmd);
    a[0] = QString::number(cmd);
    for (int i = 0; i < v.size() && i + 1 < a.size(); ++i)
        a[i + 1] = v[i];
    return a;
}

} // namespace

class TestProgramWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void selectionByAxis_data();
    void selectionByAxis();
    void arrowKeys_data();
    void arrowKeys();
    void doubleClick();
    void drop_data();
    void drop();
    void dragEnterNeedsText();
    void paletteDragCarriesName();
    void placingSpreadsAndFills();
    void cancelledEditLeavesProgram();
    void toolTips();
    void titleFollowsDocument();
    void redrawnOnceForBulkChanges();
    void closePrompt_data();
    void closePrompt();

private:
    FrmProg* makeWindow(int axes);
    QPoint cellPoint(FrmProg* w, int row, int col) const;

    std::unique_ptr<ScratchAppDir> m_app;
    std::unique_ptr<FrmProg> m_win;
    ScriptedAsker m_asker;
};

void TestProgramWindow::initTestCase() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestProgramWindow::init() {
    m_asker = ScriptedAsker();
}

void TestProgramWindow::cleanup() {
    if (m_win)
        m_win->setDirty(false);
    m_win.reset();
    RunConfig::setLanguageNo(0);
}

FrmProg* TestProgramWindow::makeWindow(int axes) {
    RunConfig::setControllerType(axes);
    m_win = std::make_unique<FrmProg>();
    m_win->setAxis(axes);
    m_win->setDocNo(7);
    m_win->setDataAsker(&m_asker);
    m_win->resize(900, 500);
    m_win->show();
    if (!QTest::qWaitForWindowExposed(m_win.get()))
        return nullptr;
    return m_win.get();
}

QPoint TestProgramWindow::cellPoint(FrmProg* w, int row, int col) const {
    ProgGrid* g = w->grdProg();
    g->scrollTo(g->model()->index(row - 1, col - 1));
    return g->visualRect(g->model()->index(row - 1, col - 1)).center();
}

void TestProgramWindow::layout_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("textTwips");
    QTest::newRow("one axis") << 1 << 0 << 1900;
    QTest::newRow("two axes language 1") << 2 << 1 << 3200;
    QTest::newRow("three axes") << 3 << 0 << 1900;
}

void TestProgramWindow::layout() {
    QFETCH(int, axes);
    QFETCH(int, language);
    QFETCH(int, textTwips);
    RunConfig::setLanguageNo(language);
    FrmProg* w = makeWindow(axes);
    QVERIFY(w);
    ProgGrid* g = w->grdProg();
    // Grid columns: the step-number column (the vertical header) and 3 per axis but the last.
    QCOMPARE(g->model()->columnCount() + 1, 3 * axes);
    QCOMPARE(g->model()->rowCount(), RunConfig::maxSteps());
    const int pic = CommandPictures::pictureSize().width();
    for (int c = 1; c < 3 * axes; ++c) {
        // A picture column is as designed, or wider when its header text needs it.
        if (c % 3 == 1)
            QVERIFY(g->columnWidth(c - 1) >= pic + twipsToPixelsX(20, w));
        else
            QCOMPARE(g->columnWidth(c - 1),
                     c % 3 == 2 ? twipsToPixelsX(textTwips, w) : twipsToPixelsX(30, w));
    }
    QVERIFY(g->rowHeight(0) >= CommandPictures::pictureSize().height() + twipsToPixelsY(20, w));
    QCOMPARE(g->rowHeight(RunConfig::maxSteps() - 1), g->rowHeight(0));
    auto header = [g](Qt::Orientation o, int section) {
        return g->model()->headerData(section, o, Qt::DisplayRole).toString();
    };
    QCOMPARE(header(Qt::Vertical, 0), QStringLiteral("000"));
    QCOMPARE(header(Qt::Vertical, RunConfig::maxSteps() - 1),
             RunConfig::maxSteps() == 100 ? QStringLiteral("099") : QStringLiteral("199"));
    QCOMPARE(header(Qt::Horizontal, 3 * axes - 3),
             langFile().GetINIStr("FrmProg", "Mes00" + QString::number(axes + 1)));
    QCOMPARE(header(Qt::Horizontal, 1), langFile().GetINIStr("FrmProg", "Mes005") + "\n" +
                                            langFile().GetINIStr("FrmProg", "Mes006"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Program7"));
    QCOMPARE(w->currentRow(), 1);
    QCOMPARE(w->currentCol(), 1);
}

void TestProgramWindow::selectionByAxis_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("axis");
    QTest::newRow("picture of axis 1") << 1 << 1;
    QTest::newRow("text of axis 1") << 2 << 1;
    QTest::newRow("separator selects axis 2") << 3 << 2;
    QTest::newRow("text of axis 2") << 5 << 2;
    QTest::newRow("separator selects axis 3") << 6 << 3;
    QTest::newRow("text of axis 3") << 8 << 3;
}

void TestProgramWindow::selectionByAxis() {
    QFETCH(int, col);
    QFETCH(int, axis);
    FrmProg* w = makeWindow(3);
    QVERIFY(w);
    QTest::mouseClick(w->grdProg()->viewport(), Qt::LeftButton, {}, cellPoint(w, 4, col));
    QCOMPARE(w->getSelectedAxis(), axis);
    QCOMPARE(w->currentRow(), 4);
    QCOMPARE(w->currentCol(), 3 * axis - 2);
    const QModelIndexList sel = w->grdProg()->selectionModel()->selectedIndexes();
    QCOMPARE(sel.size(), 2);
    for (const QModelIndex& i : sel) {
        QCOMPARE(i.row(), 3);
        QVERIFY(i.column() == 3 * axis - 3 || i.column() == 3 * axis - 2);
    }
    QCOMPARE(w->doc().currentStep(), 4);
    QCOMPARE(w->doc().currentCol(), 3 * axis - 2);
}

void TestProgramWindow::arrowKeys_data() {
    QTest::addColumn<int>("startAxis");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("axis");
    QTest::addColumn<int>("row");
    QTest::newRow("right to the next axis") << 1 << int(Qt::Key_Right) << 2 << 5;
    QTest::newRow("right on the last axis stays") << 3 << int(Qt::Key_Right) << 3 << 5;
    QTest::newRow("left to the previous axis") << 3 << int(Qt::Key_Left) << 2 << 5;
    QTest::newRow("left on axis 1 stays") << 1 << int(Qt::Key_Left) << 1 << 5;
    QTest::newRow("down keeps the axis") << 2 << int(Qt::Key_Down) << 2 << 6;
    QTest::newRow("up keeps the axis") << 3 << int(Qt::Key_Up) << 3 << 4;
}

void TestProgramWindow::arrowKeys() {
    QFETCH(int, startAxis);
    QFETCH(int, key);
    QFETCH(int, axis);
    QFETCH(int, row);
    FrmProg* w = makeWindow(3);
    QVERIFY(w);
    QTest::mouseClick(w->grdProg()->viewport(), Qt::LeftButton, {},
                      cellPoint(w, 5, 3 * startAxis - 1));
    w->grdProg()->setFocus();
    QTest::keyClick(w->grdProg(), Qt::Key(key));
    QCOMPARE(w->getSelectedAxis(), axis);
    QCOMPARE(w->currentRow(), row);
    QCOMPARE(w->grdProg()->selectionModel()->selectedIndexes().size(), 2);
}

void TestProgramWindow::doubleClick() {
    FrmProg* w = makeWindow(2);
    QVERIFY(w);
    QWidget* vp = w->grdProg()->viewport();
    doubleClickAt(vp, cellPoint(w, 2, 5));
    QVERIFY(m_asker.calls.isEmpty()); // an empty cell
    w->applyCellEdit(2, 2, 6, values(6, {"10", "600000", "100"}));
    w->setDirty(false);
    m_asker.values = {"20", "500", "50"};
    doubleClickAt(vp, cellPoint(w, 2, 4));
    QCOMPARE(m_asker.calls.size(), 1);
    QCOMPARE(m_asker.calls[0].axis, 2);
    QCOMPARE(m_asker.calls[0].step, 2);
    QCOMPARE(m_asker.calls[0].cmd, 6);
    QCOMPARE(m_asker.calls[0].data, (ValueArray{"6", "10", "600000", "100"}));
    QCOMPARE(w->getProgCell(2, 2), (ValueArray{"6", "20", "500", "50"}));
    QVERIFY(w->getDirty());
    QCOMPARE(w->windowTitle(), QStringLiteral("Program7*"));
}

void TestProgramWindow::drop_data() {
    QTest::addColumn<QString>("part"); // viewport, vheader, hheader, corner
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("askedAxis"); // 0: no dialog
    QTest::newRow("on a cell of axis 2") << "viewport" << 3 << 5 << 7 << 2;
    QTest::newRow("on a separator") << "viewport" << 2 << 3 << 4 << 2;
    QTest::newRow("on the step numbers") << "vheader" << 4 << 0 << 16 << 1;
    QTest::newRow("on the header row") << "hheader" << 0 << 5 << 7 << 0;
    QTest::newRow("on the corner") << "corner" << 0 << 0 << 7 << 0;
    QTest::newRow("not a command") << "viewport" << 3 << 5 << 0 << 0;
}

void TestProgramWindow::drop() {
    QFETCH(QString, part);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, cmd);
    QFETCH(int, askedAxis);
    FrmProg* w = makeWindow(3);
    QVERIFY(w);
    ProgGrid* g = w->grdProg();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cellPoint(w, 6, 8));
    QWidget* target = nullptr;
    QPoint pos;
    if (part == "viewport") {
        target = g->viewport();
        pos = cellPoint(w, row, col);
    } else if (part == "vheader") {
        target = g->verticalHeader()->viewport();
        pos = QPoint(g->verticalHeader()->width() / 2,
                     g->verticalHeader()->sectionViewportPosition(row - 1) +
                         g->verticalHeader()->sectionSize(row - 1) / 2);
    } else if (part == "hheader") {
        target = g->horizontalHeader()->viewport();
        pos = QPoint(g->horizontalHeader()->sectionViewportPosition(col - 1) + 5,
                     g->horizontalHeader()->height() / 2);
    } else {
        target = g->cornerButton();
        QVERIFY(target);
        pos = target->rect().center();
    }
    QVERIFY(dropText(target, pos, cmd == 0 ? QStringLiteral("no such command") : cmdName(cmd)));
    if (askedAxis == 0) {
        QVERIFY(m_asker.calls.isEmpty());
        QCOMPARE(w->getStep(), 0);
        QVERIFY(!w->getDirty());
        if (cmd != 0) { // a drop on the header row only moves to row 1
            QCOMPARE(w->currentRow(), 1);
            QCOMPARE(w->getSelectedAxis(), col / 3 + 1);
        } else {
            QCOMPARE(w->currentRow(), 6);
        }
        return;
    }
    QCOMPARE(m_asker.calls.size(), 1);
    QCOMPARE(m_asker.calls[0].axis, askedAxis);
    QCOMPARE(m_asker.calls[0].step, row);
    QCOMPARE(m_asker.calls[0].cmd, cmd);
    QCOMPARE(m_asker.calls[0].data, defaultValues(cmd));
    QCOMPARE(w->getStep(), row);
    QCOMPARE(w->doc().cellCommand(askedAxis, row), cmd);
    QCOMPARE(w->currentRow(), row);
    QCOMPARE(w->getSelectedAxis(), askedAxis);
    for (int s = 1; s < row; ++s)
        QCOMPARE(stepCommands(*w, s), (QList<int>{10, 10, 10}));
}

void TestProgramWindow::dragEnterNeedsText() {
    FrmProg* w = makeWindow(1);
    QVERIFY(w);
    QMimeData text;
    text.setText(cmdName(1));
    QDragEnterEvent withText(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton,
                             Qt::NoModifier);
    QApplication::sendEvent(w->grdProg()->viewport(), &withText);
    QVERIFY(withText.isAccepted());
    QCOMPARE(withText.dropAction(), Qt::CopyAction);
    QMimeData none;
    none.setData(QStringLiteral("application/octet-stream"), QByteArray("x"));
    QDragEnterEvent withoutText(QPoint(5, 5), Qt::CopyAction, &none, Qt::LeftButton,
                                Qt::NoModifier);
    QApplication::sendEvent(w->grdProg()->viewport(), &withoutText);
    QVERIFY(!withoutText.isAccepted());
}

void TestProgramWindow::paletteDragCarriesName() {
    // What the palette offers to a drag is exactly what the grid takes: the name as text.
    FrmCmd palette([] { return nullptr; });
    const QModelIndex entry = palette.LstCmd()->model()->index(11, 0);
    std::unique_ptr<QMimeData> offered(palette.LstCmd()->model()->mimeData({entry}));
    QVERIFY(offered && offered->hasText());
    QCOMPARE(offered->text(), cmdName(12));
    FrmProg* w = makeWindow(2);
    QVERIFY(w);
    QVERIFY(dropText(w->grdProg()->viewport(), cellPoint(w, 1, 2), offered->text()));
    QCOMPARE(stepCommands(*w, 1), (QList<int>{12, 12}));
    QCOMPARE(w->getSendStep(1), QStringLiteral("U02:A,0,00"));
}

void TestProgramWindow::placingSpreadsAndFills() {
    FrmProg* w = makeWindow(3);
    QVERIFY(w);
    m_asker.values = {"1000"};
    w->putAndFill(1, 5, 1, defaultValues(1));
    QCOMPARE(w->getStep(), 5);
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(stepCommands(*w, s), (QList<int>{10, 10, 10}));
    QCOMPARE(stepCommands(*w, 5), (QList<int>{1, 10, 10}));
    m_asker.values = {"7"};
    w->putAndFill(2, 5, 11, defaultValues(11));
    QCOMPARE(stepCommands(*w, 5), (QList<int>{11, 11, 11}));
    QCOMPARE(w->getSendStep(5), QStringLiteral("U01:07"));
    QCOMPARE(w->currentRow(), 5);
    QCOMPARE(w->getSelectedAxis(), 2);
    // The grid shows what the document holds.
    const QModelIndex text = w->grdProg()->model()->index(4, 7);
    QCOMPARE(text.data().toString(), cmdName(11) + "\n7");
    QVERIFY(!w->grdProg()->model()->index(4, 6).data(Qt::DecorationRole).isNull());
    QVERIFY(w->grdProg()->model()->index(5, 6).data(Qt::DecorationRole).isNull());
}

void TestProgramWindow::cancelledEditLeavesProgram() {
    FrmProg* w = makeWindow(2);
    QVERIFY(w);
    m_asker.confirm = false;
    w->putAndFill(2, 4, 1, defaultValues(1));
    QCOMPARE(w->getStep(), 0);
    QVERIFY(!w->getDirty());
    QCOMPARE(w->currentRow(), 4);
    QCOMPARE(w->getSelectedAxis(), 2);
    // Command 2 on a one-axis program never asks.
    FrmProg* one = makeWindow(1);
    one->editCell(1, 1, 2, defaultValues(2));
    QVERIFY(m_asker.calls.size() == 1);
}

void TestProgramWindow::toolTips() {
    FrmProg* w = makeWindow(2);
    QVERIFY(w);
    w->applyCellEdit(1, 1, 17, values(17, {"go home"}));
    w->applyCellEdit(1, 2, 7, values(7, {"5"}));
    auto tip = [w](int row, int col) {
        return w->grdProg()->model()->index(row - 1, col - 1).data(Qt::ToolTipRole).toString();
    };
    QCOMPARE(tip(1, 1), QStringLiteral("go home"));
    QCOMPARE(tip(1, 2), QStringLiteral("go home"));
    QCOMPARE(tip(1, 3), QStringLiteral("go home")); // the separator belongs to axis 2
    QCOMPARE(tip(1, 5), QStringLiteral("go home"));
    QCOMPARE(tip(2, 2), QString());
    QCOMPARE(tip(3, 2), QString());
    QVERIFY(w->grdProg()->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).isNull());
}

void TestProgramWindow::titleFollowsDocument() {
    FrmProg* w = makeWindow(1);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Program7"));
    w->applyCellEdit(1, 1, 4, values(4, {}));
    QCOMPARE(w->windowTitle(), QStringLiteral("Program7*"));
    const QString path = QDir::toNativeSeparators(m_app->file(QStringLiteral("t.txt")));
    w->setFileName(path);
    QCOMPARE(w->windowTitle(), QStringLiteral("t.txt"));
    w->setDirty(true);
    QCOMPARE(w->windowTitle(), QStringLiteral("t.txt*"));
    w->setDirty(false);
    QCOMPARE(w->windowTitle(), QStringLiteral("t.txt"));
}

void TestProgramWindow::redrawnOnceForBulkChanges() {
    FrmProg* w = makeWindow(3);
    QVERIFY(w);
    w->applyCellEdit(1, 200, 7, values(7, {"1"}));
    w->fillSteps(1);
    int changes = 0;
    connect(w->grdProg()->model(), &QAbstractItemModel::dataChanged, w, [&changes] { ++changes; });
    w->doc().setCurrentCell(1, 1);
    w->deleteStep();
    QCOMPARE(changes, 1);
    QCOMPARE(w->getStep(), 199);
    QVERIFY(w->grdProg()->updatesEnabled());
}

void TestProgramWindow::closePrompt_data() {
    QTest::addColumn<bool>("dirty");
    QTest::addColumn<bool>("everSaved");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAnswer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("saveDialogs");
    QTest::addColumn<bool>("written");
    QTest::newRow("clean closes without asking")
        << false << false << -1 << "" << true << 0 << false;
    QTest::newRow("yes, save dialog cancelled, closes")
        << true << false << int(MsgResult::Yes) << "" << true << 1 << false;
    QTest::newRow("yes, saved through the dialog")
        << true << false << int(MsgResult::Yes) << "prompt.txt" << true << 1 << true;
    QTest::newRow("yes, loaded program saved in place")
        << true << true << int(MsgResult::Yes) << "" << true << 0 << true;
    QTest::newRow("no closes without saving")
        << true << false << int(MsgResult::No) << "" << true << 0 << false;
    QTest::newRow("cancel stays open")
        << true << false << int(MsgResult::Cancel) << "" << false << 0 << false;
}

void TestProgramWindow::closePrompt() {
    QFETCH(bool, dirty);
    QFETCH(bool, everSaved);
    QFETCH(int, answer);
    QFETCH(QString, saveAnswer);
    QFETCH(bool, closes);
    QFETCH(int, saveDialogs);
    QFETCH(bool, written);
    RecordingPresenter presenter;
    ScriptedDialogs dialogs;
    const QString path = m_app->file(QStringLiteral("prompt.txt"));
    QFile::remove(path);
    if (!saveAnswer.isEmpty())
        dialogs.answers = {path};
    FrmProg* w = makeWindow(1);
    QVERIFY(w);
    w->setFileDialogs(&dialogs);
    if (everSaved)
        w->setFileName(QDir::toNativeSeparators(path));
    w->applyCellEdit(1, 1, 4, values(4, {}));
    if (!dirty)
        w->setDirty(false);
    if (answer >= 0)
        presenter.answerNext(MsgResult(answer));
    const QString shownName = w->getFileName(false);
    QCOMPARE(w->close(), closes);
    QCOMPARE(presenter.shown().size(), answer >= 0 ? 1 : 0);
    if (answer >= 0)
        QCOMPARE(presenter.shown()[0].text, messageRequest(Msg::SaveChanges, shownName).text);
    QCOMPARE(dialogs.saveAsked, saveDialogs);
    QCOMPARE(QFile::exists(path), written);
    if (written)
        QCOMPARE(m_app->read(QStringLiteral("prompt.txt")), QByteArray("AXIS=1\r\nH:\r\n"));
    QCOMPARE(w->isVisible(), !closes);
}

QTEST_MAIN(TestProgramWindow)
#include "test_programwindow.moc"
