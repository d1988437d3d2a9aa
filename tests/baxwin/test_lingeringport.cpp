#include "baxwin/ui/lingeringport.h"
#include "fakeport.h"

#include <QTest>

class TestLingeringPort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reopenWithinOneEventKeepsTheDevice();
    void releasedBackInTheEventLoop();
    void closedPortReceivesNothing();
    void otherPortReleasesAtOnce();
    void failedOpen();
};

// End of one exchange and start of the next in the same event: one real opening.
void TestLingeringPort::reopenWithinOneEventKeepsTheDevice() {
    FakePort device;
    LingeringPort port(device);
    QVERIFY(port.open());
    QVERIFY(!port.open()); // already open
    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(port.deviceOpen());
    device.arrive(QStringLiteral("\n")); // late LF of the last reply
    QVERIFY(port.open());
    QCOMPARE(device.opens, 1);
    QVERIFY(port.readAll().isEmpty()); // what came while closed is gone
    QVERIFY(port.write("P:01R\r\n"));
    QCOMPARE(device.sent, QStringList{QStringLiteral("P:01R")});
}

void TestLingeringPort::releasedBackInTheEventLoop() {
    FakePort device;
    LingeringPort port(device);
    QVERIFY(port.open());
    port.close();
    QVERIFY(device.isOpen());
    QTRY_VERIFY(!device.isOpen());
    QVERIFY(!port.write("x"));
    QVERIFY(port.open());
    QCOMPARE(device.opens, 2);
}

void TestLingeringPort::closedPortReceivesNothing() {
    FakePort device;
    LingeringPort port(device);
    int notified = 0;
    port.setReceiveHandler([&notified] { ++notified; });
    QVERIFY(port.open());
    device.arrive(QStringLiteral("OK"));
    QCOMPARE(notified, 1);
    QCOMPARE(port.readAll(), QByteArray("OK"));
    port.close();
    device.arrive(QStringLiteral("late"));
    QCOMPARE(notified, 1);
    QVERIFY(port.readAll().isEmpty());
}

void TestLingeringPort::otherPortReleasesAtOnce() {
    FakePort device;
    LingeringPort port(device);
    port.setCommPort(1);
    QVERIFY(port.open());
    port.close();
    port.setCommPort(2);
    QVERIFY(!device.isOpen());
    QCOMPARE(port.commPort(), 2);
}

void TestLingeringPort::failedOpen() {
    FakePort device;
    device.failOpen = true;
    LingeringPort port(device);
    QVERIFY(!port.open());
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write("x"));
}

QTEST_GUILESS_MAIN(TestLingeringPort)
#include "test_lingeringport.moc"
