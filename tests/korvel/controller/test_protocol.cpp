#include "korvel/controller/protocol.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/model/uploadbuffer.h"
#include "linkfakes.h"
#include "shared/inifile.h"
#include "testenv.h"

#include <QTest>
#include <memory>
#include <vector>

namespace {

// Everything the protocol does, as one transcript: "> text" for a line written to the port,
// "< text" for a reply fed to the link, and the calls into the dialogs and message boxes.
class Transcript : public QuietPort,
                   public DownloadView,
                   public ExecuteView,
                   public UploadView,
                   public WaitView,
                   public ProtocolMessenger,
                   public LinkMessenger,
                   public ProgramWindowMaker {
public:
    QStringList events;
    int channel = 1;
    std::vector<std::unique_ptr<ProgramDoc>> docs;

    // SerialPortService
    bool write(const QByteArray& bytes) override {
        QString text = QString::fromLatin1(bytes);
        if (text.endsWith(QLatin1String("\r\n")))
            text.chop(2);
        else
            text += QStringLiteral("[no CR LF]");
        events << QStringLiteral("> ") + text;
        return true;
    }
    // DownloadView
    void dispChInf(const QString& sMsg) override { events << QStringLiteral("chinf ") + sMsg; }
    void comWait(bool bSw, int iMode) override {
        events << QStringLiteral("down %1 %2").arg(bSw ? u"busy" : u"idle").arg(iMode);
    }
    void setProgressbar(int iNum) override { events << QStringLiteral("progress %1").arg(iNum); }
    // ExecuteView (dispChInf shared)
    void comWait(bool bSw) override {
        events << QStringLiteral("exe %1").arg(bSw ? u"busy" : u"idle");
    }
    int selectedChannel() const override { return channel; }
    // UploadView
    void DispStatus(const QString& sMsg) override { events << QStringLiteral("status ") + sMsg; }
    void SetEnabled(bool blnSw) override {
        events << QStringLiteral("up %1").arg(blnSw ? u"busy" : u"idle");
    }
    void Plus1Progress() override { events << QStringLiteral("plus1"); }
    void unloadDialog() override { events << QStringLiteral("unload"); }
    // WaitView
    void closeWait() override { events << QStringLiteral("close wait"); }
    // Messages
    void showMessage(int code) override { events << QStringLiteral("message %1").arg(code); }
    void showInformation(const QString& key) override { events << QStringLiteral("info ") + key; }
    void showVerification(const VerifyResult& r) override {
        events << QStringLiteral("verify %1 %2 %3|%4")
                      .arg(int(r.kind))
                      .arg(r.step)
                      .arg(r.sent, r.readBack);
    }
    void showLinkMessage(int code) override { events << QStringLiteral("message %1").arg(code); }
    // ProgramWindowMaker
    ProgramDoc* makeNewForm(int iAxisNum) override {
        docs.push_back(std::make_unique<ProgramDoc>(RunConfig::maxSteps()));
        docs.back()->setAxis(iAxisNum);
        events << QStringLiteral("new window %1").arg(iAxisNum);
        return docs.back().get();
    }
    void discardForm(ProgramDoc*) override {}
};

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void chains_data();
    void chains();
    void modesSurviveAndDownloadResetsThem();
    void stopDownloadEndsAtOnce();
    void uploadWindow();
    void uploadStopThenReply();
    void classify_data();
    void classify();
    void statusText_data();
    void statusText();

private:
    // Runs an operation, then walks the script: "< x" feeds a reply, "timeout" lets the reply
    // timer expire, everything else is the next expected event.
    void run(const QString& operation, const QStringList& script);

    std::unique_ptr<ScratchAppDir> m_app;
    std::unique_ptr<Transcript> m_t;
    std::unique_ptr<ManualTimer> m_reply;
    std::unique_ptr<ManualTimer> m_crLf;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<KorvelProtocol> m_p;
    std::unique_ptr<ProgramDoc> m_doc;
    UploadBuffer m_buffer;
};

void TestProtocol::initTestCase() {
    m_app = englishType2App();
}

