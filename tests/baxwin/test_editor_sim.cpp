#include "baxwin/mdlfile.h"
#include "baxwin/ui/frmbaxwin.h"
#include "baxwin/ui/frmwait.h"
#include "shared/inifile.h"
#include "shared/portmap.h"
#include "simprocess.h"

#include "../support/recordingpresenter.h"
#include "../support/testenv.h"

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
#include <QTimer>

#include <functional>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}

// Plays the operator in the transfer dialog: each tick while the dialog is up runs the script
// until it says it is done.
class ModalScript {
public:
    explicit ModalScript(std::function<bool(frmWait*)> step) : m_step(std::move(step)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* w = qobject_cast<frmWait*>(QApplication::activeModalWidget());
            if (w != nullptr && w->isVisible() && w->isEnabled() && m_step(w))
                m_timer.stop();
        });
        m_timer.start();
    }

private:
    std::function<bool(frmWait*)> m_step;
    QTimer m_timer;
};

} // namespace

// The editor against controller-sim on a pseudo-terminal, COM1 mapped to its device.
class TestEditorSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void readEditWriteFlashRead_data();
    void readEditWriteFlashRead();
    void abortLeavesValues_data();
    void abortLeavesValues();
    void failures_data();
    void failures();
    void closingWithoutReadingShowsEmptyGrid();

private:
    void startSim(const QStringList& args);
    int rowOf(int n) const;
    void edit(int n, int col, const QString& text);
    void readFromController();

    ScratchAppDir* m_app = nullptr;
    RecordingPresenter* m_rec = nullptr;
    frmBaxwin* m_w = nullptr;
    SimProcess* m_sim = nullptr;
    QString m_oldCwd;
};

void TestEditorSim::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    m_app->write(QStringLiteral("com.cfg"), "12121\r\n");
    qputenv(PortMap::OverrideVariable, m_app->file(QStringLiteral("ports.cfg")).toLocal8Bit());
    m_rec = new RecordingPresenter;
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_app->path());
    m_w = new frmBaxwin(1);
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestEditorSim::cleanup() {
    delete m_w;
    delete m_sim;
    m_sim = nullptr;
    qunsetenv(PortMap::OverrideVariable);
    QDir::setCurrent(m_oldCwd);
    delete m_rec;
    delete m_app;
}

void TestEditorSim::startSim(const QStringList& args) {
    delete m_sim;
    m_sim = new SimProcess(args);
    QVERIFY(!m_sim->device.isEmpty());
    m_app->write(QStringLiteral("ports.cfg"), "COM1=" + m_sim->device.toLocal8Bit() + "\n");
}

int TestEditorSim::rowOf(int n) const {
    QTableWidget* g = m_w->grdGrid();
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->item(r, 0)->text().toInt() == n)
            return r;
    }
    return -1;
}

void TestEditorSim::edit(int n, int col, const QString& text) {
    const int tab = m_w->parDefs()[n].kind;
    if (m_w->tabKind() != tab)
        QTest::mouseClick(m_w->tabJiku(), Qt::LeftButton, {},
                          m_w->tabJiku()->tabRect(tab).center());
    QTableWidget* g = m_w->grdGrid();
    const int row = rowOf(n);
    g->scrollToItem(g->item(row, col));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->visualItemRect(g->item(row, col)).center());
    QVERIFY(m_w->isEditing());
    m_w->txtInput()->selectAll();
    QTest::keyClick(m_w->txtInput(), Qt::Key_Backspace);
    QTest::keyClicks(m_w->txtInput(), text);
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
}

void TestEditorSim::readFromController() {
    ModalScript script([](frmWait* w) -> bool {
        QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
        return true;
    });
    m_w->mnuParaCtrl()->trigger();
}

void TestEditorSim::readEditWriteFlashRead_data() {
    QTest::addColumn<int>("axes");
    QTest::newRow("one axis") << 1;
    QTest::newRow("two axes") << 2;
    QTest::newRow("three axes") << 3;
}

