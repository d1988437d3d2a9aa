#include "korvel/controller/dlgDown.h"
#include "korvel/controller/dlgExe.h"
#include "korvel/controller/dlgUP.h"
#include "korvel/controller/trafficlog.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/runconfig.h"
#include "korvel/model/uploadbuffer.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"

#include "linkfakes.h"
#include "recordingpresenter.h"
#include "testenv.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

// The dialogs on a port that only records what is written; replies are fed to the link.
namespace {

class RecordingPort : public QuietPort {
public:
    QStringList written;
    bool write(const QByteArray& bytes) override {
        written << QString::fromLatin1(bytes);
        return true;
    }
};

// One sequence of log calls: "> text" sent, "< text" received, "|" the end of an exchange.
void feed(TrafficLog& log, const QStringList& calls) {
    for (const QString& c : calls) {
        if (c == QLatin1String("|"))
            log.setNewLine();
        else
            log.putMsg(c.mid(2), c.startsWith(QLatin1Char('<')));
    }
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void trafficLog_data();
    void trafficLog();
    void downOpening();
    void downComWait_data();
    void downComWait();
    void downClosingRules();
    void downArmsDetectionAtEveryOpening();
    void upProgressBeyondAnnounced();
    void upLocksChannelBoxWhileUploading();
    void upStopSendsNg();
    void exeModesWhileClosed();

private:
    // Shows the dialog over detected line ends; true when showing armed the detection, as
    // the download dialog does. The link is left with the line ends detected again.
    bool showArmsDetection(QDialog& d);

    std::unique_ptr<ScratchAppDir> m_app;
    std::unique_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<RecordingPort> m_port;
    std::unique_ptr<ManualTimer> m_reply;
    std::unique_ptr<ManualTimer> m_crLf;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<KorvelProtocol> m_p;
    std::unique_ptr<ProgramDoc> m_doc;
    UploadBuffer m_buffer;
    StandardMessenger m_messenger;
};

void TestDialogs::initTestCase() {
    m_app = englishType2App();
}

void TestDialogs::init() {
    m_presenter = std::make_unique<RecordingPresenter>();
    m_port = std::make_unique<RecordingPort>();
    m_reply = std::make_unique<ManualTimer>();
    m_crLf = std::make_unique<ManualTimer>();
    m_link = std::make_unique<SerialLink>(m_port.get(), m_reply.get(), m_crLf.get());
    m_link->setIntervals(3000, 100, 1);
    m_link->setMessenger(&m_messenger);
    m_p = std::make_unique<KorvelProtocol>(m_link.get());
    m_p->attach();
    m_p->setUploadBuffer(&m_buffer);
    m_doc = std::make_unique<ProgramDoc>(RunConfig::maxSteps());
    m_doc->setAxis(2);
    for (int s = 1; s <= 4; ++s) {
        ValueArray v = defaultValues(16);
        v[0] = QStringLiteral("16");
        v[1] = QString::number(s);
        m_doc->applyCellEdit(1, s, 16, v);
        m_doc->fillSteps(s);
    }
}

void TestDialogs::cleanup() {
    m_p.reset();
    m_link.reset();
    m_presenter.reset();
}

bool TestDialogs::showArmsDetection(QDialog& d) {
    m_link->setRxState(LineSplitter::Detected);
    d.show();
    const bool armed = m_link->rxState() == LineSplitter::Armed;
    m_link->setRxState(LineSplitter::Detected);
    return armed;
}

void TestDialogs::trafficLog_data() {
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("request and reply") << QStringList{"> CHINF:01\r\n", "< L12\r\n"}
                                       << QStringList{">CHINF:01[CR][LF]", "<L12[CR][LF]"};
    QTest::newRow("reply in chunks joined") << QStringList{"> ?:\r\n", "< O", "< K\r", "< \n"}
                                            << QStringList{">?:[CR][LF]", "<OK[CR][LF]"};
    QTest::newRow("blank line between exchanges")
        << QStringList{"> LOAD:05\r\n", "< OK\r\n", "|", "> W:1\r\n", "< !1\r\n"}
        << QStringList{">LOAD:05[CR][LF]", "<OK[CR][LF]", "", ">W:1[CR][LF]", "<!1[CR][LF]"};
    QTest::newRow("end of exchange before a received text adds nothing")
        << QStringList{"> ?:\r\n", "|", "< OK\r\n"} << QStringList{">?:[CR][LF]", "<OK[CR][LF]"};
    QTest::newRow("ACK shown") << QStringList{"< \x06x"} << QStringList{"<[ACK]x"};
    QTest::newRow("empty received chunk")
        << QStringList{"> NG:\r\n", "< "} << QStringList{">NG:[CR][LF]", "<"};
    QTest::newRow("two sends without a reply join")
        << QStringList{"> Z:12\r\n", "> ?:\r\n"} << QStringList{">Z:12[CR][LF]?:[CR][LF]"};
}

void TestDialogs::trafficLog() {
    QFETCH(QStringList, calls);
    QFETCH(QStringList, lines);
    // The dialog's list and the command-line log build the same lines.
    TrafficLogLines text;
    feed(text, calls);
    QCOMPARE(text.lines(), lines);
    dlgDown dialog(m_p.get());
    feed(dialog, calls);
    QCOMPARE(dialog.logLines(), lines);
    QVERIFY(dialog.lstDbg()->selectedItems().isEmpty());
}

void TestDialogs::downOpening() {
    dlgDown d(m_p.get());
    d.setProgram(m_doc.get(), QStringLiteral("Program1"));
    d.show();
    QCOMPARE(d.windowTitle(),
             langFile().GetINIStr(QStringLiteral("dlgDown"), QStringLiteral("Title001")) +
                 QStringLiteral(" - Program1"));
    QCOMPARE(d.comboCh()->count(), 15);
    QCOMPARE(d.comboCh()->itemText(0), QStringLiteral("01"));
    QCOMPARE(d.comboCh()->itemText(14), QStringLiteral("15"));
    QCOMPARE(d.progressBar()->maximum(), 4);
    QVERIFY(!d.cmdStop()->isEnabled());
    QVERIFY(m_link->downOpen());
    QCOMPARE(m_link->rxState(), LineSplitter::Armed);
    QCOMPARE(d.cmdTx()->text(),
             langFile().GetINIStr(QStringLiteral("dlgDown"), QStringLiteral("Cap003")));
    // Once active it asks for channel 1.
    QTRY_COMPARE(m_port->written, QStringList{QStringLiteral("CHINF:01\r\n")});
    QVERIFY(!d.comboCh()->isEnabled());
    QVERIFY(!d.cmdTx()->isEnabled());
    // The first line end is held until the detection timer has run.
    m_link->receiveText(QStringLiteral("L12\r"));
    QVERIFY(m_crLf->active);
    QVERIFY(d.lblStatus()->text().isEmpty());
    m_link->receiveText(QStringLiteral("\n"));
    m_link->onCrLfTimer();
    QCOMPARE(m_link->lineEnd(), LineSplitter::EndCrLf);
    QCOMPARE(d.lblStatus()->text(),
             QStringLiteral("LOAD  12") +
                 langFile().GetINIStr(QStringLiteral("dlgDown"), QStringLiteral("Mes001")));
    QVERIFY(d.comboCh()->isEnabled());
    // Another channel: its query goes out at once.
    d.comboCh()->setCurrentIndex(6);
    QCOMPARE(m_port->written.last(), QStringLiteral("CHINF:07\r\n"));
    QVERIFY(d.lblStatus()->text().isEmpty());
    QCOMPARE(d.logLines().mid(0, 3), (QStringList{QStringLiteral(">CHINF:01[CR][LF]"),
                                                  QStringLiteral("<L12[CR][LF]"), QString()}));
}

void TestDialogs::downComWait_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("stopBefore");
    QTest::addColumn<bool>("stopAfter");
    QTest::addColumn<int>("progressAfter");
    QTest::newRow("query busy keeps stop") << 1 << true << true << true << 2;
    QTest::newRow("query idle keeps stop, clears bar") << 1 << false << true << true << 0;
    QTest::newRow("transfer busy enables stop") << 2 << true << false << true << 2;
    QTest::newRow("transfer idle disables stop") << 2 << false << true << false << 0;
}