void TestProtocol::init() {
    m_t = std::make_unique<Transcript>();
    m_reply = std::make_unique<ManualTimer>();
    m_crLf = std::make_unique<ManualTimer>();
    m_link = std::make_unique<SerialLink>(m_t.get(), m_reply.get(), m_crLf.get());
    m_link->setMessenger(m_t.get());
    m_p = std::make_unique<KorvelProtocol>(m_link.get());
    m_p->attach();
    m_p->setDownloadView(m_t.get());
    m_p->setExecuteView(m_t.get());
    m_p->setUploadView(m_t.get());
    m_p->setWaitView(m_t.get());
    m_p->setMessenger(m_t.get());
    m_p->setUploadBuffer(&m_buffer);
    m_p->setWindowMaker(m_t.get());
    m_doc = std::make_unique<ProgramDoc>(RunConfig::maxSteps());
    m_doc->setAxis(2);
    const QStringList steps{QStringLiteral("1:100"), QStringLiteral("16:5"),
                            QStringLiteral("7:-3")};
    for (int s = 1; s <= steps.size(); ++s) {
        const QStringList parts = steps[s - 1].split(QLatin1Char(':'));
        const int cmd = parts[0].toInt();
        ValueArray v = defaultValues(cmd);
        v[0] = parts[0];
        v[1] = parts[1];
        m_doc->applyCellEdit(1, s, cmd, v);
        m_doc->fillSteps(s);
    }
    QCOMPARE(m_doc->getStep(), 3);
    m_p->setProgram(m_doc.get());
}

void TestProtocol::run(const QString& operation, const QStringList& script) {
    const QStringList op = operation.split(QLatin1Char(' '));
    const int arg = op.value(1).toInt();
    if (op[0] == QLatin1String("download"))
        m_p->startDownload(arg);
    else if (op[0] == QLatin1String("chinf-down"))
        m_p->sendChInfDown(arg);
    else if (op[0] == QLatin1String("chinf-exe"))
        m_p->sendChInfExe(arg);
    else if (op[0] == QLatin1String("chinf-up")) {
        m_link->setUpOpen(true);
        m_p->sendChInfUp(arg);
    } else if (op[0] == QLatin1String("start")) {
        m_t->channel = arg;
        m_p->startExecute();
    } else if (op[0] == QLatin1String("stop"))
        m_p->stopExecute();
    else if (op[0] == QLatin1String("check"))
        m_p->startConnectionCheck();
    else if (op[0] == QLatin1String("upload")) {
        m_link->setUpOpen(true);
        m_p->startUpload(arg);
    } else
        QFAIL(qPrintable(QStringLiteral("unknown operation ") + operation));

    qsizetype seen = 0;
    auto expectNext = [&](const QString& want) {
        QVERIFY2(seen < m_t->events.size(),
                 qPrintable(QStringLiteral("missing \"%1\"; got: %2")
                                .arg(want, m_t->events.join(QStringLiteral(" | ")))));
        QCOMPARE(m_t->events.at(seen), want);
        ++seen;
    };
    for (const QString& step : script) {
        if (step.startsWith(QLatin1String("< "))) {
            m_link->receiveText(step.mid(2) + QLatin1Char('\r'));
        } else if (step == QLatin1String("timeout")) {
            QVERIFY2(m_reply->isActive(), "no reply timer armed");
            m_link->onReplyTimer();
        } else {
            expectNext(step);
            if (QTest::currentTestFailed())
                return;
        }
    }
    QVERIFY2(seen == m_t->events.size(),
             qPrintable(QStringLiteral("unexpected: ") +
                        m_t->events.mid(seen).join(QStringLiteral(" | "))));
    // Every chain ends with no request outstanding.
    QVERIFY(!m_p->anyPending());
    QVERIFY(!m_reply->isActive());
}

