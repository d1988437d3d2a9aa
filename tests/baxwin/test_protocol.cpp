#include "baxwin/paramlink.h"
#include "baxwin/paramtransfer.h"
#include "fakeport.h"
#include "shared/inifile.h"

#include "../support/recordingpresenter.h"
#include "../support/testenv.h"

#include <QMap>
#include <QTest>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}
QString waitText(const char* key) {
    return langFile().GetINIStr(QStringLiteral("frmWait"), QLatin1String(key));
}

// Parameters 1 and 8 per axis, 37 unused, 53 and 60 common.
ParDefs smallDefs() {
    ParDefs d;
    for (int n : {1, 8, 37, 53, 60}) {
        d[n].used = n == 37 ? 0 : 1;
        d[n].kind = n >= 50 ? 1 : 0;
    }
    d.axisParCount = 2;
    d.commonParCount = 2;
    return d;
}

// A controller with 2 or 3 axes that answers reads from its own values and takes writes.
struct Controller {
    int axes = 3;
    QMap<int, QStringList> values; // per-axis: one per axis; common: one
    QStringList written;
    // request -> reply overriding the normal answer (null text: no reply)
    QMap<QString, QString> overrides;
    bool flashStored = false;

    QString answer(const QString& req) {
        if (overrides.contains(req))
            return overrides.value(req);
        if (req == QLatin1String("?:"))
            return QStringLiteral("OK\r\n");
        if (req == QLatin1String("X:1"))
            return QStringLiteral("OK\r\n");
        if (req == QLatin1String("F:")) {
            flashStored = true;
            return QStringLiteral("OK\r\n");
        }
        if (req.startsWith(QLatin1String("P:")) && req.endsWith(QLatin1Char('R'))) {
            const int n = req.mid(2, 2).toInt();
            QStringList v = values.value(n, QStringList{QStringLiteral("0")});
            if (n == 53)
                return v.join(QLatin1Char(',')) + QStringLiteral("\r\n");
            if (v.size() > 1 && axes == 3)
                v.append(QStringLiteral("0")); // a three-axis controller adds a fourth field
            if (v.size() > 1 && axes == 2)
                v = v.mid(0, 2);
            return v.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
        if (req.startsWith(QLatin1String("P:"))) {
            written.append(req);
            return QStringLiteral("OK\r\n");
        }
        return QStringLiteral("!1\r\n");
    }
};

class Recorder : public TransferView, public ReadReceiver {
public:
    void transferChanged(const TransferState& s) override {
        last = s;
        maxProgressSeen = qMax(maxProgressSeen, s.progress);
        if (s.progress > s.progressMax)
            overRange = true;
        if (s.busy && s.romEnabled)
            romWhileBusy = true;
    }
    void closeTransfer() override { ++closed; }
    void GetCtrlData(const ParValueTable& t) override {
        received = t;
        ++receivedCount;
    }
    void setButtonsEnabled(bool e) override { buttonsEnabled = e; }

    TransferState last;
    int maxProgressSeen = 0;
    bool overRange = false;
    bool romWhileBusy = false;
    int closed = 0;
    ParValueTable received;
    int receivedCount = 0;
    bool buttonsEnabled = false;
};

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void readSequence_data();
    void readSequence();
    void writeAndFlashStore_data();
    void writeAndFlashStore();
    void failures_data();
    void failures();
    void undecodableReply_data();
    void undecodableReply();
    void flashStoreOtherReplyIsSilent();
    void abortKeepsEditorValues();
    void frameCloseWhileBusy();
    void flashStoreDisabledWhileWriting();
    void writeCompletedIsKept_data();
    void writeCompletedIsKept();
    void readForACompare_data();
    void readForACompare();
    void progressStaysInRange();
    void linesSplitAtCr();
    void portThatCannotOpen();

private:
    void open(int mode);
    void run() {
        while (m_port->pump() > 0) {
        }
    }

