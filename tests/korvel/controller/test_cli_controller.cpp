#include "shared/inifile.h"
#include "shared/portmap.h"

#include "simrig.h"
#include "testenv.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// korvel-cli's controller commands against controller-sim.
namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result runCli(const QStringList& args, const QProcessEnvironment& env = {}) {
    QProcess p;
    QProcessEnvironment e = env.isEmpty() ? QProcessEnvironment::systemEnvironment() : env;
    e.remove(QLatin1String(PortMap::OverrideVariable));
    if (!env.isEmpty() && env.contains(QLatin1String(PortMap::OverrideVariable)))
        e.insert(QLatin1String(PortMap::OverrideVariable),
                 env.value(QLatin1String(PortMap::OverrideVariable)));
    p.setProcessEnvironment(e);
    p.start(builtAppDir() + QStringLiteral("/korvel-cli"), args);
    Result r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString langText(const QString& section, const QString& key) {
    clsIniFile ini;
    ini.setINIFile(builtAppDir() + QStringLiteral("/LANG1.DAT"));
    return ini.GetINIStr(section, key);
}

const QByteArray kProgram3 = "AXIS=3\r\n"
                             "AGO:1000,AGO:-500,AGO:7\r\n"
                             "P:11:1000,P:53:1021,S:15\r\n"
                             "D:10:600000:100,C:0:1:2:0,U00:\r\n"
                             "U01:5,U01:5,U01:5\r\n"
                             "#:hello world,#:hello world,#:hello world\r\n"
                             "W:65535,R:-99999999,MGO:99999999\r\n";

} // namespace

class TestCliController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void downloadFailures_data();
    void downloadFailures();
    void uploadFailures_data();
    void uploadFailures();
    void checkConnection_data();
    void checkConnection();
    void verifiedDownload_data();
    void verifiedDownload();
    void deviceFailureSaysWhy_data();
    void deviceFailureSaysWhy();
    void chinfAndRunControl();
    void portThroughPortMap();
    void usage_data();
    void usage();

