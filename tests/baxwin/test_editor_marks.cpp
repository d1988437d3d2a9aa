#include "baxwin/mdlfile.h"
#include "baxwin/ui/frmbaxwin.h"
#include "baxwin/ui/frmfind.h"
#include "baxwin/ui/frmwait.h"
#include "shared/inifile.h"
#include "shared/portmap.h"
#include "shared/ui/qtmessagepresenter.h"
#include "simprocess.h"

#include "modalboxes.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}
QString caption(const char* section, const char* key) {
    return langFile().GetINIStr(QLatin1String(section), QLatin1String(key));
}

// A value cell as the operator sees it: plain, changed, differing from the controller, or both.
QString markOf(const QTableWidgetItem* item) {
    const bool bold = item->data(Qt::FontRole).isValid() && item->font().bold();
    const bool tinted = item->background().style() != Qt::NoBrush;
    const QColor tint = item->background().color();
    const QColor ink = item->foreground().color();
    if (!tinted && !bold && item->toolTip().isEmpty())
        return QStringLiteral("plain");
    if (tinted && tint == frmBaxwin::changedTint() && bold && ink == QColor(Qt::black) &&
        item->toolTip().isEmpty())
        return QStringLiteral("changed");
    if (tinted && tint == frmBaxwin::differTint() && ink == frmBaxwin::differText() &&
        !item->toolTip().isEmpty())
        return bold ? QStringLiteral("changed+differs") : QStringLiteral("differs");
    return QStringLiteral("unclear");
}

// A value typed into a cell, or the text a cell is expected to hold.
struct Edit {
    int n = 0;
    int col = 0;
    const char* text = "";

    QString value() const { return QString::fromLatin1(text); }
};

} // namespace

Q_DECLARE_METATYPE(Edit)

// The editor's marks of changed values and of values that differ from the controller's, and the
// find command: the real window, its message boxes answered through their buttons, the transfer
// and find dialogs played through their controls, controller-sim on a pseudo-terminal.
class TestEditorMarks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void editMarksAndCounts_data();
    void editMarksAndCounts();
    void commandsAndMarks_data();
    void commandsAndMarks();
    void compareWithController_data();
    void compareWithController();
    void incompleteCompareChangesNothing_data();
    void incompleteCompareChangesNothing();
    void compareMarksFollowEdits();
    void findMovesToParameter_data();
    void findMovesToParameter();
    void findNextWrapsAround();
    void findNothing();

private:
    void startSim(const QStringList& args);
    void writeState(const QByteArray& parameters);
    void startFromFile(const QList<Edit>& fileValues = {});
    void activate();
    int rowOf(int n) const;
    void showTab(int kind);
    QTableWidgetItem* cell(int n, int col);
    void edit(int n, int col, const QString& text);
    void compare();
    QString changedText(int count) const;
    QString differText(int count) const;

    ScratchAppDir* m_app = nullptr;
    QtMessagePresenter* m_presenter = nullptr;
    frmBaxwin* m_w = nullptr;
    SimProcess* m_sim = nullptr;
    ParDefs m_defs;
    ParValueTable m_defaults;
    QString m_oldCwd;
};

void TestEditorMarks::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    m_app->write(QStringLiteral("com.cfg"), "12121\r\n");
    qputenv(PortMap::OverrideVariable, m_app->file(QStringLiteral("ports.cfg")).toLocal8Bit());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_app->path());
    m_defs = ParDefs();
    QVERIFY(MdlFile::loadParDefs(m_app->file(QStringLiteral("par1.ini")), m_defs));
    for (int n = 1; n <= MaxParNo; ++n)
        for (int a = 1; a <= MaxAxis; ++a)
            m_defaults.at(n, a) = m_defs[n].defaultValue;
    m_w = new frmBaxwin(1);
    m_presenter = new QtMessagePresenter(m_w);
    setMessagePresenter(m_presenter);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestEditorMarks::cleanup() {
    setMessagePresenter(nullptr);
    delete m_presenter;
    delete m_w;
    delete m_sim;
    m_sim = nullptr;
    qunsetenv(PortMap::OverrideVariable);
    QDir::setCurrent(m_oldCwd);
    delete m_app;
}

void TestEditorMarks::startSim(const QStringList& args) {
    delete m_sim;
    m_sim = new SimProcess(args);
    QVERIFY(!m_sim->device.isEmpty());
    m_app->write(QStringLiteral("ports.cfg"), "COM1=" + m_sim->device.toLocal8Bit() + "\n");
}