    ScratchAppDir* m_app = nullptr;
    RecordingPresenter* m_rec = nullptr;
    FakePort* m_port = nullptr;
    FakeTimer* m_timer = nullptr;
    ParamLink* m_link = nullptr;
    ParDefs m_defs;
    ParamTransfer* m_transfer = nullptr;
    Recorder* m_view = nullptr;
    Controller m_ctl;
};

void TestProtocol::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    m_rec = new RecordingPresenter;
    m_port = new FakePort;
    m_timer = new FakeTimer;
    m_link = new ParamLink(*m_port, *m_timer);
    m_link->setWakeDelay(0);
    m_defs = smallDefs();
    m_transfer = new ParamTransfer(*m_link, m_defs);
    m_view = new Recorder;
    m_transfer->setView(m_view);
    m_transfer->setReceiver(m_view);
    m_ctl = Controller();
    m_ctl.values[1] = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")};
    m_ctl.values[8] =
        QStringList{QStringLiteral("10000"), QStringLiteral("+2000"), QStringLiteral("3000")};
    m_ctl.values[53] = QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2"),
                                   QStringLiteral("1")};
    m_ctl.values[60] = QStringList{QStringLiteral("012")};
    m_port->responder = [this](const QString& r) { return m_ctl.answer(r); };
}

void TestProtocol::cleanup() {
    delete m_transfer;
    delete m_view;
    delete m_link;
    delete m_timer;
    delete m_port;
    delete m_rec;
    delete m_app;
}

void TestProtocol::open(int mode) {
    m_transfer->prepare(mode);
    m_port->sent.clear();
    m_port->pump(); // the answer to the wake-up goes nowhere
    QVERIFY(!m_link->isWaiting());
}

void TestProtocol::readSequence_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QStringList>("axis8");
    QTest::newRow("three axes") << 3
                                << QStringList{QStringLiteral("10000"), QStringLiteral("2000"),
                                               QStringLiteral("3000")};
    QTest::newRow("two axes") << 2
                              << QStringList{QStringLiteral("10000"), QStringLiteral("2000"),
                                             QStringLiteral("*unread*")};
}

void TestProtocol::readSequence() {
    QFETCH(int, axes);
    QFETCH(QStringList, axis8);
    m_ctl.axes = axes;
    m_transfer->prepare(0);
    QCOMPARE(m_port->sent, QStringList{QStringLiteral("?:")});
    QCOMPARE(m_view->last.title, waitText("Title001"));
    QVERIFY(!m_view->last.romVisible);
    QCOMPARE(m_view->last.progressMax, 4);
    m_port->sent.clear();
    m_port->pump();

    m_transfer->cmdDo();
    QCOMPARE(m_view->last.status, waitText("Mes002"));
    QVERIFY(m_view->last.stopEnabled);
    QVERIFY(!m_view->last.doEnabled);
    QVERIFY(!m_view->last.closeEnabled);
    run();
    // Parameter 37 is not used and is skipped.
    QCOMPARE(m_port->sent,
             (QStringList{QStringLiteral("P:01R"), QStringLiteral("P:01R"), QStringLiteral("P:08R"),
                          QStringLiteral("P:53R"), QStringLiteral("P:60R")}));
    QCOMPARE(m_link->axisCount(), axes);
    QCOMPARE(m_view->receivedCount, 1);
    QVERIFY(m_view->buttonsEnabled);
    QCOMPARE(m_view->closed, 1);
    QCOMPARE(m_view->maxProgressSeen, 4);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::ReadDone);
    const ParValueTable& t = m_view->received;
    for (int a = 1; a <= 3; ++a)
        QCOMPARE(t.at(8, a),
                 axis8[a - 1] == QLatin1String("*unread*") ? waitText("Mes001") : axis8[a - 1]);
    QCOMPARE(t.at(53, 1), QStringLiteral("3121"));
    QCOMPARE(t.at(60, 1), QStringLiteral("12"));
    QCOMPARE(t.at(60, 3), axes == 3 ? QStringLiteral("12") : waitText("Mes001"));
    QCOMPARE(t.at(37, 1), waitText("Mes001"));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes021"));
    QVERIFY(!m_timer->running);
    QVERIFY(!m_port->isOpen());
    QVERIFY(m_timer->intervals.count(3000) == m_timer->intervals.size());
}

