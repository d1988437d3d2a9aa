#include "baxwin/mdlfile.h"
#include "shared/inifile.h"
#include "simprocess.h"

#include "../support/testenv.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}

// A list written as one text, its items separated by blanks.
QStringList items(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList lang1() {
    return {QStringLiteral("--lang"), QStringLiteral("1")};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void readEditWriteFlashRead_data();
    void readEditWriteFlashRead();
    void bytesOnTheWire();
    void portByComNumber();
    void failures_data();
    void failures();
    void diffExitCodes_data();
    void diffExitCodes();
    void deviceFailureSaysWhy_data();
    void deviceFailureSaysWhy();
    void badParameterFile_data();
    void badParameterFile();
    void badArguments_data();
    void badArguments();
    void help_data();
    void help();

private:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
};

void TestCli::initTestCase() {
    QVERIFY(m_dir.isValid());
    langFile().setINIFile(builtAppDir() + QStringLiteral("/LANG1.DAT"));
    QVERIFY(!msg("Mes006").isEmpty());
}

void TestCli::readEditWriteFlashRead_data() {
    QTest::addColumn<int>("axes");
    QTest::newRow("two axes") << 2;
    QTest::newRow("three axes") << 3;
}

void TestCli::readEditWriteFlashRead() {
    QFETCH(int, axes);
    ParDefs defs;
    QVERIFY(MdlFile::loadParDefs(builtAppDir() + QStringLiteral("/par1.ini"), defs));
    const QString state = path("state.json");
    QFile::remove(state);
    {
        SimProcess sim(
            {QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--state"), state});
        QVERIFY(!sim.device.isEmpty());
        const QStringList port{QStringLiteral("--port"), sim.device};
        CliRun r = runCli(
            QStringList{QStringLiteral("read"), QStringLiteral("--output"), path("first.txt")} +
            port + lang1());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(msg("Mes021")));

        ParValueTable t;
        QVERIFY(MdlFile::readParFile(path("first.txt"), t));
        QCOMPARE(t.at(8, 1), defs[8].defaultValue);
        // Edit a value of every coding.
        t.at(8, 1) = QStringLiteral("20000");
        t.at(8, 2) = QStringLiteral("30000");
        t.at(8, 3) = QStringLiteral("40000");
        t.at(4, 2) = QStringLiteral("7");
        t.at(11, 1) = QStringLiteral("-1500");
        t.at(14, 2) = QStringLiteral("1500");
        t.at(22, 1) = QStringLiteral("5");
        t.at(22, 2) = QStringLiteral("250000");
        t.at(53, 1) = QStringLiteral("3121");
        t.at(60, 1) = QStringLiteral("1");
        t.at(73, 1) = QStringLiteral("-2");
        t.at(90, 1) = QStringLiteral("30");
        QVERIFY(MdlFile::writeParFile(path("edited.txt"), t, false));
        r = runCli(
            QStringList{QStringLiteral("write"), path("edited.txt"), QStringLiteral("--flash")} +
            port + lang1());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(msg("Mes008")));
        QVERIFY(r.out.contains(msg("Mes022")));
        QVERIFY(r.err.isEmpty());
        sim.stop();

        // A fresh controller with the flash-stored parameters of the first.
        SimProcess sim2(
            {QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--state"), state});
        // Without --lang: language 0 and its definition file, the same parameters.
        r = runCli({QStringLiteral("read"), QStringLiteral("--port"), sim2.device,
                    QStringLiteral("--output"), path("again.txt")});
        QCOMPARE(r.exitCode, 0);
        ParValueTable back;
        QVERIFY(MdlFile::readParFile(path("again.txt"), back));
        for (int n = 1; n <= MaxParNo; ++n) {
            if (defs[n].used != 1)
                continue;
            const int columns = defs[n].kind == 0 ? axes : 1;
            for (int a = 1; a <= columns; ++a)
                QCOMPARE(back.at(n, a), t.at(n, a));
        }
        QCOMPARE(back.at(22, 1), QStringLiteral("5"));
        QCOMPARE(back.at(53, 1), QStringLiteral("3121"));
    }
}

// The requests of a write go out byte for byte as the controller expects them.
void TestCli::bytesOnTheWire() {
    const QString log = path("wire.log");
    QFile::remove(log);
    ParValueTable t;
    ParDefs defs;
    QVERIFY(MdlFile::loadParDefs(builtAppDir() + QStringLiteral("/par1.ini"), defs));
    for (int n = 1; n <= MaxParNo; ++n)
        for (int a = 1; a <= 3; ++a)
            t.at(n, a) = defs[n].defaultValue;
    t.at(4, 1) = QStringLiteral("7");
    t.at(11, 2) = QStringLiteral("-20");
    QVERIFY(MdlFile::writeParFile(path("w.txt"), t, false));
    SimProcess sim({QStringLiteral("--axes"), QStringLiteral("2"), QStringLiteral("--log"), log});
    const CliRun r =
        runCli({QStringLiteral("write"), QStringLiteral("--port"), sim.device, path("w.txt")});
    QCOMPARE(r.exitCode, 0);
    sim.stop();
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    for (const char* expected : {"?:", "P:01R", "X:1", "P:01A0B0", "P:04A07B00", "P:08A10000B10000",
                                 "P:11A+00000000B-00000020", "P:22A100B100", "P:53,0,0,0,0",
                                 "P:60,0", "P:90,00", "P:91,0"})
        QVERIFY2(all.contains(QByteArray(expected)), expected);
    QVERIFY(!all.contains("P:28"));
}

// COMn reaches the device that the port map names for it.
void TestCli::portByComNumber() {
    SimProcess sim({QStringLiteral("--axes"), QStringLiteral("2")});
    const QString map = path("ports.cfg");
    QFile f(map);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("COM3=" + sim.device.toLocal8Bit() + "\n");
    f.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVEL_PORTS_CFG"), map);
    QFile::remove(path("com3.txt"));
    const CliRun r = runCli({QStringLiteral("read"), QStringLiteral("--output"), path("com3.txt"),
                             QStringLiteral("--port"), QStringLiteral("COM3"),
                             QStringLiteral("--settings"), QStringLiteral("38400,n,8,1")},
                            QString(), env);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QFile::exists(path("com3.txt")));
}

void TestCli::failures_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("key");
    // Request 1 is the wake-up, 2 the probe.
    QTest::newRow("read: error at the probe") << "read"
                                              << "error=3@2"
                                              << "Mes012";
    QTest::newRow("read: no reply at the probe") << "read"
                                                 << "noreply@2"
                                                 << "Mes006";
    QTest::newRow("read: error in the middle") << "read"
                                               << "error=0@P:20R"
                                               << "Mes009";
    QTest::newRow("read: no reply in the middle") << "read"
                                                  << "noreply@P:20R"
                                                  << "Mes006";
    QTest::newRow("read: undecodable reply") << "read"
                                             << "reply=5@P:08R"
                                             << "Mes018";
    QTest::newRow("write: error in the middle") << "write"
                                                << "error=5@P:20*"
                                                << "Mes014";
    QTest::newRow("write: no reply at X:1") << "write"
                                            << "noreply@X:1"
                                            << "Mes006";
    QTest::newRow("flash: error") << "flash"
                                  << "error=8@F:"
                                  << "Mes017";
    QTest::newRow("flash: no reply") << "flash"
                                     << "noreply@F:"
                                     << "Mes006";
}

void TestCli::failures() {
    QFETCH(QString, command);
    QFETCH(QString, fault);
    QFETCH(QString, key);
    ParDefs defs;
    QVERIFY(MdlFile::loadParDefs(builtAppDir() + QStringLiteral("/par1.ini"), defs));
    ParValueTable t;
    for (int n = 1; n <= MaxParNo; ++n)
        for (int a = 1; a <= 3; ++a)
            t.at(n, a) = defs[n].defaultValue;
    QVERIFY(MdlFile::writeParFile(path("w.txt"), t, false));
    QFile::remove(path("out.txt"));

    SimProcess sim({QStringLiteral("--fault"), fault});
    QStringList args =
        command == QLatin1String("read")
            ? QStringList{QStringLiteral("read"), QStringLiteral("--output"), path("out.txt")}
            : QStringList{QStringLiteral("write"), path("w.txt")};
    if (command == QLatin1String("flash"))
        args << QStringLiteral("--flash");
    args << QStringLiteral("--port") << sim.device << lang1() << QStringLiteral("--timeout")
         << QStringLiteral("300") << QStringLiteral("--flash-timeout") << QStringLiteral("300");
    const CliRun r = runCli(args);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(msg(qPrintable(key))), qPrintable(r.err));
    QVERIFY(!QFile::exists(path("out.txt")));
}

