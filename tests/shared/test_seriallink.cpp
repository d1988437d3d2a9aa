#include "ptypair.h"
#include "testenv.h"

#include "shared/seriallink.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// The protocol layer, the download log, the messages and the main window as the link sees
// them; every call is written to one transcript.
struct Protocol : ReplyDispatcher, PendingRequests, LinkMessenger, TrafficLog, WindowGate {
    SerialLink* link = nullptr;
    QStringList events;
    QString prefix = QStringLiteral("reply:");

    // Like Korvel's dispatcher without a pending flag: end the exchange, check for an error.
    void dispatchReply(const QString& line) override {
        events << prefix + line;
        link->endExchange();
        link->checkReplyError(line);
    }
    void clearPending(bool bUpOpen) override {
        events << QStringLiteral("clearPending:%1").arg(int(bUpOpen));
    }
    void timeoutBeforeMessage() override { events << QStringLiteral("beforeMessage"); }
    void timeoutResetWaiting() override { events << QStringLiteral("resetWaiting"); }
    void timeoutUploadIdle() override { events << QStringLiteral("uploadIdle"); }
    void showLinkMessage(int code) override { events << QStringLiteral("message:%1").arg(code); }
    void putMsg(const QString& sMsg, bool bDir) override {
        events << (bDir ? QStringLiteral("log<") : QStringLiteral("log>")) + sMsg;
    }
    void setNewLine() override { events << QStringLiteral("newLine"); }
    void setMainWindowEnabled(bool bEnabled) override {
        events << QStringLiteral("window:%1").arg(int(bEnabled));
    }
    QStringList replies() const {
        QStringList out;
        for (const QString& e : events)
            if (e.startsWith(QLatin1String("reply:")) || e.startsWith(QLatin1String("upload:")))
                out << e;
        return out;
    }
    QStringList without(const QString& start) const {
        QStringList out;
        for (const QString& e : events)
            if (!e.startsWith(start))
                out << e;
        return out;
    }
};

// One program's link over a pseudo-terminal at COM1; COM2 names a device that does not exist.
struct Rig {
    PtyPair pty;
    ScratchAppDir dir{false};
    QtSerialPort port;
    QTimer replyTimer;
    QTimer crLfTimer;
    QtLinkTimer reply{&replyTimer};
    QtLinkTimer crLf{&crLfTimer};
    SerialLink link{&port, &reply, &crLf};
    Protocol protocol;
    Protocol upload;

    Rig() {
        dir.write(QStringLiteral("ports.cfg"),
                  "COM1=" + pty.path().toLocal8Bit() +
                      "\nCOM2=" + dir.file(QStringLiteral("missing")).toLocal8Bit() + "\n");
        port.setCommPort(1);
        port.setReceiveNotifications(true);
        port.setReceiveHandler([this] { link.onReceive(); });
        QObject::connect(&replyTimer, &QTimer::timeout, [this] { link.onReplyTimer(); });
        QObject::connect(&crLfTimer, &QTimer::timeout, [this] { link.onCrLfTimer(); });
        protocol.link = &link;
        upload.link = &link;
        upload.prefix = QStringLiteral("upload:");
        link.setDispatcher(&protocol);
        link.setUploadDispatcher(&upload);
        link.setPendingRequests(&protocol);
        link.setMessenger(&protocol);
        link.setWindowGate(&protocol);
        link.setDownloadLog(&protocol);
        // Long enough not to expire in the tests that expect a reply.
        link.setIntervals(5000, 40, 30);
    }

    // A request with the reply timer armed, as every sender does.
    void request(const QString& text) {
        link.sendText(text + LineEnds::CRLF);
        link.setReplyTimer(true);
    }

