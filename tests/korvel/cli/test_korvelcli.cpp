#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList& args) {
    QProcess p;
    p.start(QDir(builtAppDir()).filePath(QStringLiteral("korvel-cli")), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString messageText(int code, int language) {
    clsIniFile ini;
    ini.setINIFile(QDir(builtAppDir()).filePath(QStringLiteral("LANG%1.DAT").arg(language)));
    return ini.GetINIStr(QStringLiteral("MsgBox"), messageKey(code));
}

} // namespace

class TestKorvelCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void commands_data();
    void commands();
    void usageErrors_data();
    void usageErrors();
    void help();

private:
    QString file(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

void TestKorvelCli::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::exists(QDir(builtAppDir()).filePath(QStringLiteral("korvel-cli"))));
}

QString TestKorvelCli::file(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

void TestKorvelCli::commands_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("where"); // expected in the error output besides the message

    const QByteArray example = "AXIS=2\r\nAGO:1000,AGO:2000\r\nD:10:600000:100,U00:\r\n"
                               "#:first corner,#:first corner\r\nP:11:-500,U00:\r\n";
    QByteArray long1 = "AXIS=1\r\n";
    for (int i = 1; i <= 120; ++i)
        long1 += "W:" + QByteArray::number(i) + "\r\n";

    QTest::newRow("check counts steps")
        << QStringList{"check", "--type", "2"} << example << 0 << "4\n"
        << 0 << "";
    QTest::newRow("steps prints step texts")
        << QStringList{"steps", "--type", "2"} << example << 0
        << "AGO:A1000|AGO:B2000\nD:A10,600000,100|U00:\n#:first corner\nP:11A-00000500|U00:\n"
        << 0 << "";
    QTest::newRow("options in any order")
        << QStringList{"steps", "--lang", "1", "--type", "1"}
        << QByteArray("axis=1\r\n\r\nU02:d:1:5\r\nP:53:0101\r\nS:5\r\n") << 0
        << "U02:d,1,05\nP:53,0,1,0,1\nS:A05\n"
        << 1 << "";
    QTest::newRow("one axis stops at 100 steps")
        << QStringList{"check", "--type", "1"} << long1 << 0 << "100\n"
        << 0 << "";
    QTest::newRow("three axes empty program")
        << QStringList{"steps", "--type=3"} << QByteArray("AXIS=3\r\n") << 0 << "" << 0 << "";
    QByteArray long3 = "AXIS=3\r\n";
    for (int i = 1; i <= 250; ++i)
        long3 += "AGO:" + QByteArray::number(i) + ",BGO:1,U00:\r\n";
    QTest::newRow("three axes stop at 200 steps")
        << QStringList{"check", "--type", "3"} << long3 << 0 << "200\n"
        << 0 << "";
    QTest::newRow("quoted header with blanks, lower-case codes")
        << QStringList{"steps", "--type", "1"}
        << QByteArray("  \"axis = 1\"  ,x\r\nago:5\r\nmgo:-7\r\nbgo:1\r\nd:10:20:5\r\n"
                      "p:11:-500\r\nu02:e:1:5\r\nc:0:1:2:0\r\ns:5\r\nw:9\r\nh:\r\nr:3\r\n"
                      "u03:3:100\r\nu04:\r\nu99:\r\nu00:\r\n")
        << 0
        << "AGO:A5\nMGO:A-7\nBGO:A1\nD:A10,20,5\nP:11A-00000500\nU02:e,1,05\nC:0120\nS:A05\n"
           "W:9\nH:A\nR:A3\nU03:03,100\nU04:\nU99:\nU00:\n"
        << 0 << "";
    QTest::newRow("comment keeps colons and fills the step")
        << QStringList{"steps", "--type", "2"} << QByteArray("AXIS=2\r\n#:a:b,#:a:b\r\n") << 0
        << "#:a:b\n"
        << 0 << "";
    QTest::newRow("comment with a comma splits the line")
        << QStringList{"check", "--type", "2"} << QByteArray("AXIS=2\r\nH:,H:\r\n#: a:b, c\r\n")
        << 18 << "" << 0 << "line 3, piece 2";
    QTest::newRow("header invalid")
        << QStringList{"check", "--type", "2", "--lang", "1"} << QByteArray("AXIS=4\r\nH:,H:\r\n")
        << 20 << "" << 1 << "line 1";
    QTest::newRow("axis count differs")
        << QStringList{"steps", "--type", "3"} << example << 20 << "" << 0 << "line 1";
    QTest::newRow("step line invalid") << QStringList{"check", "--type", "2", "--lang", "1"}
                                       << QByteArray("AXIS=2\r\nH:,H:\r\n\r\nAGO:5,AGO:\r\n") << 18
                                       << "" << 1 << "line 4, piece 2";
    QTest::newRow("steps with an invalid line prints nothing")
        << QStringList{"steps", "--type", "1"} << QByteArray("AXIS=1\r\nH:\r\nD:20:10:1\r\n") << 18
        << "" << 0 << "line 3, piece 1";
    QTest::newRow("lang read like the program argument")
        << QStringList{"check", "--lang", "01", "--type", "1"} << QByteArray("AXIS=1\r\nX\r\n")
        << 18 << "" << 1 << "line 2, piece 1";
}

void TestKorvelCli::commands() {
    QFETCH(QStringList, options);
    QFETCH(QByteArray, content);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(int, language);
    QFETCH(QString, where);
    const QString path = file(QStringLiteral("p.txt"), content);
    const Run r = runCli(options + QStringList{path});
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, out);
    if (exitCode == 0) {
        QCOMPARE(r.err, QString());
        return;
    }
    const QString text = messageText(exitCode, language);
    QVERIFY(!text.isEmpty());
    QVERIFY2(r.err.contains(text), qPrintable(r.err));
    QVERIFY2(r.err.contains(where), qPrintable(r.err));
}

void TestKorvelCli::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no arguments") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"load", "--type", "1", "@FILE"};
    QTest::newRow("missing type") << QStringList{"check", "@FILE"};
    QTest::newRow("type out of range") << QStringList{"check", "--type", "4", "@FILE"};
    QTest::newRow("type without value") << QStringList{"check", "@FILE", "--type"};
    QTest::newRow("unknown option") << QStringList{"check", "--type", "1", "--fast", "@FILE"};
    QTest::newRow("no file") << QStringList{"steps", "--type", "1"};
    QTest::newRow("two files") << QStringList{"steps", "--type", "1", "@FILE", "@FILE"};
    QTest::newRow("missing file") << QStringList{"check", "--type", "1", "@DIR/none.txt"};
    QTest::newRow("folder instead of file") << QStringList{"check", "--type", "1", "@DIR"};
}

void TestKorvelCli::usageErrors() {
    QFETCH(QStringList, args);
    const QString path = file(QStringLiteral("ok.txt"), "AXIS=1\r\nH:\r\n");
    for (QString& a : args) {
        a.replace(QStringLiteral("@FILE"), path);
        a.replace(QStringLiteral("@DIR"), m_dir.path());
    }
    const Run r = runCli(args);
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QString());
    QVERIFY(!r.err.trimmed().isEmpty());
}

void TestKorvelCli::help() {
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"check", "--help"}}) {
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 0);
        for (const char* word : {"check", "steps", "--type", "--lang", "18", "20"})
            QVERIFY2(r.out.contains(QLatin1String(word)), word);
    }
}

QTEST_GUILESS_MAIN(TestKorvelCli)
#include "test_korvelcli.moc"