// The flash memory of the next controller-sim started with --state sim.json; every parameter it
// does not name has its default.
void TestEditorMarks::writeState(const QByteArray& parameters) {
    m_app->write(QStringLiteral("sim.json"), "{\"parameters\": {" + parameters + "}}");
}

// The values of a parameter file that holds every default but `fileValues`: nothing is changed
// afterwards.
void TestEditorMarks::startFromFile(const QList<Edit>& fileValues) {
    ParValueTable file = m_defaults;
    for (const Edit& e : fileValues)
        file.at(e.n, e.col) = e.value();
    QVERIFY(MdlFile::writeParFile(MdlFile::parFilePath(m_defs.parFileName), file, false));
    m_w->setButtonsEnabled(true);
    QVERIFY(m_w->ShowDialog(1));
    activate();
    QVERIFY(m_w->values() == file);
    QCOMPARE(m_w->lblChanged()->text(), changedText(0));
    QVERIFY(m_w->lblChanged()->isVisible());
    QVERIFY(!m_w->lblDiffer()->isVisible());
}

// The editor active again after a dialog, as the window manager makes it; without one the
// offscreen platform leaves no window active, and no short-cut of the editor would work.
void TestEditorMarks::activate() {
    QApplication::setActiveWindow(m_w);
    QTRY_VERIFY(m_w->isActiveWindow());
}

int TestEditorMarks::rowOf(int n) const {
    QTableWidget* g = m_w->grdGrid();
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->item(r, 0)->text().toInt() == n)
            return r;
    }
    return -1;
}

void TestEditorMarks::showTab(int kind) {
    if (m_w->tabKind() != kind)
        QTest::mouseClick(m_w->tabJiku(), Qt::LeftButton, {},
                          m_w->tabJiku()->tabRect(kind).center());
    QCOMPARE(m_w->tabKind(), kind);
}

QTableWidgetItem* TestEditorMarks::cell(int n, int col) {
    showTab(m_w->parDefs()[n].kind);
    return m_w->grdGrid()->item(rowOf(n), col);
}

void TestEditorMarks::edit(int n, int col, const QString& text) {
    activate();
    QTableWidget* g = m_w->grdGrid();
    QTableWidgetItem* item = cell(n, col);
    QVERIFY(item != nullptr);
    g->scrollToItem(item);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualItemRect(item).center());
    QVERIFY(m_w->isEditing());
    m_w->txtInput()->selectAll();
    QTest::keyClick(m_w->txtInput(), Qt::Key_Backspace);
    QTest::keyClicks(m_w->txtInput(), text);
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    g->setFocus(); // closes the box that Enter opened on the next row
    QVERIFY(!m_w->isEditing());
}

