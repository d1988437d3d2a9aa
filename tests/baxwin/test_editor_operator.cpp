#include "baxwin/mdlfile.h"
#include "baxwin/ui/frmbaxwin.h"
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
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}

} // namespace

// Baxwin as the operator meets it: the real message boxes answered through their buttons, the
// transfer dialog's keys, the tab strip and the grid, controller-sim on a pseudo-terminal.
class TestEditorOperator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void questionsGoOnWithOk_data();
    void questionsGoOnWithOk();
    void errorReplyGivesOneMessage();
    void enterPressesStart();
    void tabStripAndGridStayInStep_data();
    void tabStripAndGridStayInStep();
    void refusedValueReopensInView();

private:
    void startSim(const QStringList& args);
    void startFromFile();
    int rowOf(int n) const;

    ScratchAppDir* m_app = nullptr;
    QtMessagePresenter* m_presenter = nullptr;
    frmBaxwin* m_w = nullptr;
    SimProcess* m_sim = nullptr;
    QString m_oldCwd;
};

void TestEditorOperator::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    m_app->write(QStringLiteral("com.cfg"), "12121\r\n");
    qputenv(PortMap::OverrideVariable, m_app->file(QStringLiteral("ports.cfg")).toLocal8Bit());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_app->path());
    m_w = new frmBaxwin(1);
    m_presenter = new QtMessagePresenter(m_w);
    setMessagePresenter(m_presenter);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestEditorOperator::cleanup() {
    setMessagePresenter(nullptr);
    delete m_presenter;
    delete m_w;
    delete m_sim;
    m_sim = nullptr;
    qunsetenv(PortMap::OverrideVariable);
    QDir::setCurrent(m_oldCwd);
    delete m_app;
}

void TestEditorOperator::startSim(const QStringList& args) {
    delete m_sim;
    m_sim = new SimProcess(args);
    QVERIFY(!m_sim->device.isEmpty());
    m_app->write(QStringLiteral("ports.cfg"), "COM1=" + m_sim->device.toLocal8Bit() + "\n");
}

void TestEditorOperator::startFromFile() {
    ModalBoxes boxes; // the missing parameter file's notice
    m_w->setButtonsEnabled(true);
    QVERIFY(m_w->ShowDialog(1));
    QApplication::setActiveWindow(m_w);
}

int TestEditorOperator::rowOf(int n) const {
    QTableWidget* g = m_w->grdGrid();
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->item(r, 0)->text().toInt() == n)
            return r;
    }
    return -1;
}

void TestEditorOperator::questionsGoOnWithOk_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("ok");
    for (const char* c : {"save", "write", "read file", "read controller"}) {
        QTest::addRow("%s, OK", c) << QString::fromLatin1(c) << true;
        QTest::addRow("%s, Cancel", c) << QString::fromLatin1(c) << false;
    }
}

// Each OK/Cancel question of the editor, answered with the box's own button.
void TestEditorOperator::questionsGoOnWithOk() {
    QFETCH(QString, command);
    QFETCH(bool, ok);
    startSim({});
    startFromFile();
    const QString file = m_app->file(m_w->parDefs().parFileName);
    m_w->grdGrid()->item(rowOf(8), 1)->setText(QString()); // a mark that a reload refills

    ModalBoxes boxes;
    boxes.answer(ok ? QMessageBox::Ok : QMessageBox::Cancel);
    bool transferOpened = false;
    ModalWindowScript<frmWait> transfer([&](frmWait* w) {
        transferOpened = true;
        QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
        return true;
    });
    QString question;
    if (command == QLatin1String("save")) {
        question = msg("Mes027");
        QTest::mouseClick(m_w->cmdFile(), Qt::LeftButton);
        QCOMPARE(QFile::exists(file), ok);
        if (ok)
            QCOMPARE(boxes.texts().value(1), msg("Mes035"));
    } else if (command == QLatin1String("write")) {
        question = msg("Mes026");
        QTest::mouseClick(m_w->cmdCtrl(), Qt::LeftButton);
        QCOMPARE(transferOpened, ok);
    } else if (command == QLatin1String("read file")) {
        question = msg("Mes024");
        m_w->mnuParaFile()->trigger();
        // The file is still missing: its notice follows the question.
        QCOMPARE(boxes.count(), ok ? 2 : 1);
        QCOMPARE(m_w->grdGrid()->item(rowOf(8), 1)->text().isEmpty(), !ok);
    } else {
        question = msg("Mes025");
        m_w->mnuParaCtrl()->trigger();
        QCOMPARE(transferOpened, ok);
    }
    QCOMPARE(boxes.texts().value(0), question);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// An error reply left open longer than the reply time-out is the only message of its request,
// and the dialog is idle once it is confirmed.
void TestEditorOperator::errorReplyGivesOneMessage() {
    startSim({QStringLiteral("--fault"), QStringLiteral("error=2@P:05R")});
    m_w->link().setIntervals(300, 300);
    ModalBoxes boxes;
    boxes.answer(QMessageBox::Ok, 1000); // the error, held open for more than 3 time-outs
    bool idleAfter = false;
    int boxesWhileIdle = 0;
    int phase = 0;
    ModalWindowScript<frmWait> transfer([&](frmWait* w) {
        if (phase == 0) {
            QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
            phase = 1;
            return false;
        }
        if (w->transfer().state().outcome != TransferState::Outcome::Stopped)
            return false;
        // Give a stray time-out the chance to show itself.
        QTest::qWait(500);
        boxesWhileIdle = boxes.count();
        idleAfter = w->cmdDo()->isEnabled() && w->cmdClose()->isEnabled() &&
                    !w->cmdStop()->isEnabled() && !m_w->link().isWaiting();
        QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
        return true;
    });
    m_w->setButtonsEnabled(false);
    QVERIFY(m_w->ShowDialog(0));
    QCOMPARE(boxes.texts(), QStringList{msg("Mes011")});
    QCOMPARE(boxesWhileIdle, 1);
    QVERIFY(idleAfter);
}

void TestEditorOperator::enterPressesStart() {
    startSim({});
    ModalBoxes boxes;
    bool started = false;
    bool startIsDefault = false;
    ModalWindowScript<frmWait> transfer([&](frmWait* w) {
        startIsDefault = w->cmdDo()->isDefault();
        QTest::keyClick(w, Qt::Key_Return);
        started = w->transfer().state().busy ||
                  w->transfer().state().outcome == TransferState::Outcome::ReadDone;
        if (!started)
            QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
        return true;
    });
    m_w->setButtonsEnabled(false);
    QVERIFY(m_w->ShowDialog(0));
    QVERIFY(startIsDefault);
    QVERIFY(started);
    QTRY_COMPARE(boxes.texts(), QStringList{msg("Mes021")});
    QVERIFY(m_w->buttonsEnabled());
}

void TestEditorOperator::tabStripAndGridStayInStep_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("mouse wheel") << "wheel";
    QTest::newRow("arrow keys") << "keys";
    QTest::newRow("click") << "click";
}