void TestCli::diffExitCodes_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QByteArray>("state"); // the controller's parameters; the rest are defaults
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("file");  // "n,axis,value" of the file; the rest are defaults
    QTest::addColumn<QStringList>("lines"); // stdout, one line per difference
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("key"); // the message on stderr
    QTest::newRow("all equal") << 3 << QByteArray() << QString() << QStringList() << QStringList()
                               << 0 << "Mes021";
    QTest::newRow("controller differs on both tabs")
        << 3
        << QByteArray("\"8\": [\"20000\", \"10000\", \"10000\"], \"60\": [\"1\", \"1\", \"1\"]")
        << QString() << QStringList() << items("8,1,10000,20000 60,1,0,1") << 3 << "Mes021";
    QTest::newRow("file differs, parameter 53 by its digits")
        << 3 << QByteArray() << QString() << items("22,3,250 53,1,3121 60,2,1")
        << items("22,3,250,100 53,1,3121,0000") << 3 << "Mes021";
    QTest::newRow("same values written otherwise")
        << 3 << QByteArray() << QString() << items("8,1,010000 11,2,+0 9,3,500.0") << QStringList()
        << 0 << "Mes021";
    QTest::newRow("two axes: the third is not reported")
        << 2 << QByteArray() << QString() << items("9,3,999") << QStringList() << 0 << "Mes021";
    QTest::newRow("no reply") << 3 << QByteArray() << "noreply@P:20R" << QStringList()
                              << QStringList() << 1 << "Mes006";
    QTest::newRow("error reply") << 3 << QByteArray() << "error=0@P:20R" << QStringList()
                                 << QStringList() << 1 << "Mes009";
}