void TestProtocol::chains_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("script");
    const QStringList download{
        "down busy 2", "> LOAD:05",   "< OK",         "down busy 2", "> AGO:A100|U00:",
        "< OK",        "progress 1",  "down busy 2",  "> W:5|U00:",  "< OK",
        "progress 2",  "down busy 2", "> R:A-3|U00:", "< OK",        "progress 3",
        "down busy 2", "> PGWRT:",    "< OK",         "down busy 2", "> REMOTE:",
        "< OK",        "message 6",   "down idle 2"};
    QTest::newRow("download") << "download 5" << download;
    QTest::newRow("download: error to LOAD")
        << "download 7"
        << QStringList{"down busy 2", "> LOAD:07", "< !3", "message 10", "down idle 2"};
    QTest::newRow("download: no reply to LOAD")
        << "download 15"
        << QStringList{"down busy 2", "> LOAD:15", "timeout", "message 4", "down idle 2"};
    QTest::newRow("download: error to a middle step")
        << "download 1" << QStringList{"down busy 2",     "> LOAD:01", "< OK",       "down busy 2",
                                       "> AGO:A100|U00:", "< OK",      "progress 1", "down busy 2",
                                       "> W:5|U00:",      "< !1",      "message 8",  "down idle 2"};
    QTest::newRow("download: no reply to the last step")
        << "download 1" << QStringList{"down busy 2",     "> LOAD:01", "< OK",       "down busy 2",
                                       "> AGO:A100|U00:", "< OK",      "progress 1", "down busy 2",
                                       "> W:5|U00:",      "< OK",      "progress 2", "down busy 2",
                                       "> R:A-3|U00:",    "timeout",   "message 4",  "down idle 2"};
    QStringList pgwrt = download.mid(0, 17);
    QTest::newRow("download: error to PGWRT") << "download 5"
                                              << (pgwrt << "< !4"
                                                        << "message 11"
                                                        << "down idle 2");
    QStringList remote = download.mid(0, 20);
    QTest::newRow("download: error to REMOTE") << "download 5"
                                               << (QStringList(remote) << "< !"
                                                                       << "message 16"
                                                                       << "down idle 2");
    QTest::newRow("download: no reply to REMOTE") << "download 5"
                                                  << (QStringList(remote) << "timeout"
                                                                          << "message 4"
                                                                          << "down idle 2");
    QTest::newRow("download: a long reply starting with ! is no error")
        << "download 5"
        << (QStringList(remote) << "< !12"
                                << "message 6"
                                << "down idle 2");

    QTest::newRow("channel query of the download dialog")
        << "chinf-down 1"
        << QStringList{"chinf ", "down busy 1", "> CHINF:01", "< L12", "chinf L12", "down idle 1"};
    QTest::newRow("channel query: error")
        << "chinf-down 3"
        << QStringList{"chinf ", "down busy 1", "> CHINF:03", "< !9", "message 16", "down idle 1"};
    QTest::newRow("channel query: no reply")
        << "chinf-down 3" << QStringList{"chinf ",    "down busy 1", "> CHINF:03", "timeout",
                                         "message 4", "chinf ",      "down idle 1"};
    QTest::newRow("channel query of the control dialog")
        << "chinf-exe 12"
        << QStringList{"chinf ", "exe busy", "> CHINF:12", "< N", "chinf N", "exe idle"};
    QTest::newRow("control channel query: no reply")
        << "chinf-exe 12" << QStringList{"chinf ",    "exe busy", "> CHINF:12", "timeout",
                                         "message 4", "chinf ",   "exe idle"};
    QTest::newRow("channel query of the upload dialog")
        << "chinf-up 2" << QStringList{"status ", "> CHINF:02", "< L3", "up idle", "status L3"};
    QTest::newRow("upload channel query: error")
        << "chinf-up 2" << QStringList{"status ", "> CHINF:02", "< !0", "message 7", "up idle"};
    QTest::newRow("upload channel query: no reply")
        << "chinf-up 2" << QStringList{"status ", "> CHINF:02", "timeout", "message 4", "up idle"};

    QTest::newRow("start") << "start 12"
                           << QStringList{"exe busy", "> LOAD:99", "< OK", "> Z:12", "exe idle"};
    QTest::newRow("stop") << "stop"
                          << QStringList{"exe busy", "> LOAD:99", "< OK", "> U07:", "exe idle"};
    QTest::newRow("start: error to LOAD")
        << "start 3" << QStringList{"exe busy", "> LOAD:99", "< !2", "message 9", "exe idle"};
    QTest::newRow("stop: no reply to LOAD")
        << "stop" << QStringList{"exe busy", "> LOAD:99", "timeout", "message 4", "exe idle"};
    QTest::newRow("start: a late error reply to Z is still reported")
        << "start 1" << QStringList{"exe busy", "> LOAD:99", "< OK",       "> Z:01",
                                    "exe idle", "< !6",      "message 13", "< OK"};

    QTest::newRow("connection check")
        << "check" << QStringList{"> ?:", "< OK", "> CHINF:01", "< N", "info Mes000", "close wait"};
    QTest::newRow("connection check: error to ?")
        << "check" << QStringList{"> ?:", "< !0", "message 7", "close wait"};
    QTest::newRow("connection check: error to CHINF")
        << "check" << QStringList{"> ?:", "< OK", "> CHINF:01", "< !5", "message 12", "close wait"};
    QTest::newRow("connection check: no reply")
        << "check" << QStringList{"> ?:", "timeout", "close wait", "message 4"};
    QTest::newRow("connection check: no reply to CHINF")
        << "check"
        << QStringList{"> ?:", "< OK", "> CHINF:01", "timeout", "close wait", "message 4"};

    QTest::newRow("upload") << "upload 3" << QStringList{"> UPLOAD:03", "< AGO:A+00001000",
                                                         "plus1",       "> ",
                                                         "< H:A|H:B",   "plus1",
                                                         "> ",          "< ",
                                                         "info Mes021", "unload",
                                                         "new window 2"};
    QTest::newRow("upload: empty channel")
        << "upload 1" << QStringList{"> UPLOAD:01", "< ", "info Mes021", "unload", "new window 2"};
    QTest::newRow("upload: error line ends silently")
        << "upload 1"
        << QStringList{"> UPLOAD:01", "< W:+00000010", "plus1", "> ", "< !1", "up idle"};
    QTest::newRow("upload: refused line")
        << "upload 1"
        << QStringList{"> UPLOAD:01", "< AGO:A+1000", "> NG:", "info Mes001", "< OK", "up idle"};
    QTest::newRow("upload: no reply to a middle request")
        << "upload 1" << QStringList{"> UPLOAD:01", "< W:+00000010", "plus1",  "> ",
                                     "timeout",     "message 4",     "up idle"};
    QTest::newRow("upload: no reply to UPLOAD")
        << "upload 9" << QStringList{"> UPLOAD:09", "timeout", "message 4", "up idle"};

    // Split at CR, the LF of a CR LF controller that came after the next request leads the next
    // line; it must not hide an error or the end of an upload.
    QTest::newRow("late LF: error to a step")
        << "download 5" << QStringList{"down busy 2",     "> LOAD:05", "< OK",       "down busy 2",
                                       "> AGO:A100|U00:", "< \n!4",    "message 11", "down idle 2"};
    QTest::newRow("late LF: channel query")
        << "chinf-down 1" << QStringList{"chinf ",  "down busy 1", "> CHINF:01",
                                         "< \nL12", "chinf L12",   "down idle 1"};
    QTest::newRow("late LF: error to the connection check")
        << "check" << QStringList{"> ?:", "< \n!0", "message 7", "close wait"};
    QTest::newRow("late LF: upload lines and its end")
        << "upload 3" << QStringList{"> UPLOAD:03", "< \nAGO:A+00001000", "plus1",  "> ",
                                     "< \n",        "info Mes021",        "unload", "new window 2"};
}