// However the tab changes, the grid shows that tab's parameters from the first row, and an
// edit lands in the parameter the grid shows.
void TestEditorOperator::tabStripAndGridStayInStep() {
    QFETCH(QString, how);
    startFromFile();
    QTabBar* tabs = m_w->tabJiku();
    QTableWidget* g = m_w->grdGrid();
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    QVERIFY(g->verticalScrollBar()->value() > 0);

    auto change = [&](int to) {
        if (how == QLatin1String("wheel")) {
            // Turning the wheel down moves to the next tab, up to the previous one.
            const QPoint at = tabs->tabRect(tabs->currentIndex()).center();
            QWheelEvent wheel(at, tabs->mapToGlobal(at), QPoint(), QPoint(0, to == 1 ? -120 : 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(tabs, &wheel);
        } else if (how == QLatin1String("keys")) {
            tabs->setFocus();
            QTest::keyClick(tabs, to == 1 ? Qt::Key_Right : Qt::Key_Left);
        } else {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(to).center());
        }
        QCOMPARE(tabs->currentIndex(), to);
    };

    change(1);
    QCOMPARE(m_w->tabKind(), 1);
    QCOMPARE(g->columnCount(), 3);
    QCOMPARE(g->rowCount(), m_w->parDefs().usedOfKind(1).size());
    QCOMPARE(g->verticalScrollBar()->value(), 0);
    const int common = m_w->parDefs().usedOfKind(1).front();
    QCOMPARE(g->item(0, 0)->text().toInt(), common);

    // An edit on the new tab changes the common parameter shown, not a per-axis one.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualItemRect(g->item(0, 1)).center());
    QVERIFY(m_w->isEditing());
    const QString before = m_w->values().at(common, 1);
    m_w->txtInput()->selectAll();
    QTest::keyClicks(m_w->txtInput(), QStringLiteral("1"));
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    QCOMPARE(m_w->values().at(common, 1), QStringLiteral("1"));
    QCOMPARE(g->item(0, 1)->text(), QStringLiteral("1"));
    QVERIFY(before != QStringLiteral("1") || m_w->values().at(1, 1) != QStringLiteral("1"));

    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    change(0);
    QCOMPARE(m_w->tabKind(), 0);
    QCOMPARE(g->columnCount(), 5);
    QCOMPARE(g->verticalScrollBar()->value(), 0);
    QCOMPARE(g->item(0, 0)->text().toInt(), m_w->parDefs().usedOfKind(0).front());
}

// A refused value whose cell was scrolled away: after the message the input box is back on
// that cell, in view, with the cell's earlier text.
void TestEditorOperator::refusedValueReopensInView() {
    startFromFile();
    QTableWidget* g = m_w->grdGrid();
    const int row = rowOf(1); // limits 0 to 2
    QVERIFY(row >= 0);
    const QString earlier = g->item(row, 1)->text();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->visualItemRect(g->item(row, 1)).center());
    QVERIFY(m_w->isEditing());
    m_w->txtInput()->selectAll();
    QTest::keyClicks(m_w->txtInput(), QStringLiteral("9"));

    ModalBoxes boxes;
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    QTRY_COMPARE(boxes.texts(), QStringList{msg("Mes011")});
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);

    QVERIFY(m_w->txtInput()->isVisible());
    QCOMPARE(m_w->txtInput()->text(), earlier);
    const QRect cell = g->visualItemRect(g->item(row, 1));
    QVERIFY(g->viewport()->rect().contains(cell));
    QVERIFY(g->viewport()->rect().contains(m_w->txtInput()->geometry()));
    QVERIFY(cell.intersects(m_w->txtInput()->geometry()));
    QVERIFY(m_w->txtInput()->hasFocus() || !QApplication::focusWidget());
}

QTEST_MAIN(TestEditorOperator)
#include "test_editor_operator.moc"