// diff prints each value that differs from the controller's and tells by its exit status
// whether any did: 0 all equal, 3 some differ, 1 the read failed (and prints nothing).
void TestCli::diffExitCodes() {
    QFETCH(int, axes);
    QFETCH(QByteArray, state);
    QFETCH(QString, fault);
    QFETCH(QStringList, file);
    QFETCH(QStringList, lines);
    QFETCH(int, exitCode);
    QFETCH(QString, key);
    ParDefs defs;
    QVERIFY(MdlFile::loadParDefs(builtAppDir() + QStringLiteral("/par1.ini"), defs));
    ParValueTable t;
    for (int n = 1; n <= MaxParNo; ++n)
        for (int a = 1; a <= 3; ++a)
            t.at(n, a) = defs[n].defaultValue;
    for (const QString& f : file) {
        const QStringList p = f.split(QLatin1Char(','));
        t.at(p[0].toInt(), p[1].toInt()) = p[2];
    }
    QVERIFY(MdlFile::writeParFile(path("diff.txt"), t, false));
    QFile stateFile(path("diff-state.json"));
    QVERIFY(stateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stateFile.write("{\"parameters\": {" + state + "}}");
    stateFile.close();

    QStringList simArgs{QStringLiteral("--axes"), QString::number(axes), QStringLiteral("--state"),
                        stateFile.fileName()};
    if (!fault.isEmpty())
        simArgs << QStringLiteral("--fault") << fault;
    SimProcess sim(simArgs);
    QVERIFY(!sim.device.isEmpty());
    const CliRun r =
        runCli(QStringList{QStringLiteral("diff"), path("diff.txt"), QStringLiteral("--port"),
                           sim.device, QStringLiteral("--timeout"), QStringLiteral("300")} +
               lang1());
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out,
             lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QVERIFY2(r.err.contains(msg(qPrintable(key))), qPrintable(r.err));
}

void TestCli::deviceFailureSaysWhy_data() {
    QTest::addColumn<QString>("fault");       // empty: no controller, a device that does not exist
    QTest::addColumn<QStringList>("reasons"); // one of them is in the message
    QTest::newRow("missing device")
        << QString() << QStringList{QStringLiteral("/nonexistent/ttyK0: cannot open")};
    QTest::newRow("hang-up in the middle")
        << QStringLiteral("hangup@P:20R")
        << QStringList{QStringLiteral("hang-up"), QStringLiteral("the device has gone")};
}

// A transfer that fails at the device says why: the path and the system's reason.
void TestCli::deviceFailureSaysWhy() {
    QFETCH(QString, fault);
    QFETCH(QStringList, reasons);
    std::unique_ptr<SimProcess> sim;
    QString device = QStringLiteral("/nonexistent/ttyK0");
    if (!fault.isEmpty()) {
        sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--fault"), fault});
        device = sim->device;
    }
    const CliRun r = runCli(QStringList{QStringLiteral("read"), QStringLiteral("--output"),
                                        path("out.txt"), QStringLiteral("--port"), device}
                            << lang1() << QStringLiteral("--timeout") << QStringLiteral("300"));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(msg("Mes006")), qPrintable(r.err));
    bool named = false;
    for (const QString& reason : reasons)
        named = named || r.err.contains(reason);
    QVERIFY2(named, qPrintable(r.err));
    QVERIFY2(!r.err.contains(QLatin1String("Inappropriate ioctl")), qPrintable(r.err));
}

