#include "simprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool openPort(QSerialPort& port, const QString& device) {
    port.setPortName(device);
    port.setBaudRate(QSerialPort::Baud9600);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.clear(); // what arrived while nobody listened belongs to nobody
    return true;
}

// Received chunks until the bytes end with `end`, or until nothing arrives for waitMs.
QVector<QByteArray> readChunks(QSerialPort& port, const QByteArray& end, int waitMs = 2000) {
    QVector<QByteArray> chunks;
    QByteArray all;
    while (!(all.endsWith(end) && !end.isEmpty()) && port.waitForReadyRead(waitMs)) {
        const QByteArray c = port.readAll();
        chunks << c;
        all += c;
    }
    return chunks;
}

QByteArray exchange(QSerialPort& port, const QByteArray& request, const QByteArray& end = "\r\n") {
    port.write(request + "\r\n");
    port.waitForBytesWritten(2000);
    QByteArray all;
    for (const QByteArray& c : readChunks(port, end))
        all += c;
    return all;
}

// Like the programs: a fresh opening of the port for every request.
QByteArray exchangeOnce(const QString& device, const QByteArray& request) {
    QSerialPort port;
    if (!openPort(port, device))
        return "cannot open";
    const QByteArray reply = exchange(port, request);
    port.close();
    return reply;
}

} // namespace

class TestControllerSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineEnds_data();
    void lineEnds();
    void reopenBetweenExchanges();
    void splitReply();
    void errorAndMissingReply();
    void hangUp();
    void pacingAndReport();
    void latencyAndIdleExit();
    void logAndLink();
    void statePersists();
    void definitionFile();
    void helpNamesEveryOption();
};

void TestControllerSim::lineEnds_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("end");
    QTest::newRow("CR") << QStringLiteral("cr") << QByteArray("\r");
    QTest::newRow("LF") << QStringLiteral("lf") << QByteArray("\n");
    QTest::newRow("CR LF") << QStringLiteral("crlf") << QByteArray("\r\n");
}

void TestControllerSim::lineEnds() {
    QFETCH(QString, option);
    QFETCH(QByteArray, end);
    SimProcess sim({QStringLiteral("--line-end"), option});
    QVERIFY(!sim.device().isEmpty());
    QSerialPort port;
    QVERIFY(openPort(port, sim.device()));
    QCOMPARE(exchange(port, "?:", end), "OK" + end);
    QCOMPARE(exchange(port, "CHINF:01", end), "N" + end);
    QCOMPARE(exchange(port, "CHINF:20", end), "!3" + end);
}

void TestControllerSim::reopenBetweenExchanges() {
    SimProcess sim({QStringLiteral("--axes"), QStringLiteral("2")});
    QVERIFY(!sim.device().isEmpty());
    const QVector<QPair<QByteArray, QByteArray>> transcript{
        {"?:", "OK"},
        {"LOAD:04", "OK"},
        {"AGO:A1000|AGO:B-500", "OK"},
        {"U01:07", "OK"},
        {"PGWRT:", "OK"},
        {"REMOTE:", "OK"},
        {"CHINF:04", "L2"},
        {"UPLOAD:04", "AGO:A+00001000|AGO:B-00000500"},
        {"", "U01:0007"},
        {"", ""},
    };
    for (const auto& [request, reply] : transcript)
        QCOMPARE(exchangeOnce(sim.device(), request), reply + "\r\n");
}

void TestControllerSim::splitReply() {
    SimProcess sim({QStringLiteral("--fault"), QStringLiteral("split=1,40@CHINF:01")});
    QSerialPort port;
    QVERIFY(openPort(port, sim.device()));
    port.write("CHINF:01\r\n");
    const QVector<QByteArray> chunks = readChunks(port, "\r\n");
    QCOMPARE(chunks, (QVector<QByteArray>{"N", "\r", "\n"}));
    // Other requests are answered whole.
    port.write("CHINF:02\r\n");
    QCOMPARE(readChunks(port, "\r\n"), QVector<QByteArray>{"N\r\n"});
}

void TestControllerSim::errorAndMissingReply() {
    SimProcess sim({QStringLiteral("--fault"), QStringLiteral("error=7@2"),
                    QStringLiteral("--fault"), QStringLiteral("noreply@3"),
                    QStringLiteral("--fault"), QStringLiteral("garbage=5@LOAD:99")});
    QSerialPort port;
    QVERIFY(openPort(port, sim.device()));
    QCOMPARE(exchange(port, "?:"), QByteArray("OK\r\n"));
    QCOMPARE(exchange(port, "?:"), QByteArray("!7\r\n"));
    port.write("?:\r\n");
    QVERIFY(readChunks(port, "\r\n", 300).isEmpty());
    QCOMPARE(exchange(port, "?:"), QByteArray("OK\r\n"));
    port.write("LOAD:99\r\n");
    QByteArray noise;
    for (const QByteArray& c : readChunks(port, "\r\n", 300))
        noise += c;
    QCOMPARE(noise.size(), 5);
    QVERIFY(!noise.contains('\r') && !noise.contains('\n'));
}

void TestControllerSim::hangUp() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    SimProcess sim(
        {QStringLiteral("--link"), link, QStringLiteral("--fault"), QStringLiteral("hangup@2")});
    QSerialPort port;
    QVERIFY(openPort(port, link));
    QCOMPARE(exchange(port, "?:"), QByteArray("OK\r\n"));
    port.write("?:\r\n");
    port.waitForBytesWritten(1000);
    QVERIFY(sim.process().waitForFinished(5000));
    QCOMPARE(sim.process().exitCode(), 0);
    port.close();
    QSerialPort again;
    QVERIFY(!openPort(again, link)); // an unplugged adapter cannot be opened
}

