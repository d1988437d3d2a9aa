#include "testenv.h"

#include "shared/seriallink.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QProcess>
#include <QTest>
#include <QTimer>

// The link against controller-sim: replies, error replies, time-outs and line ends as a
// controller gives them.
namespace {

class Sim {
public:
    explicit Sim(const QStringList& args) {
        m_proc.start(builtAppDir() + QStringLiteral("/controller-sim"), args);
        if (!m_proc.waitForStarted(5000))
            return;
        while (!m_proc.canReadLine() && m_proc.waitForReadyRead(5000)) {
        }
        device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
    }
    ~Sim() {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.terminate();
            m_proc.waitForFinished(5000);
        }
    }
    QProcess& process() { return m_proc; }
    QString device;

private:
    QProcess m_proc;
};

struct Protocol : ReplyDispatcher, LinkMessenger {
    SerialLink* link = nullptr;
    QStringList replies;
    QList<int> messages;
    void dispatchReply(const QString& line) override {
        replies << line;
        link->endExchange();
        link->checkReplyError(line);
    }
    void showLinkMessage(int code) override { messages << code; }
};

struct Rig {
    ScratchAppDir dir{false};
    Sim sim;
    QtSerialPort port;
    QTimer replyTimer;
    QTimer crLfTimer;
    QtLinkTimer reply{&replyTimer};
    QtLinkTimer crLf{&crLfTimer};
    SerialLink link{&port, &reply, &crLf};
    Protocol protocol;

    // COM1 reaches the simulator through its stable link, as in the run command.
    explicit Rig(const QStringList& simArgs)
        : sim(QStringList{QStringLiteral("--link"), dir.file(QStringLiteral("controller"))} +
              simArgs) {
        dir.write(QStringLiteral("ports.cfg"),
                  "COM1=" + dir.file(QStringLiteral("controller")).toLocal8Bit() + "\n");
        port.setCommPort(1);
        port.setSettings(QStringLiteral("9600,N,8,1"));
        port.setReceiveNotifications(true);
        port.setReceiveHandler([this] { link.onReceive(); });
        QObject::connect(&replyTimer, &QTimer::timeout, [this] { link.onReplyTimer(); });
        QObject::connect(&crLfTimer, &QTimer::timeout, [this] { link.onCrLfTimer(); });
        protocol.link = &link;
        link.setDispatcher(&protocol);
        link.setMessenger(&protocol);
        link.setIntervals(2000, 100, 50);
    }
    void request(const QString& text) {
        link.sendText(text + LineEnds::CRLF);
        link.setReplyTimer(true);
    }
};

} // namespace