// Parameters > Compare with controller, Start in the transfer dialog: the read completes.
void TestEditorMarks::compare() {
    ModalBoxes boxes;
    bool started = false;
    QString title;
    ModalWindowScript<frmWait> script([&](frmWait* w) {
        title = w->windowTitle();
        QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
        started = true;
        return true;
    });
    m_w->mnuParaCompare()->trigger();
    QVERIFY(started);
    QCOMPARE(title, caption("frmWait", "Title003"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(boxes.texts(), QStringList{msg("Mes021")});
}

QString TestEditorMarks::changedText(int count) const {
    return caption("frmBaxwin", "Mes007").arg(count);
}

QString TestEditorMarks::differText(int count) const {
    return caption("frmBaxwin", "Mes008").arg(count);
}

void TestEditorMarks::editMarksAndCounts_data() {
    QTest::addColumn<QList<Edit>>("file"); // values of the file other than the defaults
    QTest::addColumn<QList<Edit>>("edits");
    QTest::addColumn<QList<Edit>>("changed"); // the marked cells with their texts
    QTest::newRow("per-axis value")
        << QList<Edit>{} << QList<Edit>{{8, 2, "20000"}} << QList<Edit>{{8, 2, "20000"}};
    QTest::newRow("common value on the second tab")
        << QList<Edit>{} << QList<Edit>{{60, 1, "1"}} << QList<Edit>{{60, 1, "1"}};
    QTest::newRow("both tabs") << QList<Edit>{}
                               << QList<Edit>{{8, 3, "400"}, {53, 1, "3121"}, {11, 1, "-1500"}}
                               << QList<Edit>{{8, 3, "400"}, {11, 1, "-1500"}, {53, 1, "3121"}};
    QTest::newRow("the same value again")
        << QList<Edit>{} << QList<Edit>{{8, 1, "10000"}} << QList<Edit>{};
    QTest::newRow("the file's value written otherwise")
        << QList<Edit>{{8, 1, "010000"}, {53, 1, "0101"}}
        << QList<Edit>{{8, 1, "10000"}, {53, 1, "0101"}} << QList<Edit>{};
    QTest::newRow("changed and changed back")
        << QList<Edit>{} << QList<Edit>{{8, 2, "20000"}, {9, 1, "600"}, {8, 2, "10000"}}
        << QList<Edit>{{9, 1, "600"}};
}

// Every confirmed edit marks its cell when the value differs from the one loaded, and the count
// follows; the marks stay when the tabs change.
void TestEditorMarks::editMarksAndCounts() {
    QFETCH(QList<Edit>, file);
    QFETCH(QList<Edit>, edits);
    QFETCH(QList<Edit>, changed);
    startFromFile(file);
    for (const Edit& e : edits)
        edit(e.n, e.col, e.value());
    QCOMPARE(m_w->lblChanged()->text(), changedText(static_cast<int>(changed.size())));
    QVERIFY(!m_w->lblDiffer()->isVisible());
    for (int pass = 0; pass < 2; ++pass) {
        // Every shown cell: marked exactly when it is one of the changed.
        for (int kind : {pass, 1 - pass}) {
            showTab(kind);
            for (int n : m_w->parDefs().usedOfKind(kind)) {
                for (int col = 1; col <= (kind == 0 ? 3 : 1); ++col) {
                    QTableWidgetItem* item = m_w->grdGrid()->item(rowOf(n), col);
                    bool isChanged = false;
                    for (const Edit& c : changed)
                        isChanged = isChanged || (c.n == n && c.col == col);
                    QVERIFY2(
                        markOf(item) ==
                            (isChanged ? QStringLiteral("changed") : QStringLiteral("plain")),
                        qPrintable(QStringLiteral("%1/%2 %3").arg(n).arg(col).arg(markOf(item))));
                }
            }
        }
    }
    for (const Edit& c : changed)
        QCOMPARE(cell(c.n, c.col)->text(), c.value());
    QCOMPARE(m_w->marks().changedCells(m_w->values()).size(), changed.size());
}

void TestEditorMarks::commandsAndMarks_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");        // at the command's 8th request (after the compare's)
    QTest::addColumn<bool>("ok");              // the answer to the command's question
    QTest::addColumn<bool>("clearsChanged");   // the changed marks go
    QTest::addColumn<bool>("dropsComparison"); // the compare marks go
    QTest::newRow("save") << "save"
                          << "" << true << true << false;
    QTest::newRow("save cancelled") << "save"
                                    << "" << false << false << false;
    QTest::newRow("load from the file") << "load file"
                                        << "" << true << true << true;
    QTest::newRow("read from the controller") << "read"
                                              << "" << true << true << true;
    QTest::newRow("read cancelled") << "read"
                                    << "" << false << false << false;
    QTest::newRow("read refused") << "read"
                                  << "error=0" << true << false << false;
    QTest::newRow("write completed") << "write"
                                     << "" << true << true << true;
    QTest::newRow("write refused") << "write"
                                   << "error=2" << true << false << false;
}

// Load, completed write and save make the values in hand the reference; loads and writes also
// end the comparison, which a save leaves (it changes neither the values nor the controller).
// A command that does not complete changes no mark.
void TestEditorMarks::commandsAndMarks() {
    QFETCH(QString, command);
    QFETCH(QString, fault);
    QFETCH(bool, ok);
    QFETCH(bool, clearsChanged);
    QFETCH(bool, dropsComparison);
    writeState("\"8\": [\"20000\", \"10000\", \"10000\"]");
    QStringList args{QStringLiteral("--state"), m_app->file(QStringLiteral("sim.json"))};
    // The compare before the command sends its wake-up, the probe and the reads.
    if (!fault.isEmpty())
        args << QStringLiteral("--fault")
             << fault + QStringLiteral("@%1").arg(m_defs.transferCount() + 2 + 8);
    startSim(args);
    startFromFile();
    edit(9, 2, QStringLiteral("700"));
    edit(60, 1, QStringLiteral("1"));
    compare();
    // 8/1 differs from the controller, and so do the two edits.
    QCOMPARE(m_w->lblChanged()->text(), changedText(2));
    QCOMPARE(m_w->lblDiffer()->text(), differText(3));
    const ParValueTable editedValues = m_w->values();

    ModalBoxes boxes;
    if (!ok)
        boxes.answer(QMessageBox::Cancel);
    bool transferred = false;
    ModalWindowScript<frmWait> transfer([&](frmWait* w) {
        if (!transferred) {
            QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
            transferred = true;
            return false;
        }
        const TransferState::Outcome o = w->transfer().state().outcome;
        if (o != TransferState::Outcome::WriteDone && o != TransferState::Outcome::Stopped)
            return false;
        QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
        return true;
    });
    if (command == QLatin1String("save")) {
        QTest::mouseClick(m_w->cmdFile(), Qt::LeftButton);
        QCOMPARE(boxes.texts().value(0), msg("Mes027"));
    } else if (command == QLatin1String("load file")) {
        m_w->mnuParaFile()->trigger();
        QCOMPARE(boxes.texts().value(0), msg("Mes024"));
    } else if (command == QLatin1String("read")) {
        m_w->mnuParaCtrl()->trigger();
        QCOMPARE(boxes.texts().value(0), msg("Mes025"));
    } else {
        QTest::mouseClick(m_w->cmdCtrl(), Qt::LeftButton);
        QCOMPARE(boxes.texts().value(0), msg("Mes026"));
    }
    QCOMPARE(transferred,
             ok && command != QLatin1String("save") && command != QLatin1String("load file"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    QCOMPARE(m_w->lblChanged()->text(), changedText(clearsChanged ? 0 : 2));
    QCOMPARE(m_w->lblDiffer()->isVisible(), !dropsComparison);
    if (!dropsComparison)
        QCOMPARE(m_w->lblDiffer()->text(), differText(3));
    const QLatin1String edited =
        QLatin1String(clearsChanged ? (dropsComparison ? "plain" : "differs") : "changed+differs");
    QCOMPARE(markOf(cell(9, 2)), edited);
    QCOMPARE(markOf(cell(60, 1)), edited);
    QCOMPARE(markOf(cell(8, 1)), QLatin1String(dropsComparison ? "plain" : "differs"));
    if (command == QLatin1String("read") && clearsChanged)
        QCOMPARE(m_w->values().at(8, 1), QStringLiteral("20000"));
    else if (command == QLatin1String("load file") && clearsChanged)
        QVERIFY(m_w->values() == m_defaults);
    else
        QVERIFY(m_w->values() == editedValues);
}

void TestEditorMarks::compareWithController_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QByteArray>("state"); // the controller's parameters
    QTest::addColumn<int>("startTab");
    QTest::addColumn<QList<Edit>>("differ"); // with the controller's texts, the first first
    QTest::newRow("all equal") << 3 << QByteArray() << 0 << QList<Edit>{};
    QTest::newRow("both tabs")
        << 3
        << QByteArray("\"8\": [\"20000\", \"10000\", \"30000\"], \"60\": [\"1\", \"1\", \"1\"], "
                      "\"14\": [\"99999999\", \"1500\", \"99999999\"]")
        << 1 << QList<Edit>{{8, 1, "20000"}, {8, 3, "30000"}, {14, 2, "1500"}, {60, 1, "1"}};
    QTest::newRow("only on the second tab")
        << 3 << QByteArray("\"53\": [\"3121\", \"\", \"\"], \"75\": [\"1500\", \"1500\", \"1500\"]")
        << 0 << QList<Edit>{{53, 1, "3121"}, {75, 1, "1500"}};
    QTest::newRow("two axes: the third is not reported")
        << 2 << QByteArray("\"9\": [\"500\", \"700\", \"900\"]") << 0 << QList<Edit>{{9, 2, "700"}};
}

// A compare reads every parameter into a table of its own, marks what differs, counts it and
// goes to the first difference; the editor's values, changes and buttons stay as they were.
void TestEditorMarks::compareWithController() {
    QFETCH(int, axes);
    QFETCH(QByteArray, state);
    QFETCH(int, startTab);
    QFETCH(QList<Edit>, differ);
    writeState(state);
    startSim({QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--state"),
              m_app->file(QStringLiteral("sim.json"))});
    startFromFile();
    m_w->setButtonsEnabled(false);
    showTab(startTab);
    m_w->grdGrid()->setCurrentCell(0, 1);

    compare();
    QVERIFY(m_w->values() == m_defaults);
    QCOMPARE(m_w->lblChanged()->text(), changedText(0));
    QVERIFY(!m_w->buttonsEnabled());
    QVERIFY(m_w->lblDiffer()->isVisible());
    QCOMPARE(m_w->lblDiffer()->text(), differText(static_cast<int>(differ.size())));

    if (differ.isEmpty()) {
        // Nothing to go to: the grid stays where it was.
        QCOMPARE(m_w->tabKind(), startTab);
        QCOMPARE(m_w->grdGrid()->currentRow(), 0);
    } else {
        const Edit& first = differ.front();
        QCOMPARE(m_w->tabKind(), m_w->parDefs()[first.n].kind);
        QCOMPARE(m_w->grdGrid()->currentRow(), rowOf(first.n));
        QCOMPARE(m_w->grdGrid()->currentColumn(), first.col);
        QVERIFY(m_w->grdGrid()->viewport()->rect().contains(
            m_w->grdGrid()->visualItemRect(m_w->grdGrid()->currentItem())));
    }
    for (int kind : {0, 1}) {
        showTab(kind);
        for (int n : m_w->parDefs().usedOfKind(kind)) {
            for (int col = 1; col <= (kind == 0 ? 3 : 1); ++col) {
                QTableWidgetItem* item = m_w->grdGrid()->item(rowOf(n), col);
                QString theirs;
                for (const Edit& d : differ) {
                    if (d.n == n && d.col == col)
                        theirs = d.value();
                }
                const QString where = QStringLiteral("%1/%2").arg(n).arg(col);
                QCOMPARE(markOf(item) + where,
                         (theirs.isEmpty() ? QStringLiteral("plain") : QStringLiteral("differs")) +
                             where);
                QCOMPARE(item->toolTip(),
                         theirs.isEmpty() ? QString() : caption("frmBaxwin", "Mes009").arg(theirs));
                QCOMPARE(item->text(), m_defaults.at(n, col));
            }
        }
    }
}

void TestEditorMarks::incompleteCompareChangesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("key"); // the message that ends the read
    QTest::newRow("aborted") << "abort"
                             << ""
                             << "Mes023";
    QTest::newRow("timed out") << "fault"
                               << "noreply@P:20R"
                               << "Mes006";
    QTest::newRow("refused") << "fault"
                             << "error=2@P:20R"
                             << "Mes011";
    QTest::newRow("dialog closed without starting") << "close"
                                                    << ""
                                                    << "";
}

// The marks of a completed compare stay as they are when the next compare does not complete,
// although the controller's values have changed since.
void TestEditorMarks::incompleteCompareChangesNothing() {
    QFETCH(QString, how);
    QFETCH(QString, fault);
    QFETCH(QString, key);
    const QString state = m_app->file(QStringLiteral("sim.json"));
    writeState("\"8\": [\"20000\", \"10000\", \"10000\"]");
    startSim({QStringLiteral("--state"), state});
    startFromFile();
    compare();
    QCOMPARE(m_w->lblDiffer()->text(), differText(1));

    // The next controller differs at 9 (read before 20) and 75 (after it).
    writeState("\"9\": [\"600\", \"500\", \"500\"], \"75\": [\"5\", \"5\", \"5\"]");
    QStringList args{QStringLiteral("--state"), state, QStringLiteral("--latency"),
                     QStringLiteral("5")};
    if (!fault.isEmpty())
        args << QStringLiteral("--fault") << fault;
    startSim(args);
    m_w->link().setIntervals(300, 300);
    showTab(1);
    m_w->grdGrid()->setCurrentCell(2, 1);

    ModalBoxes boxes;
    bool started = false;
    int phase = 0;
    ModalWindowScript<frmWait> script([&](frmWait* w) {
        if (how == QLatin1String("close")) {
            QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
            return true;
        }
        if (phase == 0) {
            QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
            started = true;
            phase = 1;
        } else if (phase == 1 && how == QLatin1String("abort") && w->pbrComm()->value() >= 25) {
            QTest::mouseClick(w->cmdStop(), Qt::LeftButton);
            phase = 2;
        } else if (w->transfer().state().outcome == TransferState::Outcome::Stopped ||
                   w->transfer().state().outcome == TransferState::Outcome::Aborted) {
            QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
            return true;
        }
        return false;
    });
    m_w->mnuParaCompare()->trigger();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(started, how != QLatin1String("close"));
    QCOMPARE(boxes.texts(), key.isEmpty() ? QStringList() : QStringList{msg(qPrintable(key))});

    QCOMPARE(m_w->lblDiffer()->text(), differText(1));
    QCOMPARE(m_w->tabKind(), 1);
    QCOMPARE(m_w->grdGrid()->currentRow(), 2);
    QCOMPARE(markOf(cell(75, 1)), QStringLiteral("plain"));
    QCOMPARE(markOf(cell(9, 1)), QStringLiteral("plain"));
    QCOMPARE(markOf(cell(8, 1)), QStringLiteral("differs"));
    QCOMPARE(cell(8, 1)->toolTip(), caption("frmBaxwin", "Mes009").arg(QStringLiteral("20000")));
    QVERIFY(m_w->values() == m_defaults);
}

// The controller's values of a compare stay until the next load or write: an edit to the
// controller's value takes its mark away, an edit away from it adds one.
void TestEditorMarks::compareMarksFollowEdits() {
    writeState("\"8\": [\"20000\", \"10000\", \"10000\"]");
    startSim({QStringLiteral("--state"), m_app->file(QStringLiteral("sim.json"))});
    startFromFile();
    compare();
    QCOMPARE(m_w->lblDiffer()->text(), differText(1));
    QCOMPARE(markOf(cell(8, 1)), QStringLiteral("differs"));

    edit(8, 1, QStringLiteral("20000"));
    QCOMPARE(markOf(cell(8, 1)), QStringLiteral("changed"));
    QCOMPARE(m_w->lblDiffer()->text(), differText(0));
    QVERIFY(m_w->lblDiffer()->isVisible());

    edit(9, 3, QStringLiteral("800"));
    QCOMPARE(markOf(cell(9, 3)), QStringLiteral("changed+differs"));
    QCOMPARE(cell(9, 3)->toolTip(), caption("frmBaxwin", "Mes009").arg(QStringLiteral("500")));
    QCOMPARE(m_w->lblDiffer()->text(), differText(1));
    QCOMPARE(m_w->lblChanged()->text(), changedText(2));
}

void TestEditorMarks::findMovesToParameter_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("startTab");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");
    QTest::newRow("Ctrl+F, a name on the first tab") << "shortcut" << 0 << "speed" << 8;
    QTest::newRow("menu, a name on the second tab") << "menu" << 0 << "ECHO" << 60;
    QTest::newRow("Ctrl+F, a number back on the first tab") << "shortcut" << 1 << "22" << 22;
    QTest::newRow("Ctrl+F while a value is being typed") << "editing" << 0 << "watchdog" << 90;
}