void TestControllerSim::pacingAndReport() {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("report.json"));
    SimProcess sim(
        {QStringLiteral("--baud"), QStringLiteral("1200"), QStringLiteral("--report"), report});
    QSerialPort port;
    QVERIFY(openPort(port, sim.device()));
    QElapsedTimer t;
    t.start();
    QCOMPARE(exchange(port, "?:"), QByteArray("OK\r\n"));
    // 4 bytes each way at 120 bytes per second cannot take less than 8/120 s.
    QVERIFY(t.elapsed() >= 8 * 1000 / 120);
    const QString err = sim.stop();
    QVERIFY2(err.contains(QStringLiteral("wire time bound 0.067 s at 1200 bit/s")),
             qPrintable(err));
    QFile f(report);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
    QCOMPARE(o.value(QStringLiteral("bytesReceived")).toInt(), 4);
    QCOMPARE(o.value(QStringLiteral("bytesSent")).toInt(), 4);
    QCOMPARE(o.value(QStringLiteral("wireTimeSeconds")).toDouble(), 8 * 10 / 1200.0);
}

void TestControllerSim::latencyAndIdleExit() {
    SimProcess sim({QStringLiteral("--latency"), QStringLiteral("150"),
                    QStringLiteral("--flash-delay"), QStringLiteral("200"),
                    QStringLiteral("--exit-after-idle"), QStringLiteral("500")});
    QSerialPort port;
    QVERIFY(openPort(port, sim.device()));
    QElapsedTimer t;
    t.start();
    QCOMPARE(exchange(port, "?:"), QByteArray("OK\r\n"));
    QVERIFY(t.elapsed() >= 150);
    t.restart();
    QCOMPARE(exchange(port, "F:"), QByteArray("OK\r\n"));
    QVERIFY(t.elapsed() >= 350);
    port.close();
    QVERIFY(sim.process().waitForFinished(5000));
    QVERIFY(QString::fromLocal8Bit(sim.process().readAllStandardError())
                .contains(QStringLiteral("2 requests")));
}

void TestControllerSim::logAndLink() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySIM"));
    const QString log = dir.filePath(QStringLiteral("sim.log"));
    SimProcess sim({QStringLiteral("--link"), link, QStringLiteral("--log"), log});
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
    QCOMPARE(exchangeOnce(link, "CHINF:01"), QByteArray("N\r\n"));
    QCOMPARE(exchangeOnce(link, "PGWRT:"), QByteArray("!5\r\n"));
    sim.stop();
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY2(text.contains(QStringLiteral("> CHINF:01\n")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("< N<CR><LF>\n")));
    QVERIFY(text.contains(QStringLiteral("< !5<CR><LF>  (PGWRT: without LOAD:)")));
    // Every line starts with its time stamp.
    const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
}

void TestControllerSim::statePersists() {
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state.json"));
    const QString defs = dir.filePath(QStringLiteral("defs.ini"));
    QFile d(defs);
    QVERIFY(d.open(QIODevice::WriteOnly));
    d.write("PAR.DAT\r\n90,1,1,Ninety,0,60,0,x\r\n");
    d.close();
    const QStringList args{QStringLiteral("--axes"),  QStringLiteral("1"),
                           QStringLiteral("--state"), state,
                           QStringLiteral("--defs"),  defs};
    {
        SimProcess sim(args);
        for (const QByteArray& r : {QByteArray("LOAD:11"), QByteArray("W:5"), QByteArray("PGWRT:"),
                                    QByteArray("P:90,07"), QByteArray("F:")})
            QCOMPARE(exchangeOnce(sim.device(), r), QByteArray("OK\r\n"));
    }
    SimProcess sim(args);
    QCOMPARE(exchangeOnce(sim.device(), "CHINF:11"), QByteArray("L1\r\n"));
    QCOMPARE(exchangeOnce(sim.device(), "UPLOAD:11"), QByteArray("W:+00000005\r\n"));
    QCOMPARE(exchangeOnce(sim.device(), "P:90R"), QByteArray("07\r\n"));
}

void TestControllerSim::definitionFile() {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("defs.ini"));
    QFile g(good);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write("PAR.DAT\r\n5,1,1,Five,0,3,2,x\r\n");
    g.close();
    {
        SimProcess sim(
            {QStringLiteral("--axes"), QStringLiteral("2"), QStringLiteral("--defs"), good});
        QCOMPARE(exchangeOnce(sim.device(), "P:05R"), QByteArray("2\r\n"));
        QCOMPARE(exchangeOnce(sim.device(), "P:05,4"), QByteArray("!2\r\n"));
    }
    const QString bad = dir.filePath(QStringLiteral("bad.ini"));
    QFile b(bad);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write("PAR.DAT\r\n5,1,1,Five\r\n");
    b.close();
    QProcess p;
    p.start(SimProcess::executable(), {QStringLiteral("--defs"), bad});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("line 2")));
}

void TestControllerSim::helpNamesEveryOption() {
    QProcess p;
    p.start(SimProcess::executable(), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(5000));
    const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
    for (const char* o :
         {"--axes", "--defs", "--line-end", "--baud", "--latency", "--fault", "--log", "--state",
          "--flash-delay", "--link", "--report", "--exit-after-idle", "--ack-text"})
        QVERIFY2(help.contains(QLatin1String(o)), o);
}

QTEST_GUILESS_MAIN(TestControllerSim)
#include "test_controller_sim.moc"