    void sendBytewise(const QByteArray& bytes) {
        for (char c : bytes) {
            pty.send(QByteArray(1, c));
            QTest::qWait(3);
        }
    }
};

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv("KORVEL_PORTS_CFG"); }

    void requestAndReply() {
        Rig r;
        QVERIFY(r.pty.isValid());
        r.request(QStringLiteral("CHINF:01"));
        QVERIFY(r.port.isOpen());
        QVERIFY(r.reply.isActive());
        QCOMPARE(r.pty.waitForRequest(), QByteArray("CHINF:01\r\n"));
        r.pty.send("L 12\r");
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:L 12")});
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.reply.isActive());
        QCOMPARE(r.protocol.events,
                 (QStringList{QStringLiteral("reply:L 12"), QStringLiteral("clearPending:0")}));
    }

    // Characters of an earlier exchange never reach the next one: each request opens the port
    // afresh and empties the receive buffer.
    void staleCharactersAreDropped() {
        Rig r;
        r.request(QStringLiteral("?:"));
        r.pty.waitForRequest();
        r.pty.send("half a line");
        QTRY_COMPARE(r.link.rxBuffer(), QStringLiteral("half a line"));
        r.link.endExchange();
        r.pty.send("sent while closed\r");
        QTest::qWait(20);
        r.request(QStringLiteral("CHINF:02"));
        QCOMPARE(r.pty.waitForRequest(), QByteArray("CHINF:02\r\n"));
        QVERIFY(r.link.rxBuffer().isEmpty());
        r.pty.send("E 3\r");
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:E 3")});
    }

    void errorReplies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("code");
        QTest::newRow("! alone") << QByteArray("!") << 16;
        QTest::newRow("!0") << QByteArray("!0") << 7;
        QTest::newRow("!1") << QByteArray("!1") << 8;
        QTest::newRow("!4") << QByteArray("!4") << 11;
        QTest::newRow("!8") << QByteArray("!8") << 15;
        QTest::newRow("!9 is the other error") << QByteArray("!9") << 16;
        QTest::newRow("! and a letter") << QByteArray("!x") << 16;
        QTest::newRow("! and two more is no error") << QByteArray("!12") << 0;
        QTest::newRow("ordinary reply") << QByteArray("OK") << 0;
        QTest::newRow("empty line") << QByteArray() << 0;
    }

    void errorReplies() {
        QFETCH(QByteArray, reply);
        QFETCH(int, code);
        Rig r;
        r.request(QStringLiteral("LOAD:05"));
        r.pty.waitForRequest();
        // The error arrives in pieces: it is judged once, as a whole.
        r.sendBytewise(reply);
        r.pty.send("\r");
        QTRY_COMPARE(r.protocol.replies().size(), 1);
        QCOMPARE(r.protocol.replies().first(),
                 QStringLiteral("reply:") + QString::fromLatin1(reply));
        const QStringList messages =
            r.protocol.without(QStringLiteral("reply:")).filter(QStringLiteral("message:"));
        if (code == 0)
            QVERIFY(messages.isEmpty());
        else
            QCOMPARE(messages, QStringList{QStringLiteral("message:%1").arg(code)});
        QCOMPARE(replyErrorCode(QString::fromLatin1(reply)), code);
    }

    void messageKeys() {
        QCOMPARE(linkMessageKey(4), QStringLiteral("Mes006"));
        QCOMPARE(linkMessageKey(7), QStringLiteral("Mes009"));
        QCOMPARE(linkMessageKey(16), QStringLiteral("Mes018"));
        QCOMPARE(linkMessageKey(5), QString());
    }

    void timeOut_data() {
        QTest::addColumn<bool>("upOpen");
        QTest::addColumn<bool>("downOpen");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("main dialogs")
            << false << false
            << QStringList{QStringLiteral("beforeMessage"), QStringLiteral("message:4"),
                           QStringLiteral("resetWaiting"), QStringLiteral("clearPending:0")};
        QTest::newRow("download dialog open")
            << false << true
            << QStringList{QStringLiteral("log>CHINF:01\r\n"), QStringLiteral("beforeMessage"),
                           QStringLiteral("message:4"),        QStringLiteral("newLine"),
                           QStringLiteral("resetWaiting"),     QStringLiteral("clearPending:0"),
                           QStringLiteral("newLine")};
        QTest::newRow("upload dialog open")
            << true << false
            << QStringList{QStringLiteral("beforeMessage"), QStringLiteral("message:4"),
                           QStringLiteral("resetWaiting"), QStringLiteral("clearPending:1"),
                           QStringLiteral("uploadIdle")};
    }

    void timeOut() {
        QFETCH(bool, upOpen);
        QFETCH(bool, downOpen);
        QFETCH(QStringList, expected);
        Rig r;
        r.link.setIntervals(60, 40, 30);
        r.link.setUpOpen(upOpen);
        r.link.setDownOpen(downOpen);
        r.request(QStringLiteral("CHINF:01"));
        QCOMPARE(r.reply.interval(), 60);
        QTRY_COMPARE(r.protocol.events, expected);
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.reply.isActive());
        // One arming fires once.
        QTest::qWait(150);
        QCOMPARE(r.protocol.events, expected);
    }

    void portThatCannotBeOpened() {
        Rig r;
        r.link.setIntervals(60, 40, 30);
        r.port.setCommPort(2);
        r.link.setDownOpen(true);
        r.request(QStringLiteral("?:"));
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.port.lastError().isEmpty());
        QVERIFY(r.protocol.events.isEmpty()); // nothing shown, nothing logged at once
        QTRY_VERIFY(r.protocol.events.contains(QStringLiteral("message:4")));
        QVERIFY(r.pty.take().isEmpty());
    }

    void portHeldByAnotherProgram() {
        Rig r;
        r.link.setIntervals(60, 40, 30);
        QtSerialPort other;
        other.setCommPort(1);
        QVERIFY(other.open());
        r.request(QStringLiteral("?:"));
        QVERIFY(!r.port.isOpen());
        QVERIFY(r.protocol.events.isEmpty());
        QTRY_VERIFY(r.protocol.events.contains(QStringLiteral("message:4")));
        other.close();
        r.request(QStringLiteral("?:"));
        QVERIFY(r.port.isOpen());
    }

    void lineEndDetection_data() {
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<bool>("bytewise");
        QTest::addColumn<int>("lineEnd");
        for (bool bytewise : {false, true}) {
            const char* how = bytewise ? "single bytes" : "whole";
            QTest::addRow("CR, %s", how) << QByteArray("\r") << bytewise << 0;
            QTest::addRow("LF, %s", how) << QByteArray("\n") << bytewise << 1;
            QTest::addRow("CR LF, %s", how) << QByteArray("\r\n") << bytewise << 2;
        }
    }

    void lineEndDetection() {
        QFETCH(QByteArray, end);
        QFETCH(bool, bytewise);
        QFETCH(int, lineEnd);
        Rig r;
        r.link.setRxState(LineSplitter::Armed);
        r.request(QStringLiteral("CHINF:01"));
        r.pty.waitForRequest();
        const QByteArray first = "L 12" + end;
        if (bytewise)
            r.sendBytewise(first);
        else
            r.pty.send(first);
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:L 12")});
        QCOMPARE(int(r.link.rxState()), int(LineSplitter::Detected));
        QCOMPARE(int(r.link.lineEnd()), lineEnd);
        QVERIFY(!r.crLf.isActive());

        // Later replies split with the detected line end at once, and end to end.
        r.request(QStringLiteral("CHINF:02"));
        r.pty.waitForRequest();
        const QByteArray second = "!" + end;
        if (bytewise)
            r.sendBytewise(second);
        else
            r.pty.send(second);
        QTRY_COMPARE(r.protocol.replies().size(), 2);
        QCOMPARE(r.protocol.replies().at(1), QStringLiteral("reply:!"));
        QVERIFY(r.protocol.events.contains(QStringLiteral("message:16")));
        QVERIFY(r.link.rxBuffer().isEmpty());
    }

    void detectionHoldsTheLineForTheTimer() {
        Rig r;
        r.link.setIntervals(5000, 400, 30);
        r.link.setRxState(LineSplitter::Armed);
        r.request(QStringLiteral("CHINF:01"));
        r.pty.waitForRequest();
        r.pty.send("N\r");
        QTRY_VERIFY(r.crLf.isActive());
        QCOMPARE(int(r.link.rxState()), int(LineSplitter::Waiting));
        QVERIFY(r.protocol.replies().isEmpty());
        r.pty.send("\n");
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:N")});
        QCOMPARE(int(r.link.lineEnd()), int(LineSplitter::EndCrLf));
    }

    void unarmedCrLfControllerSplitsAtCr() {
        Rig r;
        r.request(QStringLiteral("CHINF:01"));
        r.pty.waitForRequest();
        r.pty.send("L 3\r\n");
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:L 3")});
        QTRY_COMPARE(r.link.rxBuffer(), QStringLiteral("\n"));
        r.request(QStringLiteral("CHINF:02"));
        QVERIFY(r.link.rxBuffer().isEmpty());
        r.pty.waitForRequest();
        r.pty.send("N\r\n");
        QTRY_COMPARE(r.protocol.replies().size(), 2);
        QCOMPARE(r.protocol.replies().at(1), QStringLiteral("reply:N"));
    }

    void echoWhileTheDownloadDialogIsOpen() {
        Rig r;
        r.link.setDownOpen(true);
        r.request(QStringLiteral("LOAD:01"));
        r.pty.waitForRequest();
        r.pty.send("OK\r");
        QTRY_VERIFY(r.protocol.events.contains(QStringLiteral("reply:OK")));
        QCOMPARE(r.protocol.events,
                 (QStringList{QStringLiteral("log>LOAD:01\r\n"), QStringLiteral("log<OK\r"),
                              QStringLiteral("reply:OK"), QStringLiteral("clearPending:0"),
                              QStringLiteral("newLine")}));
        r.protocol.events.clear();
        r.link.setDownOpen(false);
        r.request(QStringLiteral("LOAD:02"));
        r.pty.waitForRequest();
        r.pty.send("OK\r");
        QTRY_COMPARE(r.protocol.events,
                     (QStringList{QStringLiteral("reply:OK"), QStringLiteral("clearPending:0")}));
    }

    void upOpenRoutesToTheUploadDispatcher() {
        Rig r;
        r.link.setUpOpen(true);
        r.request(QStringLiteral("UPLOAD:01"));
        r.pty.waitForRequest();
        r.pty.send("0000 AGO:A+00001000\r");
        QTRY_COMPARE(r.upload.replies(), QStringList{QStringLiteral("upload:0000 AGO:A+00001000")});
        QVERIFY(r.protocol.replies().isEmpty());
    }

    // The wake-up sends "?:", keeps events running for its wait with the main window disabled
    // and never hands the answer on.
    void wakeController() {
        Rig r;
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(2);
        r.link.setIntervals(5000, 40, 80);
        QTimer::singleShot(20, [&r] {
            r.protocol.events << QStringLiteral("controller answers");
            QCOMPARE(r.pty.take(), QByteArray("?:\r\n"));
            r.pty.send("OK\r");
        });
        r.link.wakeController();
        QVERIFY(ticks > 0);
        QVERIFY(r.port.isOpen());
        QVERIFY(!r.reply.isActive());
        QTest::qWait(50);
        QCOMPARE(r.protocol.events,
                 (QStringList{QStringLiteral("window:0"), QStringLiteral("controller answers"),
                              QStringLiteral("window:1")}));
        // The next request reopens the port and gets only its own reply.
        r.request(QStringLiteral("CHINF:01"));
        QCOMPARE(r.pty.waitForRequest(), QByteArray("CHINF:01\r\n"));
        r.pty.send("T 9\r");
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:T 9")});
    }

    // Baxwin's use: its own time-out handling and reply interval per request, no log, lines
    // split at CR for the whole run.
    void baxwinVariant() {
        Rig r;
        r.link.setDownloadLog(nullptr);
        r.link.setUploadDispatcher(nullptr);
        r.link.setMessenger(nullptr);
        QStringList timeouts;
        r.link.setReplyTimeoutHandler([&] {
            timeouts << QStringLiteral("own time-out");
            r.link.endExchange();
        });
        r.link.sendText(QStringLiteral("P:01R\r\n"));
        r.link.setReplyTimer(true, 70);
        QCOMPARE(r.reply.interval(), 70);
        QCOMPARE(r.pty.waitForRequest(), QByteArray("P:01R\r\n"));
        r.pty.send("10,20,30,0\r\n");
        QTRY_COMPARE(r.protocol.replies(), QStringList{QStringLiteral("reply:10,20,30,0")});
        r.link.sendText(QStringLiteral("F:\r\n"));
        r.link.setReplyTimer(true, 70);
        QTRY_COMPARE(timeouts, QStringList{QStringLiteral("own time-out")});
        QVERIFY(!r.protocol.events.contains(QStringLiteral("beforeMessage")));
        QVERIFY(!r.port.isOpen());
        QCOMPARE(int(r.link.rxState()), int(LineSplitter::NotArmed));
    }

    void stopTimers() {
        Rig r;
        r.link.setReplyTimer(true);
        r.link.setCrLfTimer(true);
        QCOMPARE(r.crLf.interval(), 40);
        r.link.stopTimers();
        QVERIFY(!r.reply.isActive());
        QVERIFY(!r.crLf.isActive());
        r.link.setReplyTimer(true, 10000);
        QCOMPARE(r.reply.interval(), 10000);
        r.link.setReplyTimer(false);
        QVERIFY(!r.reply.isActive());
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_seriallink.moc"