private:
    QTemporaryDir m_dir;
    QString file(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    void write(const char* name, const QByteArray& bytes) const {
        QFile f(file(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

void TestCliController::initTestCase() {
    QVERIFY(m_dir.isValid());
    write("p3.txt", kProgram3);
    write("p1.txt", "AXIS=1\r\nAGO:1000\r\nH:\r\nP:90:5\r\nU02:A:1:5\r\nU03:3:100\r\nU04:\r\n"
                    "U99:\r\nW:1\r\n");
    write("p2.txt", "AXIS=2\r\nBGO:250,BGO:-3\r\nAGO:1,U00:\r\nR:5,H:\r\n");
}

void TestCliController::roundTrip_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("lineEnd");
    // Without --type a download takes the axis count of its file.
    QTest::addColumn<bool>("typeOnDownload");
    QTest::newRow("one axis") << 1 << "p1.txt"
                              << "crlf" << true;
    QTest::newRow("two axes, LF, download without --type") << 2 << "p2.txt"
                                                           << "lf" << false;
    QTest::newRow("three axes, CR") << 3 << "p3.txt"
                                    << "cr" << true;
}

void TestCliController::roundTrip() {
    QFETCH(int, axes);
    QFETCH(QString, program);
    QFETCH(QString, lineEnd);
    QFETCH(bool, typeOnDownload);
    SimController sim(
        {QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--line-end"), lineEnd});
    QVERIFY(!sim.device().isEmpty());
    const QString type = QString::number(axes);
    const QString in = m_dir.filePath(program);
    const QString log = m_dir.filePath(QStringLiteral("log-%1.txt").arg(axes));
    // Options after the command in any order, the file among them.
    QStringList download{QStringLiteral("download"),
                         QStringLiteral("--lang"),
                         QStringLiteral("1"),
                         in,
                         QStringLiteral("--channel"),
                         QStringLiteral("7"),
                         QStringLiteral("--port=") + sim.device(),
                         QStringLiteral("--log"),
                         log};
    if (typeOnDownload)
        download << QStringLiteral("--type") << type;
    Result r = runCli(download);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.trimmed(), langText(QStringLiteral("MsgBox"), QStringLiteral("Mes008")));
    const QString out = m_dir.filePath(QStringLiteral("up-%1.txt").arg(axes));
    r = runCli({QStringLiteral("upload"), QStringLiteral("--output"), out, QStringLiteral("--type"),
                type, QStringLiteral("--channel"), QStringLiteral("07"), QStringLiteral("--port"),
                sim.device(), QStringLiteral("--lang"), QStringLiteral("1")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.trimmed(), langText(QStringLiteral("MsgBox"), QStringLiteral("Mes021")));
    QCOMPARE(read(out), read(in));

    // The log as the download dialog shows it.
    const QStringList lines = QString::fromUtf8(read(log)).split(QLatin1Char('\n'));
    const QString end = lineEnd == QLatin1String("cr")   ? QStringLiteral("[CR]")
                        : lineEnd == QLatin1String("lf") ? QStringLiteral("[LF]")
                                                         : QStringLiteral("[CR][LF]");
    QCOMPARE(lines.mid(0, 3), (QStringList{QStringLiteral(">LOAD:07[CR][LF]"),
                                           QStringLiteral("<OK") + end, QString()}));
    QCOMPARE(lines.mid(lines.size() - 3), (QStringList{QStringLiteral(">REMOTE:[CR][LF]"),
                                                       QStringLiteral("<OK") + end, QString()}));

    // Each command sends its chain alone.
    const QStringList requests = sim.requests();
    const int steps = read(in).count('\n') - 1;
    QCOMPARE(requests.at(0), QStringLiteral("LOAD:07"));
    QCOMPARE(requests.mid(1 + steps, 3),
             (QStringList{QStringLiteral("PGWRT:"), QStringLiteral("REMOTE:"),
                          QStringLiteral("UPLOAD:07")}));
    QCOMPARE(requests.mid(4 + steps), QStringList(steps, QString()));
}

void TestCliController::downloadFailures_data() {
    // p3.txt to channel 2: requests 1 "LOAD:02", 2..7 the steps, 8 "PGWRT:", 9 "REMOTE:".
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("requests");
    QTest::newRow("error to LOAD") << "error=3@1"
                                   << "p3.txt" << 10 << 1;
    QTest::newRow("error to a middle step") << "error=1@4"
                                            << "p3.txt" << 8 << 4;
    QTest::newRow("error to REMOTE") << "error@9"
                                     << "p3.txt" << 7 << 9;
    QTest::newRow("! alone") << "reply=!@7"
                             << "p3.txt" << 16 << 7;
    QTest::newRow("no reply to the last step") << "noreply@7"
                                               << "p3.txt" << 4 << 7;
    QTest::newRow("bad header") << ""
                                << "p1.txt" << 20 << 0;
    QTest::newRow("bad step") << ""
                              << "bad.txt" << 18 << 0;
}

void TestCliController::downloadFailures() {
    QFETCH(QString, fault);
    QFETCH(QString, program);
    QFETCH(int, code);
    QFETCH(int, requests);
    write("bad.txt", "AXIS=3\r\nAGO:1000,AGO:x,U00:\r\n");
    QStringList args{QStringLiteral("--axes"), QStringLiteral("3")};
    if (!fault.isEmpty())
        args << QStringLiteral("--fault") << fault;
    SimController sim(args);
    const Result r =
        runCli({QStringLiteral("download"), m_dir.filePath(program), QStringLiteral("--type"),
                QStringLiteral("3"), QStringLiteral("--channel"), QStringLiteral("2"),
                QStringLiteral("--port"), sim.device(), QStringLiteral("--reply-timeout"),
                QStringLiteral("400"), QStringLiteral("--lang"), QStringLiteral("1")});
    QCOMPARE(r.code, code);
    QVERIFY(r.out.isEmpty());
    const int key = code == 20 ? 51 : code + 2;
    QVERIFY2(r.err.contains(langText(QStringLiteral("MsgBox"),
                                     QStringLiteral("Mes%1").arg(key, 3, 10, QLatin1Char('0')))),
             qPrintable(r.err));
    QCOMPARE(sim.requests().size(), requests);
}

void TestCliController::uploadFailures_data() {
    // Channel 4 holds three steps: requests 1 "UPLOAD:04", 2..4 the next lines.
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("lastRequest");
    QTest::newRow("error line") << "error=4@2" << 1 << "";
    QTest::newRow("unexpected line") << "reply=ok@1" << 1 << "UPLOAD:04";
    QTest::newRow("refused line") << "reply=AGO:A+1@3" << 1 << "NG:";
    QTest::newRow("refused line, NG: unanswered") << "reply=AGO:A+1@3 noreply@NG:" << 1 << "NG:";
    QTest::newRow("no reply") << "noreply@4" << 4 << "";
}

void TestCliController::uploadFailures() {
    QFETCH(QString, fault);
    QFETCH(int, code);
    QFETCH(QString, lastRequest);
    QTemporaryDir state;
    QFile f(state.filePath(QStringLiteral("s.json")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{\"axes\":2,\"channels\":{\"04\":{\"state\":\"L\",\"steps\":"
            "[\"AGO:A1|AGO:B2\",\"W:10|U00:\",\"H:A|H:B\"]}}}");
    f.close();
    QStringList args{QStringLiteral("--axes"), QStringLiteral("2"), QStringLiteral("--state"),
                     f.fileName()};
    for (const QString& one : fault.split(QLatin1Char(' ')))
        args << QStringLiteral("--fault") << one;
    SimController sim(args);
    const QString out = m_dir.filePath(QStringLiteral("never.txt"));
    const Result r =
        runCli({QStringLiteral("upload"), QStringLiteral("--channel"), QStringLiteral("4"),
                QStringLiteral("--type"), QStringLiteral("2"), QStringLiteral("--output"), out,
                QStringLiteral("--port"), sim.device(), QStringLiteral("--reply-timeout"),
                QStringLiteral("400")});
    QCOMPARE(r.code, code);
    QVERIFY(!QFile::exists(out));
    if (!lastRequest.isEmpty())
        QCOMPARE(sim.requests().last(), lastRequest);
}

void TestCliController::checkConnection_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("requests");
    QTest::newRow("answered") << "" << 0 << QStringList{"?:", "CHINF:01"};
    QTest::newRow("error to ?:") << "error=0@1" << 7 << QStringList{"?:"};
    QTest::newRow("no reply to CHINF") << "noreply@2" << 4 << QStringList{"?:", "CHINF:01"};
}

void TestCliController::checkConnection() {
    QFETCH(QString, fault);
    QFETCH(int, code);
    QFETCH(QStringList, requests);
    QStringList args{QStringLiteral("--line-end"), QStringLiteral("lf")};
    if (!fault.isEmpty())
        args << QStringLiteral("--fault") << fault;
    SimController sim(args);
    const Result r =
        runCli({QStringLiteral("check-connection"), QStringLiteral("--port"), sim.device(),
                QStringLiteral("--reply-timeout"), QStringLiteral("400")});
    QCOMPARE(r.code, code);
    QCOMPARE(sim.requests(), requests);
}

void TestCliController::verifiedDownload_data() {
    // p2.txt to channel 3: requests 1 "LOAD:03", 2..4 the steps, then PGWRT:, REMOTE:, and
    // the read-back: UPLOAD:03 and an empty request per line.
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("printed"); // on stdout (0) or stderr
    QTest::newRow("verified") << "" << 0 << "verified";
    QTest::newRow("step 2 kept altered") << "corrupt@3" << 3 << "001"; // shown as 001
    QTest::newRow("no reply to UPLOAD") << "noreply@UPLOAD:03" << 4 << "Mes057";
}

void TestCliController::verifiedDownload() {
    QFETCH(QString, fault);
    QFETCH(int, code);
    QFETCH(QString, printed);
    QStringList simArgs{QStringLiteral("--axes"), QStringLiteral("2")};
    if (!fault.isEmpty())
        simArgs << QStringLiteral("--fault") << fault;
    SimController sim(simArgs);
    const Result r =
        runCli({QStringLiteral("download"), m_dir.filePath(QStringLiteral("p2.txt")),
                QStringLiteral("--channel"), QStringLiteral("3"), QStringLiteral("--verify"),
                QStringLiteral("--lang"), QStringLiteral("1"), QStringLiteral("--port"),
                sim.device(), QStringLiteral("--reply-timeout"), QStringLiteral("400")});
    QCOMPARE(r.code, code);
    QVERIFY(sim.requests().contains(QStringLiteral("UPLOAD:03")));
    if (code == 0) {
        QVERIFY2(r.out.contains(QStringLiteral("verified\n")), qPrintable(r.out));
        QVERIFY(r.out.contains(langText(QStringLiteral("MsgBox"), QStringLiteral("Mes055"))));
    } else if (code == 3) {
        // The first step that differs, with both texts.
        QVERIFY2(r.err.contains(printed), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("AGO:A1|U00:")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("AGO:A0|U00:")), qPrintable(r.err));
    } else {
        // A fault of the read-back is a fault, not a difference.
        QVERIFY(r.err.contains(langText(QStringLiteral("MsgBox"), QStringLiteral("Mes006"))));
        QVERIFY(r.err.contains(langText(QStringLiteral("MsgBox"), QStringLiteral("Mes057"))));
        QVERIFY(!r.err.contains(QStringLiteral("AGO:A1|U00:")));
    }
}

void TestCliController::deviceFailureSaysWhy_data() {
    QTest::addColumn<QString>("fault"); // empty: no controller, a device that does not exist
    QTest::addColumn<QStringList>("reasons");
    QTest::newRow("missing device") << "" << QStringList{"/nonexistent/ttyK0: cannot open"};
    QTest::newRow("hang-up at CHINF")
        << "hangup@2" << QStringList{"hang-up", "the device has gone"};
}

// A request that fails at the device prints why, never a stale reason of an earlier call.
void TestCliController::deviceFailureSaysWhy() {
    QFETCH(QString, fault);
    QFETCH(QStringList, reasons);
    std::unique_ptr<SimController> sim;
    QString device = QStringLiteral("/nonexistent/ttyK0");
    if (!fault.isEmpty()) {
        sim = std::make_unique<SimController>(QStringList{QStringLiteral("--fault"), fault});
        device = sim->device();
    }
    const Result r = runCli({QStringLiteral("check-connection"), QStringLiteral("--port"), device,
                             QStringLiteral("--reply-timeout"), QStringLiteral("400")});
    QCOMPARE(r.code, 4);
    bool named = false;
    for (const QString& reason : reasons)
        named = named || r.err.contains(reason);
    QVERIFY2(named, qPrintable(r.err));
    QVERIFY2(!r.err.contains(QLatin1String("Inappropriate ioctl")), qPrintable(r.err));
}

void TestCliController::chinfAndRunControl() {
    SimController sim({QStringLiteral("--axes"), QStringLiteral("3")});
    Result r = runCli({QStringLiteral("download"), m_dir.filePath(QStringLiteral("p3.txt")),
                       QStringLiteral("--type"), QStringLiteral("3"), QStringLiteral("--channel"),
                       QStringLiteral("12"), QStringLiteral("--port"), sim.device()});
    QCOMPARE(r.code, 0);
    const int before = sim.requests().size();
    r = runCli({QStringLiteral("chinf"), QStringLiteral("--channel"), QStringLiteral("12"),
                QStringLiteral("--port"), sim.device(), QStringLiteral("--lang"),
                QStringLiteral("1")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("LOAD  6") +
                        langText(QStringLiteral("dlgDown"), QStringLiteral("Mes001")) +
                        QLatin1Char('\n'));
    r = runCli({QStringLiteral("start"), QStringLiteral("--channel"), QStringLiteral("12"),
                QStringLiteral("--port"), sim.device()});
    QCOMPARE(r.code, 0);
    r = runCli({QStringLiteral("stop"), QStringLiteral("--port"), sim.device()});
    QCOMPARE(r.code, 0);
    r = runCli({QStringLiteral("start"), QStringLiteral("--channel"), QStringLiteral("3"),
                QStringLiteral("--port"), sim.device()});
    QCOMPARE(r.code, 13);
    r = runCli(
        {QStringLiteral("stop"), QStringLiteral("--wake"), QStringLiteral("--port"), sim.device()});
    QCOMPARE(r.code, 0);
    QCOMPARE(sim.requests().mid(before),
             (QStringList{"CHINF:12", "LOAD:99", "Z:12", "LOAD:99", "U07:", "LOAD:99", "Z:03",
                          "?:", "LOAD:99", "U07:"}));
}

void TestCliController::portThroughPortMap() {
    SimController sim({});
    const QString map = m_dir.filePath(QStringLiteral("ports.cfg"));
    QFile f(map);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("COM3=" + sim.device().toLocal8Bit() + "\n");
    f.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(PortMap::OverrideVariable), map);
    Result r = runCli({QStringLiteral("check-connection"), QStringLiteral("--port"),
                       QStringLiteral("COM3"), QStringLiteral("--settings"),
                       QStringLiteral("19200,E,7,2")},
                      env);
    QCOMPARE(r.code, 0);
    QCOMPARE(sim.requests(), (QStringList{"?:", "CHINF:01"}));
}

void TestCliController::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no channel") << QStringList{"chinf", "--port", "/dev/null"};
    QTest::newRow("channel 16") << QStringList{"start", "--channel", "16"};
    QTest::newRow("bad settings") << QStringList{"stop", "--settings", "9600,X,8,1"};
    QTest::newRow("download without file") << QStringList{"download", "--channel", "1"};
    QTest::newRow("upload without output")
        << QStringList{"upload", "--channel", "1", "--type", "2"};
    QTest::newRow("unknown option") << QStringList{"stop", "--speed", "1"};
    QTest::newRow("stray argument") << QStringList{"stop", "extra"};
    QTest::newRow("missing file") << QStringList{"download", "--channel", "1",
                                                 "--type",   "2",         "/nonexistent/x.txt"};
}

void TestCliController::usage() {
    QFETCH(QStringList, args);
    const Result r = runCli(args);
    QCOMPARE(r.code, 2);
    QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliController)
#include "test_cli_controller.moc"
