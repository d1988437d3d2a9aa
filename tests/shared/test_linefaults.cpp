#include "ptypair.h"
#include "testenv.h"

#include "../korvel/controller/simrig.h"

#include "shared/seriallink.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Lets events run for ms without the sleeps of QTest::qWait, which would hold every timer up.
void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The protocol's side: every reply line, time-out and message in order.
struct Recorder : ReplyDispatcher, PendingRequests, LinkMessenger {
    SerialLink* link = nullptr;
    QStringList events;
    QElapsedTimer clock;
    void dispatchReply(const QString& line) override {
        events << QStringLiteral("reply:") + line;
        link->endExchange();
    }
    void clearPending(bool) override {}
    void timeoutBeforeMessage() override { events << QStringLiteral("timeout"); }
    void showLinkMessage(int code) override { events << QStringLiteral("message:%1").arg(code); }
};

// One link over the real serial port at COM1, which a test points at a device.
struct Line {
    ScratchAppDir dir{false};
    QtSerialPort port;
    QTimer replyTimer;
    QTimer crLfTimer;
    QtLinkTimer reply{&replyTimer};
    QtLinkTimer crLf{&crLfTimer};
    SerialLink link{&port, &reply, &crLf};
    Recorder protocol;

    explicit Line(const QString& device) {
        dir.write(QStringLiteral("ports.cfg"), "COM1=" + device.toLocal8Bit() + "\n");
        port.setCommPort(1);
        port.setReceiveNotifications(true);
        port.setReceiveHandler([this] { link.onReceive(); });
        QObject::connect(&replyTimer, &QTimer::timeout, [this] { link.onReplyTimer(); });
        QObject::connect(&crLfTimer, &QTimer::timeout, [this] { link.onCrLfTimer(); });
        protocol.link = &link;
        link.setDispatcher(&protocol);
        link.setPendingRequests(&protocol);
        link.setMessenger(&protocol);
    }
    void request(const QString& text) {
        link.sendText(text + LineEnds::CRLF);
        link.setReplyTimer(true);
    }
};

} // namespace

// The serial line under faults, through the real port on a pseudo-terminal.
class TestLineFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qunsetenv("KORVEL_PORTS_CFG"); }
    void hungUpLineDoesNotSpin();
    void replyJustBeforeTheTimeOutIsAReply();
    void lateLineFeedIsStillCrLf();
    void slowWakeUpAnswerIsNotTheNextReply_data();
    void slowWakeUpAnswerIsNotTheNextReply();
};

// The controller's side closes in the middle of an exchange: the port is closed and nothing
// spins while the reply time-out runs out; it ends the exchange with its message.
void TestLineFaults::hungUpLineDoesNotSpin() {
    PtyPair pty;
    QVERIFY(pty.isValid());
    Line line(pty.path());
    line.link.setIntervals(1500, 100, 50);
    line.request(QStringLiteral("CHINF:01"));
    QCOMPARE(pty.waitForRequest(), QByteArray("CHINF:01\r\n"));
    pty.closeMaster();
    // A read at the end of the line fails with nothing of its own: the system's last error is
    // whatever came before, here one that names no fault of a line (as korvel-cli met it).
    errno = ENOTTY;
    QElapsedTimer waited;
    waited.start();
    const double cpuBefore = cpuSeconds();
    QTest::qWait(1200);
    const double cpu = cpuSeconds() - cpuBefore;
    const double share = cpu / (double(waited.elapsed()) / 1000.0);
    qInfo("CPU while waiting on the hung-up line: %.3f s in %lld ms", cpu, waited.elapsed());
    QVERIFY2(share < 0.10,
             qPrintable(QStringLiteral("CPU %1 s in %2 ms").arg(cpu).arg(waited.elapsed())));
    QVERIFY(!line.port.isOpen());
    // Named by its full path (a pseudo-terminal's device goes with its other side).
    const QString reason = line.port.lastError();
    QVERIFY2(reason == pty.path() + QStringLiteral(": the device has gone") ||
                 reason == pty.path() + QStringLiteral(": hang-up (the line was closed at the "
                                                       "other end)"),
             qPrintable(reason));
    QTRY_COMPARE(line.protocol.events,
                 (QStringList{QStringLiteral("timeout"), QStringLiteral("message:4")}));
    // The next request tries the device again, and its failure is silent.
    line.request(QStringLiteral("CHINF:02"));
    QTRY_COMPARE_WITH_TIMEOUT(line.protocol.events.size(), 4, 3000);
}