void TestProtocol::writeAndFlashStore_data() {
    QTest::addColumn<QString>("probeReply");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("three axes") << "1,2,0,0"
                                << QStringList{QStringLiteral("P:01A5B6C7"),
                                               QStringLiteral("P:08A100B200C300"),
                                               QStringLiteral("P:53,0,1,0,1"),
                                               QStringLiteral("P:60,1")};
    QTest::newRow("two axes") << "1,2"
                              << QStringList{
                                     QStringLiteral("P:01A5B6"), QStringLiteral("P:08A100B200"),
                                     QStringLiteral("P:53,0,1,0,1"), QStringLiteral("P:60,1")};
}

void TestProtocol::writeAndFlashStore() {
    QFETCH(QString, probeReply);
    QFETCH(QStringList, writes);
    m_ctl.overrides[QStringLiteral("P:01R")] = probeReply + QStringLiteral("\r\n");
    ParValueTable t;
    const char* v1[] = {"5", "6", "7"};
    const char* v8[] = {"100", "200", "300"};
    for (int a = 1; a <= 3; ++a) {
        t.at(1, a) = QLatin1String(v1[a - 1]);
        t.at(8, a) = QLatin1String(v8[a - 1]);
    }
    t.at(53, 1) = QStringLiteral("0101");
    t.at(60, 1) = QStringLiteral("1");
    m_transfer->GetGridData(t);
    open(1);
    QCOMPARE(m_view->last.title, waitText("Title002"));
    QVERIFY(m_view->last.romVisible);
    QVERIFY(!m_view->last.romEnabled);

    m_transfer->cmdDo();
    QCOMPARE(m_view->last.status, waitText("Mes003"));
    run();
    QCOMPARE(m_port->sent, (QStringList{QStringLiteral("P:01R"), QStringLiteral("X:1")} + writes));
    QCOMPARE(m_ctl.written, writes);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::WriteDone);
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes008"));
    QVERIFY(m_view->last.romEnabled);
    QVERIFY(m_view->last.doEnabled);
    QCOMPARE(m_view->last.progress, 0);
    QCOMPARE(m_view->closed, 0);
    QCOMPARE(m_view->receivedCount, 0);

    m_port->sent.clear();
    m_transfer->cmdROM();
    QCOMPARE(m_port->sent, QStringList{QStringLiteral("F:")});
    QCOMPARE(m_timer->interval(), 10000);
    QVERIFY(!m_view->last.dialogEnabled);
    QCOMPARE(m_view->last.status, waitText("Mes004"));
    run();
    QVERIFY(m_ctl.flashStored);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::FlashDone);
    QVERIFY(m_view->last.dialogEnabled);
    QVERIFY(!m_view->last.romEnabled);
    QCOMPARE(m_view->closed, 1);
    QCOMPARE(m_rec->shown().last().text, msg("Mes022"));
}

void TestProtocol::failures_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("request"); // the request that fails
    QTest::addColumn<QString>("reply");   // null: no reply at all
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("sentCount"); // requests sent up to and including the failing one
    const QString none;
    QTest::newRow("read: error at probe") << 0 << "P:01R"
                                          << "!0\r\n"
                                          << "Mes009" << 1;
    QTest::newRow("read: no reply at probe") << 0 << "P:01R" << none << "Mes006" << 1;
    QTest::newRow("read: error in the middle") << 0 << "P:53R"
                                               << "!\r\n"
                                               << "Mes018" << 4;
    QTest::newRow("read: no reply in the middle") << 0 << "P:53R" << none << "Mes006" << 4;
    QTest::newRow("write: error at X:1") << 1 << "X:1"
                                         << "!4\r\n"
                                         << "Mes013" << 2;
    QTest::newRow("write: no reply at X:1") << 1 << "X:1" << none << "Mes006" << 2;
    QTest::newRow("write: error in the middle") << 1 << "P:08A0B0C0"
                                                << "!8\r\n"
                                                << "Mes017" << 4;
    QTest::newRow("write: no reply in the middle") << 1 << "P:08A0B0C0" << none << "Mes006" << 4;
}