void TestEditorSim::readEditWriteFlashRead() {
    QFETCH(int, axes);
    const QString state = m_app->file(QStringLiteral("sim.json"));
    startSim({QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--state"), state});
    ModalScript first([](frmWait* w) -> bool {
        QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
        return true;
    });
    QVERIFY(m_w->ShowDialog(0));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes021"));
    QVERIFY(m_w->buttonsEnabled());
    QVERIFY(m_w->cmdCtrl()->isEnabled());
    const ParDefs& d = m_w->parDefs();
    const int lastAxis = axes; // the per-axis column of the controller's last axis
    QCOMPARE(m_w->values().at(8, lastAxis), d[8].defaultValue);
    QCOMPARE(m_w->grdGrid()->item(rowOf(8), lastAxis)->text(), d[8].defaultValue);
    const QString unread =
        langFile().GetINIStr(QStringLiteral("frmWait"), QStringLiteral("Mes001"));
    for (int a = axes + 1; a <= 3; ++a)
        QCOMPARE(m_w->values().at(8, a), unread);

    edit(8, lastAxis, QStringLiteral("30000"));
    edit(11, 1, QStringLiteral("-1500"));
    edit(22, 2, QStringLiteral("0"));
    edit(53, 1, QStringLiteral("3121"));
    edit(90, 1, QStringLiteral("45"));
    m_w->grdGrid()->setFocus();
    const ParValueTable edited = m_w->values();

    m_rec->clear();
    int phase = 0;
    bool romAtStart = true;
    ModalScript write([&phase, &romAtStart](frmWait* w) -> bool {
        if (phase == 0) {
            romAtStart = w->cmdROM()->isEnabled();
            QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
            phase = 1;
        } else if (w->cmdROM()->isEnabled()) {
            QTest::mouseClick(w->cmdROM(), Qt::LeftButton);
            return true;
        }
        return false;
    });
    QTest::mouseClick(m_w->cmdCtrl(), Qt::LeftButton);
    QVERIFY(!romAtStart);
    QCOMPARE(m_rec->shown().size(), 3);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes026"));
    QCOMPARE(m_rec->shown()[1].text, msg("Mes008"));
    QCOMPARE(m_rec->shown()[2].text, msg("Mes022"));
    QVERIFY(m_w->values() == edited);

    // A controller started again from its flash memory gives the edited values back.
    startSim({QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--state"), state});
    m_rec->clear();
    readFromController();
    QCOMPARE(m_rec->shown().size(), 2);
    QCOMPARE(m_rec->shown()[1].text, msg("Mes021"));
    for (int n = 1; n <= MaxParNo; ++n) {
        if (d[n].used != 1)
            continue;
        const int columns = d[n].kind == 0 ? axes : 1;
        for (int a = 1; a <= columns; ++a)
            QCOMPARE(m_w->values().at(n, a), edited.at(n, a));
    }
    QCOMPARE(m_w->values().at(53, 1), QStringLiteral("3121"));
    QCOMPARE(m_w->tabKind(), 0);
    QCOMPARE(m_w->grdGrid()->item(rowOf(8), lastAxis)->text(), QStringLiteral("30000"));
}

void TestEditorSim::abortLeavesValues_data() {
    QTest::addColumn<bool>("byFrame");
    QTest::newRow("abort button") << false;
    QTest::newRow("window frame") << true;
}

void TestEditorSim::abortLeavesValues() {
    QFETCH(bool, byFrame);
    startSim({QStringLiteral("--latency"), QStringLiteral("20")});
    QVERIFY(m_w->ShowDialog(1)); // from the (missing) file: defaults
    edit(8, 1, QStringLiteral("12345"));
    m_w->grdGrid()->setFocus();
    const ParValueTable before = m_w->values();
    const bool buttons = m_w->buttonsEnabled();
    m_rec->clear();
    int phase = 0;
    int progressAtAbort = 0;
    bool idleAfterStop = byFrame;
    ModalScript script([&](frmWait* w) -> bool {
        if (phase == 0) {
            QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
            phase = 1;
        } else if (phase == 1 && w->pbrComm()->value() >= 10) {
            progressAtAbort = w->pbrComm()->value();
            if (byFrame) {
                w->close();
                return true;
            }
            QTest::mouseClick(w->cmdStop(), Qt::LeftButton);
            idleAfterStop = w->pbrComm()->value() == 0 && w->lblStatus()->text().isEmpty() &&
                            w->cmdDo()->isEnabled();
            phase = 2;
        } else if (phase == 2) {
            QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
            return true;
        }
        return false;
    });
    m_w->mnuParaCtrl()->trigger();
    QVERIFY(progressAtAbort >= 10);
    QVERIFY(idleAfterStop);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(m_rec->shown().size(), 2);
    QCOMPARE(m_rec->shown()[1].text, msg("Mes023"));
    QVERIFY(m_w->values() == before);
    QCOMPARE(m_w->grdGrid()->item(rowOf(8), 1)->text(), QStringLiteral("12345"));
    QCOMPARE(m_w->buttonsEnabled(), buttons);
    QVERIFY(!m_w->link().isWaiting());
}

void TestEditorSim::failures_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("key");
    QTest::newRow("read: error at the probe") << "read"
                                              << "error=2@2"
                                              << "Mes011";
    QTest::newRow("read: no reply at the probe") << "read"
                                                 << "noreply@2"
                                                 << "Mes006";
    QTest::newRow("read: error in the middle") << "read"
                                               << "error=@P:52R"
                                               << "Mes018";
    QTest::newRow("read: no reply in the middle") << "read"
                                                  << "noreply@P:52R"
                                                  << "Mes006";
    QTest::newRow("write: error at the probe") << "write"
                                               << "error=6@2"
                                               << "Mes015";
    QTest::newRow("write: no reply in the middle") << "write"
                                                   << "noreply@P:20*"
                                                   << "Mes006";
    QTest::newRow("flash: error") << "flash"
                                  << "error=8@F:"
                                  << "Mes017";
    QTest::newRow("flash: no reply") << "flash"
                                     << "noreply@F:"
                                     << "Mes006";
}

void TestEditorSim::failures() {
    QFETCH(QString, what);
    QFETCH(QString, fault);
    QFETCH(QString, key);
    startSim({QStringLiteral("--fault"), fault});
    m_w->setButtonsEnabled(true); // as the source dialog's file choice does
    QVERIFY(m_w->ShowDialog(1));
    QVERIFY(m_w->cmdCtrl()->isEnabled());
    m_w->link().setIntervals(300, 300);
    const ParValueTable before = m_w->values();
    m_rec->clear();
    int phase = 0;
    bool idleAfter = false;
    ModalScript script([&](frmWait* w) -> bool {
        if (phase == 0) {
            QTest::mouseClick(w->cmdDo(), Qt::LeftButton);
            phase = what == QLatin1String("flash") ? 1 : 2;
        } else if (phase == 1 && w->cmdROM()->isEnabled()) {
            QTest::mouseClick(w->cmdROM(), Qt::LeftButton);
            phase = 2;
        } else if (phase == 2 && w->transfer().state().outcome == TransferState::Outcome::Stopped) {
            idleAfter = w->cmdDo()->isEnabled() && w->cmdClose()->isEnabled() &&
                        !w->cmdStop()->isEnabled() && w->pbrComm()->value() == 0 &&
                        w->lblStatus()->text().isEmpty();
            QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
            return true;
        }
        return false;
    });
    if (what == QLatin1String("read"))
        m_w->mnuParaCtrl()->trigger();
    else
        QTest::mouseClick(m_w->cmdCtrl(), Qt::LeftButton);
    QVERIFY(idleAfter);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(!m_rec->shown().isEmpty());
    QCOMPARE(m_rec->shown().last().text, msg(qPrintable(key)));
    QCOMPARE(m_rec->shown().last().icon, MsgIcon::Critical);
    QVERIFY(m_w->values() == before);
}

void TestEditorSim::closingWithoutReadingShowsEmptyGrid() {
    startSim({});
    ModalScript script([](frmWait* w) -> bool {
        QTest::mouseClick(w->cmdClose(), Qt::LeftButton);
        return true;
    });
    m_w->setButtonsEnabled(false);
    QVERIFY(m_w->ShowDialog(0));
    QVERIFY(m_rec->shown().isEmpty());
    QVERIFY(m_w->grdGrid()->isVisible());
    QVERIFY(m_w->grdGrid()->item(rowOf(8), 1)->text().isEmpty());
    QVERIFY(!m_w->cmdFile()->isEnabled());
    QVERIFY(!m_w->cmdCtrl()->isEnabled());
}

QTEST_MAIN(TestEditorSim)
#include "test_editor_sim.moc"
