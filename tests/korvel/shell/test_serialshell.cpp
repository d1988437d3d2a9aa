#include "korvel/model/runconfig.h"
#include "korvel/shell/MDIFormMain.h"
#include "korvel/shell/clsWindow.h"
#include "korvel/shell/dlgInit.h"
#include "korvel/shell/dlgWait.h"
#include "shared/comsettings.h"
#include "shared/inifile.h"
#include "shared/portmap.h"
#include "shared/seriallink.h"
#include "shared/ui/dlgcomsetup.h"
#include "shared/ui/qtserialport.h"

#include "../../shared/ptypair.h"
#include "recordingpresenter.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// A stand-in for Baxwin in the scratch application directory: records its arguments, stays for
// a moment, and leaves a mark when it ends.
void writeFakeBaxwin(const ScratchAppDir& dir, const QByteArray& body) {
    dir.write(QStringLiteral("baxwin"), "#!/bin/sh\n" + body);
    QFile::setPermissions(dir.file(QStringLiteral("baxwin")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

const QByteArray kRecordingBaxwin = "echo \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                    "sleep 0.3\n"
                                    "touch \"$(dirname \"$0\")/ended\"\n";

// While it lives, the PATH names only an empty folder: a Baxwin installed on this machine must
// not stand in for the one a test leaves out.
class EmptyPath {
public:
    EmptyPath() : m_saved(qgetenv("PATH")) { qputenv("PATH", m_dir.path().toLocal8Bit()); }
    ~EmptyPath() { qputenv("PATH", m_saved); }
    EmptyPath(const EmptyPath&) = delete;
    EmptyPath& operator=(const EmptyPath&) = delete;

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
};

struct Recorder : ReplyDispatcher {
    QStringList lines;
    void dispatchReply(const QString& line) override { lines << line; }
};

} // namespace

class TestSerialShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv(PortMap::OverrideVariable); }
    void cleanup() {
        dlgInit::setDisplayTime(dlgInit::DisplayTimeMs);
        qunsetenv(PortMap::OverrideVariable);
    }

    void initNoticeClosesItself() {
        ScratchAppDir dir;
        dir.useLanguage(1);
        QCOMPARE(dlgInit::displayTime(), 2000);
        dlgInit::setDisplayTime(60);
        QWidget main;
        main.resize(800, 600);
        main.show();
        dlgInit d(&main);
        QCOMPARE(d.lblMsg()->text(),
                 langFile().GetINIStr(QStringLiteral("WaitLabel"), QStringLiteral("Mes001")));
        QVERIFY(!d.lblMsg()->text().isEmpty());
        QVERIFY(d.lblMsg()->font().bold());
        QCOMPARE(d.lblMsg()->font().pointSize(), 16);
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        const QRect label = d.lblMsg()->geometry();
        QVERIFY(qAbs(label.center().x() - d.rect().center().x()) <= 1);
        QVERIFY(qAbs(label.center().y() - d.rect().center().y()) <= 1);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QVERIFY(clock.elapsed() >= 50);
    }

    void noticesWithoutWaitLabelSectionAreEmptyAndStillClose() {
        ScratchAppDir dir(false);
        dir.write(QStringLiteral("LANG1.DAT"), "[MsgBox]\nMes006=x\n");
        dir.useLanguage(1);
        dlgInit::setDisplayTime(10);
        dlgInit notice;
        QVERIFY(notice.lblMsg()->text().isEmpty());
        QCOMPARE(notice.exec(), int(QDialog::Accepted));
        dlgWait wait;
        QTimer::singleShot(10, &wait, &dlgWait::closeDialog);
        wait.ShowDialog();
        QVERIFY(wait.lblMsg()->text().isEmpty());
    }

    void waitWindowStaysUntilClosed() {
        ScratchAppDir dir;
        dir.useLanguage(1);
        dlgWait wait;
        bool shownModal = false;
        QTimer::singleShot(20, &wait, [&] {
            shownModal = wait.isVisible() && wait.isModal();
            wait.closeDialog();
        });
        wait.ShowDialog();
        QVERIFY(shownModal);
        QVERIFY(wait.windowTitle().isEmpty());
        QCOMPARE(wait.lblMsg()->text(),
                 langFile().GetINIStr(QStringLiteral("WaitLabel"), QStringLiteral("Mes002")));
        // The 16-point text is never cut by the window's edges.
        QVERIFY(wait.rect().contains(wait.lblMsg()->geometry()));
        QVERIFY(wait.width() >= twipsToPixels(&wait, 4245, 855).width());
        // A check that ended before its window was shown does not leave the window open.
        dlgWait early;
        early.closeDialog();
        early.ShowDialog();
        QVERIFY(!early.isVisible());
    }

    void baxwinCommandLines_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("no argument") << QString() << QStringLiteral("Baxwin.exe 0");
        QTest::newRow("1") << QStringLiteral("1") << QStringLiteral("Baxwin.exe 1");
        QTest::newRow("01") << QStringLiteral("01") << QStringLiteral("Baxwin.exe 1");
        QTest::newRow("1.5") << QStringLiteral("1.5") << QStringLiteral("Baxwin.exe 1.5");
        QTest::newRow("text") << QStringLiteral("abc") << QStringLiteral("Baxwin.exe 0");
    }

    void baxwinCommandLines() {
        QFETCH(QString, argument);
        QFETCH(QString, commandLine);
        QCOMPARE(baxwinCommandLine(argument), commandLine);
    }

    void appWaitReturnsAtOnceWithoutAProgram_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QByteArray>("file"); // written as baxwin, not executable
        QTest::newRow("missing") << QStringLiteral("Baxwin.exe 0") << QByteArray();
        QTest::newRow("not executable") << QStringLiteral("Baxwin.exe 0") << QByteArray("x");
        QTest::newRow("empty command line") << QString() << QByteArray();
    }

    void appWaitReturnsAtOnceWithoutAProgram() {
        QFETCH(QString, commandLine);
        QFETCH(QByteArray, file);
        ScratchAppDir dir(false);
        if (!file.isEmpty())
            dir.write(QStringLiteral("baxwin"), file);
        bool eventsRan = false;
        QTimer::singleShot(0, [&eventsRan] { eventsRan = true; });
        const EmptyPath noInstalledBaxwin;
        clsWindow().AppWait(commandLine);
        QVERIFY(!eventsRan);
        QTest::qWait(1);
    }

    void appWaitEndsWhenTheProgramCannotStart() {
        ScratchAppDir dir(false);
        writeFakeBaxwin(dir, QByteArray());
        dir.write(QStringLiteral("baxwin"), "#!/nonexistent/interpreter\n");
        QElapsedTimer clock;
        clock.start();
        clsWindow().AppWait(QStringLiteral("Baxwin.exe 1"));
        QVERIFY(clock.elapsed() < 5000);
    }

    void appWaitRunsEventsUntilTheProgramEnds() {
        ScratchAppDir dir(false);
        writeFakeBaxwin(dir, kRecordingBaxwin);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        clsWindow().AppWait(QStringLiteral("Baxwin.exe 1"));
        QVERIFY(QFile::exists(dir.file(QStringLiteral("ended"))));
        QCOMPARE(dir.read(QStringLiteral("args")), QByteArray("1\n"));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void parameterSettingsRunsBaxwinWithMenusDisabled_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("Baxwin present") << true;
        QTest::newRow("Baxwin missing") << false;
    }

    void parameterSettingsRunsBaxwinWithMenusDisabled() {
        QFETCH(bool, present);
        ScratchAppDir dir;
        dir.useLanguage(1);
        if (present)
            writeFakeBaxwin(dir, kRecordingBaxwin);
        RunConfig::setControllerType(2);
        RunConfig::setCommandLineArgument(QStringLiteral("01"));
        MDIFormMain main;
        main.ShowMainDialog();
        const Qt::WindowStates before = main.windowState();
        QStringList during;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            during << QStringLiteral("%1%2%3")
                          .arg(int(main.isMinimized()))
                          .arg(int(main.menuEntry(QStringLiteral("mnuFile"))->isEnabled()))
                          .arg(int(main.menuEntry(QStringLiteral("mnuComm"))->isEnabled()));
        });
        probe.start(20);
        std::unique_ptr<EmptyPath> noInstalledBaxwin;
        if (!present)
            noInstalledBaxwin = std::make_unique<EmptyPath>();
        main.mnuFilePara_Click();
        probe.stop();
        QVERIFY(main.menuEntry(QStringLiteral("mnuFile"))->isEnabled());
        QVERIFY(main.menuEntry(QStringLiteral("mnuComm"))->isEnabled());
        QCOMPARE(main.windowState(), before);
        if (present) {
            QCOMPARE(dir.read(QStringLiteral("args")), QByteArray("1\n"));
            QVERIFY(!during.isEmpty());
            QCOMPARE(during.first(), QStringLiteral("100"));
            QCOMPARE(during.count(QStringLiteral("100")), during.size());
        } else {
            QVERIFY(during.isEmpty());
        }
    }

    // The main window probes the ports, reads com.cfg and passes the port's arrivals and the two
    // timers' ticks to the link.
    void mainWindowForwardsSerialEvents() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScratchAppDir dir;
        dir.useLanguage(1);
        dir.write(QStringLiteral("ports.cfg"), "COM1=" + pty.path().toLocal8Bit() + "\n");
        dir.write(QStringLiteral("com.cfg"), "1412x");
        RecordingPresenter presenter;
        MDIFormMain main;
        main.ShowMainDialog();
        QCOMPARE(dir.read(QStringLiteral("com.cfg")), QByteArray("14121\r\n"));
        QVERIFY(main.comSettings().isPortUsable(0));
        QCOMPARE(main.MSComm()->settings(), QStringLiteral("38400,N,8,1"));
        Q_EMIT main.menu(QStringLiteral("mnuComm"))->aboutToShow();
        QVERIFY(main.menuEntry(QStringLiteral("mnuComUL"))->isEnabled());
        QVERIFY(main.menuEntry(QStringLiteral("mnuComExe"))->isEnabled());

        Recorder recorder;
        SerialLink& link = main.link();
        link.setDispatcher(&recorder);
        link.setIntervals(80, 30, 20);
        link.setRxState(LineSplitter::Armed);
        link.sendText(QStringLiteral("CHINF:01\r\n"));
        link.setReplyTimer(true);
        QVERIFY(main.Timer()->isActive());
        QCOMPARE(pty.waitForRequest(), QByteArray("CHINF:01\r\n"));
        pty.send("L 7\r\n");
        QTRY_COMPARE(recorder.lines, QStringList{QStringLiteral("L 7")});
        QCOMPARE(int(link.lineEnd()), int(LineSplitter::EndCrLf));
        QVERIFY(!main.TimerCrLf()->isActive());

        // The reply ended the wait for it; a request left unanswered times out through the
        // main window's reply timer.
        QVERIFY(!main.Timer()->isActive());
        link.sendText(QStringLiteral("CHINF:02\r\n"));
        link.setReplyTimer(true);
        QCOMPARE(pty.waitForRequest(), QByteArray("CHINF:02\r\n"));
        QTRY_COMPARE(presenter.shown().size(), 1);
        QCOMPARE(presenter.shown().first().text,
                 langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes006")));
        QVERIFY(!main.Timer()->isActive());
        QVERIFY(!main.MSComm()->isOpen());
    }

    // The run command's arrangement: controller-sim behind a per-run port map, the operator's
    // own ports.cfg left as it is.
    void mainWindowReachesTheSimulatorThroughTheRunPortMap() {
        ScratchAppDir dir;
        dir.useLanguage(1);
        dir.write(QStringLiteral("ports.cfg"), "COM1=/dev/ttyUSB0\n");
        dir.write(QStringLiteral("com.cfg"), "12121\r\n");
        QProcess sim;
        sim.start(builtAppDir() + QStringLiteral("/controller-sim"),
                  {QStringLiteral("--link"), dir.file(QStringLiteral("controller"))});
        QVERIFY(sim.waitForStarted(5000));
        QTRY_VERIFY(sim.canReadLine());
        dir.write(QStringLiteral("run-ports.cfg"),
                  "COM1=" + dir.file(QStringLiteral("controller")).toLocal8Bit() + "\n");
        qputenv(PortMap::OverrideVariable, dir.file(QStringLiteral("run-ports.cfg")).toLocal8Bit());
        MDIFormMain main;
        main.ShowMainDialog();
        QVERIFY(main.comSettings().isPortUsable(0));
        Recorder recorder;
        main.link().setDispatcher(&recorder);
        main.link().setIntervals(2000, 100, 60);
        main.link().wakeController();
        main.link().setRxState(LineSplitter::Armed);
        main.link().sendText(QStringLiteral("CHINF:01\r\n"));
        main.link().setReplyTimer(true);
        QTRY_COMPARE(recorder.lines, QStringList{QStringLiteral("N")});
        QCOMPARE(int(main.link().lineEnd()), int(LineSplitter::EndCrLf));
        qunsetenv(PortMap::OverrideVariable);
        QCOMPARE(dir.read(QStringLiteral("ports.cfg")), QByteArray("COM1=/dev/ttyUSB0\n"));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }

    void wakeUpDisablesTheMainWindow() {
        PtyPair pty;
        ScratchAppDir dir;
        dir.useLanguage(1);
        dir.write(QStringLiteral("ports.cfg"), "COM1=" + pty.path().toLocal8Bit() + "\n");
        dir.write(QStringLiteral("com.cfg"), "12121\r\n");
        MDIFormMain main;
        main.ShowMainDialog();
        main.link().setIntervals(3000, 100, 60);
        bool enabledDuring = true;
        QTimer::singleShot(20, &main, [&] { enabledDuring = main.isEnabled(); });
        main.link().wakeController();
        QVERIFY(!enabledDuring);
        QVERIFY(main.isEnabled());
        QCOMPARE(pty.take(), QByteArray("?:\r\n"));
    }

    // Communication settings: a fresh comInit (com.cfg normalised, ports probed again) and then
    // the dialog.
    void communicationSettingsOpensTheDialogAfterComInit() {
        PtyPair pty;
        ScratchAppDir dir;
        dir.useLanguage(1);
        dir.write(QStringLiteral("ports.cfg"), "COM2=" + pty.path().toLocal8Bit() + "\n");
        MDIFormMain main;
        main.ShowMainDialog();
        dir.write(QStringLiteral("com.cfg"), "95372\r\n");
        bool com2Enabled = false;
        QTimer::singleShot(0, &main, [&] {
            auto* d = qobject_cast<dlgComSetup*>(QApplication::activeModalWidget());
            QVERIFY(d);
            com2Enabled = d->optPort(2)->isEnabled();
            d->optPort(2)->click();
            d->cmdOk()->click();
        });
        main.mnuComParam_Click();
        QVERIFY(com2Enabled);
        QCOMPARE(dir.read(QStringLiteral("com.cfg")), QByteArray("22322\r\n"));
        QCOMPARE(main.MSComm()->commPort(), 2);
        QCOMPARE(main.MSComm()->settings(), QStringLiteral("9600,O,8,2"));
    }
};

QTEST_MAIN(TestSerialShell)
#include "test_serialshell.moc"
