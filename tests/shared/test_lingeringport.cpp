#include "shared/lingeringport.h"

#include <QTest>

namespace {

// A device that counts its real openings and holds bytes "received" by the test.
class FakeDevice : public SerialPortService {
public:
    int openings = 0;
    bool failOpen = false;
    int closings = 0;
    QByteArray waiting;
    QByteArray written;
    std::function<void()> handler;

    void setCommPort(int n) override { m_port = n; }
    int commPort() const override { return m_port; }
    void setSettings(const QString& s) override { m_settings = s; }
    QString settings() const override { return m_settings; }
    bool open() override {
        if (m_open || failOpen)
            return false;
        ++openings;
        m_open = true;
        waiting.clear();
        return true;
    }
    void close() override {
        if (m_open)
            ++closings;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override {
        written += bytes;
        return m_open;
    }
    QByteArray readAll() override {
        const QByteArray b = waiting;
        waiting.clear();
        return b;
    }
    void setReceiveNotifications(bool) override {}
    void setReceiveHandler(std::function<void()> h) override { handler = std::move(h); }
    QString lastError() const override { return QString(); }
    void arrive(const QByteArray& bytes) {
        waiting += bytes;
        if (handler)
            handler();
    }

private:
    bool m_open = false;
    int m_port = 1;
    QString m_settings;
};

} // namespace

class TestLingeringPort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void chainKeepsDevice();
    void closedPortReceivesNothing();
    void reopeningDropsWhatCameMeanwhile();
    void otherPortReleasesDevice();
    void newSettingsReleaseDevice();
    void failedOpen();
};

void TestLingeringPort::chainKeepsDevice() {
    FakeDevice dev;
    LingeringPort port(&dev);
    QVERIFY(port.open());
    QVERIFY(!port.open());
    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(port.deviceOpen());
    // The next request of a chain, within the same event.
    QVERIFY(port.open());
    QCOMPARE(dev.openings, 1);
    port.close();
    // Back in the event loop: the device is released.
    QTRY_VERIFY(!port.deviceOpen());
    QCOMPARE(dev.closings, 1);
    QVERIFY(port.open());
    QCOMPARE(dev.openings, 2);
}

void TestLingeringPort::closedPortReceivesNothing() {
    FakeDevice dev;
    LingeringPort port(&dev);
    int notified = 0;
    port.setReceiveHandler([&] { ++notified; });
    QVERIFY(port.open());
    dev.arrive("OK\r\n");
    QCOMPARE(notified, 1);
    QCOMPARE(port.readAll(), QByteArray("OK\r\n"));
    port.close();
    dev.arrive("late\r\n");
    QCOMPARE(notified, 1);
    QCOMPARE(port.readAll(), QByteArray());
    QVERIFY(!port.write("X"));
}

void TestLingeringPort::reopeningDropsWhatCameMeanwhile() {
    FakeDevice dev;
    LingeringPort port(&dev);
    QVERIFY(port.open());
    port.close();
    dev.waiting = "\n"; // the late LF of a CR LF reply
    QVERIFY(port.open());
    QCOMPARE(port.readAll(), QByteArray());
}

void TestLingeringPort::otherPortReleasesDevice() {
    FakeDevice dev;
    LingeringPort port(&dev);
    QVERIFY(port.open());
    port.close();
    port.setCommPort(2);
    QVERIFY(!port.deviceOpen());
    QVERIFY(port.open());
    QCOMPARE(dev.openings, 2);
    QCOMPARE(dev.commPort(), 2);
}

void TestLingeringPort::newSettingsReleaseDevice() {
    FakeDevice dev;
    LingeringPort port(&dev);
    QVERIFY(port.open());
    port.close();
    // New line parameters take effect only at a real opening.
    port.setSettings(QStringLiteral("38400,N,8,1"));
    QVERIFY(!port.deviceOpen());
    QVERIFY(port.open());
    QCOMPARE(dev.openings, 2);
    QCOMPARE(dev.settings(), QStringLiteral("38400,N,8,1"));
}

void TestLingeringPort::failedOpen() {
    FakeDevice dev;
    dev.failOpen = true;
    LingeringPort port(&dev);
    QVERIFY(!port.open());
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write("x"));
}

QTEST_GUILESS_MAIN(TestLingeringPort)
#include "test_lingeringport.moc"