// Ctrl+F or the menu entry asks for a text in the find dialog and moves to the first parameter
// whose number or name holds it, on its tab; a value being typed is dropped first.
void TestEditorMarks::findMovesToParameter() {
    QFETCH(QString, how);
    QFETCH(int, startTab);
    QFETCH(QString, text);
    QFETCH(int, found);
    startFromFile();
    showTab(startTab);
    QString title;
    ModalWindowScript<frmFind> script([&](frmFind* f) {
        title = f->windowTitle();
        QTest::keyClicks(f->txtFind(), text);
        QTest::keyClick(f->txtFind(), Qt::Key_Return);
        return true;
    });
    if (how == QLatin1String("menu")) {
        m_w->mnuParaFind()->trigger();
    } else if (how == QLatin1String("editing")) {
        QTableWidget* g = m_w->grdGrid();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          g->visualItemRect(g->item(2, 1)).center());
        QVERIFY(m_w->isEditing());
        QTest::keyClicks(m_w->txtInput(), QStringLiteral("77"));
        QTest::keyClick(m_w->txtInput(), Qt::Key_F, Qt::ControlModifier);
    } else {
        m_w->grdGrid()->setFocus();
        QTest::keyClick(m_w->grdGrid(), Qt::Key_F, Qt::ControlModifier);
    }
    QVERIFY(script.done());
    QCOMPARE(title, caption("frmFind", "Title001"));
    QCOMPARE(m_w->tabKind(), m_w->parDefs()[found].kind);
    QCOMPARE(m_w->tabJiku()->currentIndex(), m_w->parDefs()[found].kind);
    QCOMPARE(m_w->grdGrid()->currentRow(), rowOf(found));
    QCOMPARE(m_w->grdGrid()->currentColumn(), 1);
    QCOMPARE(m_w->focusWidget(), m_w->grdGrid());
    QVERIFY(!m_w->isEditing());
    QVERIFY(!m_w->txtInput()->isVisible());
    QVERIFY(m_w->values() == m_defaults);
}