void TestDialogs::downComWait() {
    QFETCH(int, mode);
    QFETCH(bool, busy);
    QFETCH(bool, stopBefore);
    QFETCH(bool, stopAfter);
    QFETCH(int, progressAfter);
    dlgDown d(m_p.get());
    d.setProgram(m_doc.get(), QString());
    d.show();
    d.cmdStop()->setEnabled(stopBefore);
    d.setProgressbar(2);
    d.comWait(busy, mode);
    QCOMPARE(d.cmdTx()->isEnabled(), !busy);
    QCOMPARE(d.cmdClose()->isEnabled(), !busy);
    QCOMPARE(d.comboCh()->isEnabled(), !busy);
    QCOMPARE(d.cmdStop()->isEnabled(), stopAfter);
    QCOMPARE(d.progressBar()->value(), progressAfter);
}

void TestDialogs::downClosingRules() {
    dlgDown d(m_p.get());
    d.setProgram(m_doc.get(), QString());
    d.show();
    QTRY_VERIFY(m_p->waitChInfDown());
    d.close();
    QVERIFY(d.isVisible());
    QVERIFY(m_link->downOpen());
    // Escape is a close too.
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(d.isVisible());
    m_link->onReplyTimer();
    QCOMPARE(m_presenter->shown().size(), 1);
    QCOMPARE(m_presenter->shown().at(0).text, messageRequest(Msg::NoReply).text);
    QVERIFY(d.cmdClose()->isEnabled());
    d.close();
    QVERIFY(!d.isVisible());
    QVERIFY(!m_link->downOpen());
    QVERIFY(d.logLines().isEmpty());
}