void TestProtocol::failures() {
    QFETCH(int, mode);
    QFETCH(QString, request);
    QFETCH(QString, reply);
    QFETCH(QString, key);
    QFETCH(int, sentCount);
    ParValueTable t;
    t.fill(QStringLiteral("0"));
    m_transfer->GetGridData(t);
    m_ctl.overrides[request] = reply;
    // The probe of the read is sent twice; fail only the first.
    bool first = true;
    m_port->responder = [&](const QString& r) {
        if (r == request && (first || mode == 1)) {
            first = false;
            return reply;
        }
        m_ctl.overrides.remove(request);
        return m_ctl.answer(r);
    };
    open(mode);
    m_transfer->cmdDo();
    run();
    QCOMPARE(m_port->sent.size(), sentCount);
    QCOMPARE(m_port->sent.last(), request);
    if (reply.isNull()) {
        QVERIFY(m_timer->running);
        QCOMPARE(m_timer->interval(), 3000);
        m_link->onReplyTimer();
    }
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg(qPrintable(key)));
    QCOMPARE(m_rec->shown()[0].icon, MsgIcon::Critical);
    QVERIFY(m_rec->shown()[0].title.isEmpty());
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);
    QVERIFY(m_view->last.doEnabled);
    QVERIFY(m_view->last.closeEnabled);
    QVERIFY(!m_view->last.stopEnabled);
    QVERIFY(!m_view->last.romEnabled);
    QCOMPARE(m_view->last.progress, 0);
    QVERIFY(m_view->last.status.isEmpty());
    QVERIFY(!m_link->isWaiting());
    QVERIFY(!m_timer->running);
    QVERIFY(!m_port->isOpen());
    QCOMPARE(m_view->receivedCount, 0);
    QCOMPARE(m_view->closed, 0);
    run();
    QCOMPARE(m_port->sent.size(), sentCount);
}

void TestProtocol::undecodableReply_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("reply");
    QTest::newRow("per-axis reply with one field") << "P:08R"
                                                   << "500\r\n";
    QTest::newRow("53 reply with three fields") << "P:53R"
                                                << "3,1,2\r\n";
}

void TestProtocol::undecodableReply() {
    QFETCH(QString, request);
    QFETCH(QString, reply);
    m_ctl.overrides[request] = reply;
    open(0);
    m_transfer->cmdDo();
    run();
    QCOMPARE(m_port->sent.last(), request);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);
    QCOMPARE(m_view->receivedCount, 0);
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes018"));
    const int n = request.mid(2, 2).toInt();
    for (int a = 1; a <= 3; ++a)
        QCOMPARE(m_transfer->table().at(n, a), waitText("Mes001"));
}

void TestProtocol::flashStoreOtherReplyIsSilent() {
    open(1);
    m_transfer->cmdDo();
    run();
    m_rec->clear();
    m_ctl.overrides[QStringLiteral("F:")] = QStringLiteral("NG\r\n");
    m_transfer->cmdROM();
    run();
    QVERIFY(m_rec->shown().isEmpty());
    QVERIFY(m_view->last.dialogEnabled);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);
    QCOMPARE(m_view->closed, 0);
    QVERIFY(m_view->last.romEnabled); // the write stays done; the store can be tried again

    m_ctl.overrides[QStringLiteral("F:")] = QString();
    m_transfer->cmdROM();
    QCOMPARE(m_timer->interval(), 10000);
    m_link->onReplyTimer();
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes006"));
    QVERIFY(m_view->last.dialogEnabled);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);

    m_ctl.overrides[QStringLiteral("F:")] = QStringLiteral("!7\r\n");
    m_transfer->cmdROM();
    run();
    QCOMPARE(m_rec->shown().last().text, msg("Mes016"));
    QVERIFY(m_view->last.dialogEnabled);
}