// A reply 2.9 s after its request, with the full 3 s reply time-out.
void TestLineFaults::replyJustBeforeTheTimeOutIsAReply() {
    PtyPair pty;
    Line line(pty.path());
    line.link.setIntervals(SerialLink::ReplyIntervalMs, SerialLink::CrLfIntervalMs, 50);
    line.request(QStringLiteral("CHINF:01"));
    QElapsedTimer sent;
    sent.start();
    QCOMPARE(pty.waitForRequest(), QByteArray("CHINF:01\r\n"));
    QTimer::singleShot(2900 - int(sent.elapsed()), Qt::PreciseTimer, [&pty] { pty.send("L3\r"); });
    spin(3300);
    QCOMPARE(line.protocol.events, QStringList{QStringLiteral("reply:L3")});
}

// Detection armed: an LF 95 ms after its CR still makes the controller a CR LF one.
void TestLineFaults::lateLineFeedIsStillCrLf() {
    for (int run = 0; run < 3; ++run) {
        PtyPair pty;
        Line line(pty.path());
        line.link.setIntervals(5000, SerialLink::CrLfIntervalMs, 50);
        line.link.setRxState(LineSplitter::Armed);
        line.request(QStringLiteral("CHINF:01"));
        QCOMPARE(pty.waitForRequest(), QByteArray("CHINF:01\r\n"));
        pty.send("N\r");
        QTimer::singleShot(95, Qt::PreciseTimer, [&pty] { pty.send("\n"); });
        spin(300);
        QCOMPARE(line.protocol.events, QStringList{QStringLiteral("reply:N")});
        QCOMPARE(int(line.link.lineEnd()), int(LineSplitter::EndCrLf));
    }
}

void TestLineFaults::slowWakeUpAnswerIsNotTheNextReply_data() {
    QTest::addColumn<int>("latency");
    QTest::newRow("answers at once") << 0;
    QTest::newRow("400 ms late") << 400;
    QTest::newRow("900 ms late") << 900;
}

// The controller takes its time with every answer, "?:" too: the wake-up waits for that answer,
// so the channel query gets its own reply and not the "OK".
void TestLineFaults::slowWakeUpAnswerIsNotTheNextReply() {
    QFETCH(int, latency);
    SimController sim({QStringLiteral("--latency"), QString::number(latency)});
    QVERIFY(!sim.device().isEmpty());
    Line line(sim.device());
    line.link.setIntervals(SerialLink::ReplyIntervalMs, SerialLink::CrLfIntervalMs,
                           SerialLink::WakeWaitMs);
    QElapsedTimer woken;
    woken.start();
    line.link.wakeController();
    const qint64 wakeMs = woken.elapsed();
    if (latency == 0)
        QVERIFY2(wakeMs < 250, qPrintable(QString::number(wakeMs)));
    else
        QVERIFY2(wakeMs >= latency && wakeMs < latency + 300, qPrintable(QString::number(wakeMs)));
    line.link.setRxState(LineSplitter::Armed);
    line.request(QStringLiteral("CHINF:01"));
    QTRY_VERIFY_WITH_TIMEOUT(!line.protocol.events.isEmpty(), 5000);
    QTest::qWait(latency + 200);
    QCOMPARE(line.protocol.events, QStringList{QStringLiteral("reply:N")});
}

QTEST_MAIN(TestLineFaults)
#include "test_linefaults.moc"