void TestDialogs::downArmsDetectionAtEveryOpening() {
    for (int i = 0; i < 2; ++i) {
        m_link->setRxState(LineSplitter::Detected);
        dlgDown d(m_p.get());
        d.setProgram(m_doc.get(), QString());
        d.show();
        QCOMPARE(m_link->rxState(), LineSplitter::Armed);
        d.comWait(false, 1);
        d.close();
        // Closing leaves the detection as it is.
        QCOMPARE(m_link->rxState(), LineSplitter::Armed);
    }
}

void TestDialogs::upProgressBeyondAnnounced() {
    dlgUP d(m_p.get());
    QVERIFY(showArmsDetection(d));
    QVERIFY(m_link->upOpen());
    QTRY_VERIFY(m_p->waitChInfUp());
    m_link->receiveText(QStringLiteral("L2\r"));
    QCOMPARE(d.expectedLines(), 2);
    QVERIFY(d.cmdUpLoad()->isEnabled());
    QTest::mouseClick(d.cmdUpLoad(), Qt::LeftButton);
    QCOMPARE(m_port->written.last(), QStringLiteral("UPLOAD:01\r\n"));
    QCOMPARE(d.progressBar()->maximum(), 2);
    for (int i = 1; i <= 4; ++i) {
        m_link->receiveText(QStringLiteral("W:+%1\r").arg(i, 8, 10, QLatin1Char('0')));
        QCOMPARE(d.progressBar()->value(), i);
        QVERIFY(d.progressBar()->value() <= d.progressBar()->maximum());
    }
    QCOMPARE(m_port->written.last(), QStringLiteral("\r\n"));
}