// F3 goes on to the next parameter that holds the text, across the tabs and around to the
// first; without an earlier text it asks for one.
void TestEditorMarks::findNextWrapsAround() {
    startFromFile();
    QList<int> speeds;
    for (int n = 1; n <= MaxParNo; ++n) {
        if (m_defs[n].used == 1 &&
            m_defs[n].name.contains(QLatin1String("speed"), Qt::CaseInsensitive))
            speeds << n;
    }
    QVERIFY(speeds.size() >= 3);
    QVERIFY(m_defs[speeds.front()].kind != m_defs[speeds.back()].kind);

    int asked = 0;
    ModalWindowScript<frmFind> script([&](frmFind* f) {
        ++asked;
        QTest::keyClicks(f->txtFind(), QStringLiteral("Speed"));
        QTest::mouseClick(f->cmdFind(), Qt::LeftButton);
        return true;
    });
    m_w->grdGrid()->setFocus();
    m_w->grdGrid()->setCurrentCell(0, 2);
    QTest::keyClick(m_w->grdGrid(), Qt::Key_F3);
    QCOMPARE(asked, 1);
    QCOMPARE(m_w->grdGrid()->currentColumn(), 2); // the axis column stays
    QList<int> visited{m_w->grdGrid()->item(m_w->grdGrid()->currentRow(), 0)->text().toInt()};
    for (qsizetype i = 0; i < speeds.size(); ++i) {
        activate();
        QTest::keyClick(m_w->grdGrid(), Qt::Key_F3);
        visited << m_w->grdGrid()->item(m_w->grdGrid()->currentRow(), 0)->text().toInt();
        QCOMPARE(m_w->tabKind(), m_defs[visited.back()].kind);
    }
    QCOMPARE(visited, speeds + QList<int>{speeds.front()});
    QCOMPARE(asked, 1);
    // The common tab has one value column; back on the first tab the search stays in it.
    QCOMPARE(m_w->grdGrid()->currentColumn(), 1);
}