void TestProtocol::abortKeepsEditorValues() {
    m_ctl.overrides[QStringLiteral("P:53R")] = QString();
    open(0);
    m_transfer->cmdDo();
    run();
    QCOMPARE(m_port->sent.last(), QStringLiteral("P:53R"));
    m_transfer->cmdStop();
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes023"));
    QCOMPARE(m_rec->shown()[0].icon, MsgIcon::Information);
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Aborted);
    QVERIFY(!m_link->isWaiting());
    QVERIFY(!m_timer->running);
    QCOMPARE(m_view->receivedCount, 0);
    QVERIFY(!m_view->buttonsEnabled);
    // What was read so far stays in the dialog only.
    QCOMPARE(m_transfer->table().at(8, 1), QStringLiteral("10000"));
    // A late reply no longer belongs to anything.
    m_link->receiveText(QStringLiteral("3,1,2,1\r"));
    QCOMPARE(m_view->receivedCount, 0);
    QCOMPARE(m_port->sent.last(), QStringLiteral("P:53R"));
}

void TestProtocol::writeCompletedIsKept_data() {
    QTest::addColumn<QString>("failing"); // the request refused, empty: none
    QTest::addColumn<bool>("completed");
    QTest::newRow("write completed") << "" << true;
    QTest::newRow("refused at X:1") << "X:1" << false;
    QTest::newRow("refused at the last parameter") << "P:60,0" << false;
}

// Whether a write completed since the dialog was prepared: kept through the flash store and
// a failed second write, forgotten by the next prepare.
void TestProtocol::writeCompletedIsKept() {
    QFETCH(QString, failing);
    QFETCH(bool, completed);
    ParValueTable t;
    t.fill(QStringLiteral("0"));
    m_transfer->GetGridData(t);
    if (!failing.isEmpty())
        m_ctl.overrides[failing] = QStringLiteral("!2\r\n");
    open(1);
    QVERIFY(!m_transfer->writeCompleted());
    m_transfer->cmdDo();
    run();
    QCOMPARE(m_transfer->writeCompleted(), completed);
    if (completed) {
        m_transfer->cmdROM();
        run();
        QCOMPARE(m_view->last.outcome, TransferState::Outcome::FlashDone);
        QVERIFY(m_transfer->writeCompleted());
        m_ctl.overrides[QStringLiteral("X:1")] = QStringLiteral("!2\r\n");
        m_transfer->cmdDo();
        run();
        QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);
        QVERIFY(m_transfer->writeCompleted());
    }
    open(1);
    QVERIFY(!m_transfer->writeCompleted());
}

void TestProtocol::readForACompare_data() {
    QTest::addColumn<QString>("failing"); // the request not answered, empty: none
    QTest::newRow("completed") << "";
    QTest::newRow("no reply in the middle") << "P:53R";
}

// A read given to a receiver of its own under a title of its own: the editor's side hears
// nothing, and the receiver has values only when the read completed.
void TestProtocol::readForACompare() {
    QFETCH(QString, failing);
    if (!failing.isEmpty())
        m_ctl.overrides[failing] = QString();
    KeptRead kept;
    m_transfer->setReceiver(&kept);
    open(0);
    m_transfer->setTitle(QStringLiteral("compare"));
    QCOMPARE(m_view->last.title, QStringLiteral("compare"));
    m_transfer->cmdDo();
    run();
    if (!failing.isEmpty())
        m_link->onReplyTimer();
    QCOMPARE(m_view->last.title, QStringLiteral("compare"));
    QCOMPARE(kept.received(), failing.isEmpty());
    QCOMPARE(m_view->receivedCount, 0);
    QVERIFY(!m_view->buttonsEnabled);
    if (kept.received()) {
        QCOMPARE(kept.values().at(8, 2), QStringLiteral("2000"));
        QCOMPARE(kept.values().at(37, 1), ParamTransfer::unreadText());
        QCOMPARE(ParamTransfer::unreadText(), waitText("Mes001"));
    }
    m_transfer->setReceiver(m_view);
}