void TestProtocol::chains() {
    QFETCH(QString, operation);
    QFETCH(QStringList, script);
    run(operation, script);
}

void TestProtocol::modesSurviveAndDownloadResetsThem() {
    run(QStringLiteral("start 4"),
        {QStringLiteral("exe busy"), QStringLiteral("> LOAD:99"), QStringLiteral("< OK"),
         QStringLiteral("> Z:04"), QStringLiteral("exe idle")});
    QVERIFY(m_p->GetStartMode());
    QVERIFY(!m_p->GetStopMode());
    m_t->events.clear();
    // The following LOAD reply belongs to the download again.
    run(QStringLiteral("download 2"),
        {QStringLiteral("down busy 2"), QStringLiteral("> LOAD:02"), QStringLiteral("< OK"),
         QStringLiteral("down busy 2"), QStringLiteral("> AGO:A100|U00:"), QStringLiteral("< !1"),
         QStringLiteral("message 8"), QStringLiteral("down idle 2")});
    QVERIFY(!m_p->GetStartMode());
    QVERIFY(!m_p->GetStopMode());
}

void TestProtocol::stopDownloadEndsAtOnce() {
    m_p->startDownload(1);
    m_link->receiveText(QStringLiteral("OK\r"));
    QVERIFY(m_p->waitStep());
    m_t->events.clear();
    m_p->stopDownload();
    QCOMPARE(m_t->events,
             (QStringList{QStringLiteral("message 5"), QStringLiteral("down idle 2")}));
    QVERIFY(!m_t->isOpen());
    QVERIFY(!m_reply->isActive());
    // The reply that was on its way changes nothing.
    m_link->receiveText(QStringLiteral("OK\r"));
    QCOMPARE(m_t->events.size(), 2);
}