class TestLinkSim : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv("KORVEL_PORTS_CFG"); }

    void requestAndReply() {
        Rig r({});
        QVERIFY(!r.sim.device.isEmpty());
        r.request(QStringLiteral("CHINF:01"));
        QTRY_COMPARE(r.protocol.replies, QStringList{QStringLiteral("N")});
        QVERIFY(r.protocol.messages.isEmpty());
        QVERIFY(!r.port.isOpen());
        // A controller ending its lines with CR LF, detection never armed: the LF is dropped by
        // the next request.
        r.request(QStringLiteral("?:"));
        QTRY_COMPARE(r.protocol.replies.size(), 2);
        QCOMPARE(r.protocol.replies.at(1), QStringLiteral("OK"));
    }

    void errorReplies_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("code");
        QTest::newRow("bad channel")
            << QStringList() << QStringLiteral("CHINF:99") << QStringLiteral("!3") << 10;
        QTest::newRow("start of an empty channel")
            << QStringList() << QStringLiteral("Z:05") << QStringLiteral("!6") << 13;
        QTest::newRow("not understood")
            << QStringList() << QStringLiteral("HELLO:") << QStringLiteral("!0") << 7;
        QTest::newRow("!8") << QStringList{QStringLiteral("--fault"), QStringLiteral("error=8@1")}
                            << QStringLiteral("?:") << QStringLiteral("!8") << 15;
        QTest::newRow("! alone") << QStringList{QStringLiteral("--fault"),
                                                QStringLiteral("reply=!@1")}
                                 << QStringLiteral("?:") << QStringLiteral("!") << 16;
        QTest::newRow("!9") << QStringList{QStringLiteral("--fault"), QStringLiteral("reply=!9@1")}
                            << QStringLiteral("?:") << QStringLiteral("!9") << 16;
        QTest::newRow("!12 is no error")
            << QStringList{QStringLiteral("--fault"), QStringLiteral("reply=!12@1")}
            << QStringLiteral("?:") << QStringLiteral("!12") << 0;
        QTest::newRow("error in single bytes")
            << QStringList{QStringLiteral("--fault"), QStringLiteral("split=1,5@1")}
            << QStringLiteral("CHINF:00") << QStringLiteral("!3") << 10;
    }

    void errorReplies() {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, request);
        QFETCH(QString, reply);
        QFETCH(int, code);
        Rig r(simArgs);
        r.request(request);
        QTRY_COMPARE(r.protocol.replies, QStringList{reply});
        QCOMPARE(r.protocol.messages, code == 0 ? QList<int>() : QList<int>{code});
    }

    void timeOut() {
        Rig r({QStringLiteral("--fault"), QStringLiteral("noreply@1")});
        r.link.setIntervals(150, 100, 50);
        r.request(QStringLiteral("CHINF:01"));
        QTRY_COMPARE(r.protocol.messages, QList<int>{4});
        QVERIFY(r.protocol.replies.isEmpty());
        QVERIFY(!r.port.isOpen());
        // The controller answers the next request again.
        r.request(QStringLiteral("CHINF:01"));
        QTRY_COMPARE(r.protocol.replies, QStringList{QStringLiteral("N")});
    }

    void lineEndDetection_data() {
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<bool>("bytewise");
        QTest::addColumn<int>("detected");
        const QStringList ends{QStringLiteral("cr"), QStringLiteral("lf"), QStringLiteral("crlf")};
        for (bool bytewise : {false, true})
            for (int i = 0; i < 3; ++i)
                QTest::addRow("%s%s", qPrintable(ends.at(i)), bytewise ? ", single bytes" : "")
                    << ends.at(i) << bytewise << i;
    }

    void lineEndDetection() {
        QFETCH(QString, lineEnd);
        QFETCH(bool, bytewise);
        QFETCH(int, detected);
        QStringList args{QStringLiteral("--line-end"), lineEnd};
        if (bytewise)
            args << QStringLiteral("--fault") << QStringLiteral("split=1,5@CHINF:*")
                 << QStringLiteral("--fault") << QStringLiteral("split=1,5@?:");
        Rig r(args);
        r.link.setRxState(LineSplitter::Armed);
        r.request(QStringLiteral("CHINF:01"));
        QTRY_COMPARE(r.protocol.replies, QStringList{QStringLiteral("N")});
        QCOMPARE(int(r.link.lineEnd()), detected);
        r.request(QStringLiteral("?:"));
        QTRY_COMPARE(r.protocol.replies.size(), 2);
        QCOMPARE(r.protocol.replies.at(1), QStringLiteral("OK"));
        r.request(QStringLiteral("CHINF:02"));
        QTRY_COMPARE(r.protocol.replies.size(), 3);
        QCOMPARE(r.protocol.replies.at(2), QStringLiteral("N"));
        QVERIFY(r.protocol.messages.isEmpty());
    }

    // An unplugged adapter: the request goes unanswered, and the next one cannot open the port;
    // both end as a time-out, without a message at the moment of sending.
    void hangUpAndAPortThatCannotBeOpened() {
        Rig r({QStringLiteral("--fault"), QStringLiteral("hangup@2")});
        r.link.setIntervals(200, 100, 50);
        r.request(QStringLiteral("?:"));
        QTRY_COMPARE(r.protocol.replies, QStringList{QStringLiteral("OK")});
        r.request(QStringLiteral("?:"));
        QTRY_COMPARE(r.protocol.messages, QList<int>{4});
        QTRY_COMPARE(r.sim.process().state(), QProcess::NotRunning);
        r.request(QStringLiteral("?:"));
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.port.lastError().isEmpty());
        QCOMPARE(r.protocol.messages, QList<int>{4});
        QTRY_COMPARE(r.protocol.messages, (QList<int>{4, 4}));
    }
};

QTEST_GUILESS_MAIN(TestLinkSim)
#include "test_link_sim.moc"