void TestCli::badParameterFile_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    for (const char* command : {"write", "diff"}) {
        QTest::addRow("%s, missing", command) << command << QByteArray() << "Mes032";
        QTest::addRow("%s, three fields", command)
            << command << QByteArray("1,0,0\r\n") << "Mes033";
        QTest::addRow("%s, number out of range", command)
            << command << QByteArray("100,0,0,0\r\n") << "Mes033";
    }
}

void TestCli::badParameterFile() {
    QFETCH(QString, command);
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    const QString file = path("bad.txt");
    QFile::remove(file);
    if (!content.isEmpty()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const CliRun r = runCli(
        QStringList{command, file, QStringLiteral("--port"), QStringLiteral("/nonexistent")} +
        lang1());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err.trimmed(), msg(qPrintable(key)));
}

void TestCli::badArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList();
    QTest::newRow("unknown command") << QStringList{QStringLiteral("erase")};
    QTest::newRow("read without output")
        << QStringList{QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM1")};
    QTest::newRow("write without file")
        << QStringList{QStringLiteral("write"), QStringLiteral("--port"), QStringLiteral("COM1")};
    QTest::newRow("diff without file")
        << QStringList{QStringLiteral("diff"), QStringLiteral("--port"), QStringLiteral("COM1")};
    QTest::newRow("diff with two files")
        << QStringList{QStringLiteral("diff"), QStringLiteral("a"), QStringLiteral("b"),
                       QStringLiteral("--port"), QStringLiteral("COM1")};
    QTest::newRow("flash with diff")
        << QStringList{QStringLiteral("diff"), QStringLiteral("a"), QStringLiteral("--port"),
                       QStringLiteral("COM1"), QStringLiteral("--flash")};
    QTest::newRow("no port") << QStringList{QStringLiteral("read"), QStringLiteral("--output"),
                                            QStringLiteral("x")};
    QTest::newRow("bad settings") << QStringList{
        QStringLiteral("read"),      QStringLiteral("--output"), QStringLiteral("x"),
        QStringLiteral("--port"),    QStringLiteral("COM1"),     QStringLiteral("--settings"),
        QStringLiteral("9600,X,8,1")};
    QTest::newRow("flash with read") << QStringList{
        QStringLiteral("read"),   QStringLiteral("--output"), QStringLiteral("x"),
        QStringLiteral("--port"), QStringLiteral("COM1"),     QStringLiteral("--flash")};
}

void TestCli::badArguments() {
    QFETCH(QStringList, args);
    const CliRun r = runCli(args);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(QStringLiteral("usage")));
}

void TestCli::help_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")};
    QTest::newRow("help") << QStringList{QStringLiteral("help")};
    QTest::newRow("after a command")
        << QStringList{QStringLiteral("write"), QStringLiteral("--help")};
}

void TestCli::help() {
    QFETCH(QStringList, args);
    const CliRun r = runCli(args);
    QCOMPARE(r.exitCode, 0);
    for (const char* word : {"read --output FILE", "write FILE [--flash]", "diff FILE", "--port",
                             "--settings", "--lang", "--defs", "3 when some"})
        QVERIFY2(r.out.contains(QLatin1String(word)), word);
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