void TestDialogs::upLocksChannelBoxWhileUploading() {
    dlgUP d(m_p.get());
    QVERIFY(showArmsDetection(d));
    QTRY_VERIFY(m_p->waitChInfUp());
    QVERIFY(!d.cboCH()->isEnabled());
    QVERIFY(!d.cmdStop()->isEnabled());
    m_link->receiveText(QStringLiteral("N\r"));
    QVERIFY(d.cboCH()->isEnabled());
    QCOMPARE(d.expectedLines(), 0);
    QTest::mouseClick(d.cmdUpLoad(), Qt::LeftButton);
    QVERIFY(!d.cboCH()->isEnabled());
    QVERIFY(d.cmdStop()->isEnabled());
    QVERIFY(!d.cmdClose()->isEnabled());
    // Without an announcement the bar keeps its range.
    QCOMPARE(d.progressBar()->maximum(), 100);
    m_link->receiveText(QStringLiteral("!1\r"));
    QVERIFY(d.cboCH()->isEnabled());
    QVERIFY(m_presenter->shown().isEmpty());
    // Closing is never refused and ends whatever was pending.
    d.close();
    QVERIFY(!d.isVisible());
    QVERIFY(!m_link->upOpen());
    QVERIFY(!m_p->anyPending());
}

void TestDialogs::upStopSendsNg() {
    dlgUP d(m_p.get());
    QVERIFY(showArmsDetection(d));
    QTRY_VERIFY(m_p->waitChInfUp());
    m_link->receiveText(QStringLiteral("L5\r"));
    QTest::mouseClick(d.cmdUpLoad(), Qt::LeftButton);
    m_link->receiveText(QStringLiteral("H:A\r"));
    QCOMPARE(d.progressBar()->value(), 1);
    QTest::mouseClick(d.cmdStop(), Qt::LeftButton);
    QCOMPARE(m_port->written.last(), QStringLiteral("NG:\r\n"));
    QCOMPARE(d.progressBar()->value(), 0);
    QCOMPARE(m_presenter->shown().size(), 1);
    QCOMPARE(m_presenter->shown().at(0).text,
             langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes001")));
    QVERIFY(!m_reply->active);
    QVERIFY(!d.cboCH()->isEnabled());
    m_link->receiveText(QStringLiteral("OK\r"));
    QVERIFY(d.cboCH()->isEnabled());
    QVERIFY(d.cmdUpLoad()->isEnabled());
    QVERIFY(!d.cmdStop()->isEnabled());
}

void TestDialogs::exeModesWhileClosed() {
    {
        dlgExe d(m_p.get());
        d.SetStartMode(true);
        d.SetStopMode(false);
    }
    QVERIFY(m_p->GetStartMode());
    QVERIFY(!m_p->GetStopMode());
    dlgExe d(m_p.get());
    QVERIFY(d.GetStartMode());
    d.show();
    QTRY_VERIFY(m_p->waitChInfExe());
    QCOMPARE(m_port->written.last(), QStringLiteral("CHINF:01\r\n"));
    QVERIFY(!d.cmdStart()->isEnabled());
    QVERIFY(!d.cmdStop()->isEnabled());
    d.close();
    QVERIFY(d.isVisible());
    m_link->setRxState(LineSplitter::Detected);
    m_link->receiveText(QStringLiteral("X\r"));
    QVERIFY(d.lblStatus()->text().isEmpty());
    QVERIFY(d.cmdStart()->isEnabled());
    d.comboCh()->setCurrentIndex(11);
    m_link->receiveText(QStringLiteral("E3\r"));
    QTest::mouseClick(d.cmdStop(), Qt::LeftButton);
    QCOMPARE(m_port->written.last(), QStringLiteral("LOAD:99\r\n"));
    m_link->receiveText(QStringLiteral("OK\r"));
    QCOMPARE(m_port->written.last(), QStringLiteral("U07:\r\n"));
    QVERIFY(d.cmdClose()->isEnabled());
    QVERIFY(!m_reply->active);
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