void TestProtocol::frameCloseWhileBusy() {
    m_ctl.overrides[QStringLiteral("P:08R")] = QString();
    open(0);
    m_transfer->cmdDo();
    run();
    m_transfer->frameClose();
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes023"));
    QCOMPARE(m_view->closed, 1);
    QVERIFY(!m_link->isWaiting());
    QVERIFY(!m_timer->running);

    // Idle: closes without a message.
    m_rec->clear();
    m_transfer->frameClose();
    QVERIFY(m_rec->shown().isEmpty());
    QCOMPARE(m_view->closed, 2);
}

void TestProtocol::flashStoreDisabledWhileWriting() {
    open(1);
    m_transfer->cmdDo();
    run();
    QVERIFY(m_view->last.romEnabled);
    // A second write in the same dialog.
    m_ctl.overrides[QStringLiteral("P:53,,,,")] = QString();
    m_transfer->cmdDo();
    run();
    QVERIFY(m_view->last.busy);
    QVERIFY(!m_view->last.romEnabled);
    QVERIFY(!m_view->romWhileBusy);
    m_port->sent.clear();
    m_transfer->cmdROM(); // refused while a reply is awaited
    QVERIFY(m_port->sent.isEmpty());
    m_link->onReplyTimer();
    QVERIFY(m_view->last.romEnabled); // the earlier write still counts
}

void TestProtocol::progressStaysInRange() {
    m_defs[1].used = 0;
    m_defs.axisParCount = 1;
    open(0);
    QCOMPARE(m_view->last.progressMax, 4); // 8, 53, 60 and parameter 1 all the same
    m_transfer->cmdDo();
    run();
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::ReadDone);
    QCOMPARE(m_view->maxProgressSeen, 4);
    QVERIFY(!m_view->overRange);

    for (int n = 1; n <= MaxParNo; ++n)
        m_defs[n].used = 0;
    open(0);
    m_port->sent.clear();
    m_transfer->cmdDo();
    run();
    QCOMPARE(m_port->sent, (QStringList{QStringLiteral("P:01R"), QStringLiteral("P:01R")}));
    QVERIFY(!m_view->overRange);
}

void TestProtocol::linesSplitAtCr() {
    m_port->responder = nullptr;
    open(0);
    m_transfer->cmdDo();
    QVERIFY(m_link->isWaiting());
    m_port->arrive(QStringLiteral("!"));
    m_port->arrive(QStringLiteral("3"));
    QVERIFY(m_rec->shown().isEmpty());
    m_port->arrive(QStringLiteral("\r\n"));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes012"));

    // Two lines in one chunk: the probe's reply and the first read's, in order.
    m_rec->clear();
    m_port->sent.clear();
    m_transfer->cmdDo();
    m_port->arrive(QStringLiteral("1,2\r\n5,6\r\n"));
    // The probe's reply sent the read of parameter 1, whose request emptied the buffer: the
    // second line of the chunk is not taken as its reply.
    QCOMPARE(m_port->sent.size(), 2);
    QVERIFY(m_link->isWaiting());
    // The LF of the last CR LF arriving after the next request opens the next line; it is not
    // part of the reply.
    m_link->receiveText(QStringLiteral("\n5,6\r"));
    QCOMPARE(m_port->sent.last(), QStringLiteral("P:08R"));
    QCOMPARE(m_transfer->table().at(1, 1), QStringLiteral("5"));
    QCOMPARE(m_transfer->table().at(1, 2), QStringLiteral("6"));
    m_link->receiveText(QStringLiteral("\n!3\r"));
    QCOMPARE(m_rec->shown().last().text, msg("Mes012"));
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);
}

void TestProtocol::portThatCannotOpen() {
    m_port->failOpen = true;
    open(0);
    m_transfer->cmdDo();
    QVERIFY(m_port->sent.isEmpty());
    QVERIFY(m_timer->running);
    m_link->onReplyTimer();
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes006"));
    QCOMPARE(m_view->last.outcome, TransferState::Outcome::Stopped);
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