void TestProtocol::uploadWindow() {
    RunConfig::setControllerType(3);
    m_link->setUpOpen(true);
    m_p->startUpload(2);
    for (const char* line : {"AGO:A+00000001|AGO:B+00000002|AGO:C+00000003", "U01:0004", ""})
        m_link->receiveText(QString::fromLatin1(line) + QLatin1Char('\r'));
    RunConfig::setControllerType(2);
    QCOMPARE(m_p->lastUploadEnd(), UploadEnd::Completed);
    QCOMPARE(m_t->docs.size(), size_t(1));
    const ProgramDoc& doc = *m_t->docs.front();
    QCOMPARE(doc.getAxis(), 3);
    QCOMPARE(doc.getStep(), 2);
    QCOMPARE(doc.getSendStep(1), QStringLiteral("AGO:A1|AGO:B2|AGO:C3"));
    QCOMPARE(doc.getSendStep(2), QStringLiteral("U01:04"));
}

void TestProtocol::uploadStopThenReply() {
    m_link->setUpOpen(true);
    m_p->startUpload(1);
    m_link->receiveText(QStringLiteral("H:A\r"));
    m_t->events.clear();
    m_p->stopUpload();
    QCOMPARE(m_p->lastUploadEnd(), UploadEnd::Stopped);
    QCOMPARE(m_t->events, QStringList{QStringLiteral("> NG:")});
    QVERIFY(m_p->waitNg());
    QVERIFY(!m_reply->isActive());
    m_link->receiveText(QStringLiteral("OK\r"));
    QCOMPARE(m_t->events.last(), QStringLiteral("up idle"));
    QVERIFY(m_t->docs.empty());
}

void TestProtocol::classify_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QString() << 0;
    for (const char* c : {"A", "B", "C", "D", "H", "M", "P", "R", "S", "U", "W", "#"})
        QTest::newRow(c) << QString::fromLatin1(c) + QStringLiteral("x") << 1;
    QTest::newRow("error") << QStringLiteral("!0") << -1;
    QTest::newRow("lower case") << QStringLiteral("ago:") << -1;
    QTest::newRow("OK") << QStringLiteral("OK") << -1;
    QTest::newRow("blank") << QStringLiteral(" ") << -1;
}

void TestProtocol::classify() {
    QFETCH(QString, line);
    QFETCH(int, expected);
    QCOMPARE(int(KorvelProtocol::classifyUploadLine(line)), expected);
}

void TestProtocol::statusText_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("L12") << QStringLiteral("L12") << QStringLiteral("LOAD  12%1");
    QTest::newRow("E leading zeros") << QStringLiteral("E007") << QStringLiteral("EDIT  7%1");
    QTest::newRow("T blanks") << QStringLiteral("T 5") << QStringLiteral("TEACH  5%1");
    QTest::newRow("L alone") << QStringLiteral("L") << QStringLiteral("LOAD  0%1");
    QTest::newRow("L not a number") << QStringLiteral("Lxy") << QStringLiteral("LOAD  0%1");
    QTest::newRow("N") << QStringLiteral("N") << QStringLiteral("%2");
    QTest::newRow("N with number") << QStringLiteral("N5") << QStringLiteral("%2");
    QTest::newRow("other letter") << QStringLiteral("X5") << QString();
    QTest::newRow("lower case") << QStringLiteral("l5") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestProtocol::statusText() {
    QFETCH(QString, line);
    QFETCH(QString, expected);
    const QString mes1 = langFile().GetINIStr(QStringLiteral("dlgDown"), QStringLiteral("Mes001"));
    const QString mes2 = langFile().GetINIStr(QStringLiteral("dlgDown"), QStringLiteral("Mes002"));
    QVERIFY(!mes1.isEmpty() && !mes2.isEmpty());
    QString want = expected;
    want.replace(QLatin1String("%1"), mes1).replace(QLatin1String("%2"), mes2);
    QCOMPARE(channelStatusText(line), want);
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