// A text that no parameter holds says so and leaves the grid where it was; Cancel does nothing.
void TestEditorMarks::findNothing() {
    startFromFile();
    showTab(1);
    m_w->grdGrid()->setCurrentCell(3, 1);
    m_w->grdGrid()->setFocus();
    {
        ModalWindowScript<frmFind> cancel([](frmFind* f) {
            QTest::keyClicks(f->txtFind(), QStringLiteral("speed"));
            QTest::mouseClick(f->cmdCancel(), Qt::LeftButton);
            return true;
        });
        QTest::keyClick(m_w->grdGrid(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(cancel.done());
    }
    QCOMPARE(m_w->tabKind(), 1);
    QCOMPARE(m_w->grdGrid()->currentRow(), 3);

    activate();
    ModalBoxes boxes;
    bool blankRefused = false;
    ModalWindowScript<frmFind> script([&](frmFind* f) {
        QTest::keyClicks(f->txtFind(), QStringLiteral("  "));
        blankRefused = !f->cmdFind()->isEnabled();
        QTest::keyClicks(f->txtFind(), QStringLiteral("torque"));
        QTest::keyClick(f->txtFind(), Qt::Key_Return);
        return true;
    });
    QTest::keyClick(m_w->grdGrid(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(blankRefused);
    const QString notFound = caption("frmFind", "Mes001").arg(QStringLiteral("torque"));
    QCOMPARE(boxes.texts(), QStringList{notFound});
    QCOMPARE(boxes.icons(), QList<QMessageBox::Icon>{QMessageBox::Information});
    // F3 looks for the same text again.
    activate();
    QTest::keyClick(m_w->grdGrid(), Qt::Key_F3);
    QTRY_COMPARE(boxes.texts(), (QStringList{notFound, notFound}));
    QCOMPARE(m_w->tabKind(), 1);
    QCOMPARE(m_w->grdGrid()->currentRow(), 3);
    QCOMPARE(m_w->grdGrid()->currentColumn(), 1);
}

QTEST_MAIN(TestEditorMarks)
#include "test_editor_marks.moc"
