#include "sim/controller.h"
#include "sim/faults.h"
#include "sim/paramdefs.h"
#include "sim/stepcodec.h"
#include "sim/wire.h"
#include "uploadconversion.h"

#include <QTest>

using namespace Sim;

namespace {

// Per-axis 1, 11, 12 (unused); common 4, 22, 53, 90 with limits and defaults.
const QByteArray kDefs = "PARAM.DAT\r\n"
                         "1,0,1,Pulse mode,0,2,0,x\r\n"
                         "4,1,1,Four,0,99,7,x\r\n"
                         "11,0,1,Soft limit,-99999999,99999999,0,x\r\n"
                         "12,0,0,Unused,0,99999999,0,x\r\n"
                         "22,1,1,Twenty-two,0,250000,5,x\r\n"
                         "53,1,1,Inputs,0,0,0000,x\r\n"
                         "90,1,1,Ninety,0,60,0,x\r\n";

ParamDefs testDefs() {
    ParamDefs d;
    QString why;
    if (!ParamDefs::parse(kDefs, &d, &why))
        qFatal("test definitions rejected: %s", qPrintable(why));
    return d;
}

// "> request" lines are sent in order; each "< reply" line is the reply expected to the
// request before it. ">" and "<" alone stand for the empty request and the empty reply.
void runTranscript(Controller& c, const QString& transcript) {
    QString last;
    int number = 0;
    for (const QString& raw : transcript.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString body = raw.mid(2);
        if (raw.startsWith(QLatin1Char('>'))) {
            last = body;
            ++number;
            continue;
        }
        QVERIFY2(raw.startsWith(QLatin1Char('<')), qPrintable(raw));
        const Response r = c.handle(last.toLatin1());
        QVERIFY2(r.line == body.toLatin1(),
                 qPrintable(QStringLiteral("request %1 \"%2\": got \"%3\", want \"%4\" (%5)")
                                .arg(number)
                                .arg(last, QString::fromLatin1(r.line), body, r.note)));
    }
}

struct Template {
    const char* name;
    const char* element; // ~ = axis letter
    bool stepWide;
    int command;
    QStringList values;
};

// Every command in the form the editor sends it, with what the upload must give back.
QVector<Template> everyCommand() {
    return {
        {"AGO", "AGO:~-1000", false, 1, {QStringLiteral("-1000")}},
        {"BGO", "BGO:~99999999", false, 2, {QStringLiteral("99999999")}},
        {"MGO", "MGO:~-99999999", false, 3, {QStringLiteral("-99999999")}},
        {"H", "H:~", false, 4, {}},
        {"P per-axis", "P:11~-00000500", false, 5, {QStringLiteral("11"), QStringLiteral("-500")}},
        {"P common", "P:90,05", false, 5, {QStringLiteral("90"), QStringLiteral("5")}},
        {"P 53", "P:53,3,1,2,1", false, 5, {QStringLiteral("53"), QStringLiteral("3121")}},
        {"P 22", "P:22~250000", false, 5, {QStringLiteral("22"), QStringLiteral("250000")}},
        {"D",
         "D:~10,600000,1000",
         false,
         6,
         {QStringLiteral("10"), QStringLiteral("600000"), QStringLiteral("1000")}},
        {"R", "R:~123", false, 7, {QStringLiteral("123")}},
        {"C",
         "C:2102",
         false,
         8,
         {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("2")}},
        {"S", "S:~15", false, 9, {QStringLiteral("15")}},
        {"U00", "U00:", false, 10, {}},
        {"U01", "U01:199", true, 11, {QStringLiteral("199")}},
        {"U02",
         "U02:B,1,07",
         true,
         12,
         {QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("7")}},
        {"U03", "U03:199,8388607", true, 13, {QStringLiteral("199"), QStringLiteral("8388607")}},
        {"U04", "U04:", false, 14, {}},
        {"U99", "U99:", false, 15, {}},
        {"W", "W:65535", false, 16, {QStringLiteral("65535")}},
        {"comment", "#:Home, then 5 cycles", true, 17, {QStringLiteral("Home, then 5 cycles")}},
        {"empty comment", "#:", true, 17, {QString()}},
    };
}

QString stepTextFor(const Template& t, int axes) {
    if (t.stepWide)
        return QString::fromLatin1(t.element);
    QStringList parts;
    for (int a = 0; a < axes; ++a)
        parts << QString::fromLatin1(t.element).replace(QLatin1Char('~'), QChar(u'A' + a));
    return parts.join(QLatin1Char('|'));
}

} // namespace

class TestSimCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepTextAccepted_data();
    void stepTextAccepted();
    void stepTextRefused_data();
    void stepTextRefused();
    void uploadLine_data();
    void uploadLine();
    void downloadUploadRoundTrip_data();
    void downloadUploadRoundTrip();
    void corruptedStepReadsBackAltered_data();
    void corruptedStepReadsBackAltered();
    void programLimit_data();
    void programLimit();
    void transcript_data();
    void transcript();
    void flashAndState();
    void stateFromOtherAxisCount();
    void definitions_data();
    void definitions();
    void faultOption_data();
    void faultOption();
    void requestLines();
};

void TestSimCore::stepTextAccepted_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");
    auto row = [](const char* name, int axes, const char* text, const char* norm = nullptr) {
        QTest::newRow(name) << axes << QString::fromLatin1(text)
                            << QString::fromLatin1(norm ? norm : text);
    };
    row("three axes with filler", 3, "AGO:A1000|AGO:B2000|U00:");
    row("plus and leading zeros", 1, "AGO:A+007", "AGO:A7");
    row("target bounds", 2, "MGO:A-99999999|R:B99999999");
    row("home per axis", 2, "H:A|H:B");
    row("per-axis parameter in axis 2", 2, "U00:|P:11B-00000500");
    row("common parameter", 1, "P:90,05");
    row("parameter 53", 1, "P:53,0,1,0,1");
    row("parameter 4 per axis", 1, "P:04A07");
    row("parameter 22 three digits", 1, "P:22A005");
    row("parameter number with extra zero", 1, "P:011A+00000001", "P:11A+00000001");
    row("speed", 3, "D:A10,600000,100|D:B10,10,1|D:C600000,600000,1000");
    row("outputs", 1, "C:0120");
    row("selection", 1, "S:A15");
    row("U01 step-wide", 3, "U01:07");
    row("U02 letter", 3, "U02:A,1,05");
    row("U02 lower-case letter from a file", 2, "U02:f,0,199");
    row("U02 letter and digit", 1, "U02:B5,0,00");
    row("U03", 3, "U03:199,8388607");
    row("U04 in every axis", 3, "U04:|U04:|U04:");
    row("wait", 1, "W:65535");
    row("comment with bar and comma", 2, "#:a|b, c");
    row("empty comment", 3, "#:");
    row("comment of 45 characters", 1, "#:123456789012345678901234567890123456789012345");
    row("BGO on one axis", 1, "BGO:A5");
}

void TestSimCore::stepTextAccepted() {
    QFETCH(int, axes);
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    Step step;
    QString why;
    QVERIFY2(parseStepText(text, axes, &step, &why), qPrintable(why));
    QCOMPARE(renderStepText(step), normalised);
}

void TestSimCore::stepTextRefused_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, int axes, const QString& text) {
        QTest::newRow(name) << axes << text;
    };
    auto l = [](const char* s) { return QString::fromLatin1(s); };
    row("empty", 1, QString());
    row("fewer elements than axes", 3, l("AGO:A1|AGO:B2"));
    row("more elements than axes", 1, l("AGO:A1|AGO:B2"));
    row("axis letters swapped", 2, l("AGO:B1|AGO:A2"));
    row("missing axis letter", 1, l("AGO:1000"));
    row("target above range", 1, l("AGO:A100000000"));
    row("lower-case code", 1, l("ago:A1000"));
    row("unknown code", 1, l("XYZ:1"));
    row("no colon", 1, l("AGOA1000"));
    row("blank in value", 1, l("AGO:A 1000"));
    row("sign after digits", 1, l("AGO:A12-3"));
    row("empty value", 1, l("AGO:A"));
    row("home with value", 1, l("H:A5"));
    row("per-axis parameter with comma", 1, l("P:11,+00000005"));
    row("common parameter with letter", 1, l("P:90A05"));
    row("per-axis parameter of axis 1 in axis 2", 2, l("U00:|P:11A+00000005"));
    row("signed parameter without sign", 1, l("P:11A00000005"));
    row("signed parameter short", 1, l("P:11A+5"));
    row("parameter number of one digit", 1, l("P:9,05"));
    row("parameter 4 of one digit", 1, l("P:04A7"));
    row("parameter 53 digit too big", 1, l("P:53,4,0,0,0"));
    row("parameter 53 three fields", 1, l("P:53,1,0,1"));
    row("speed start above top", 1, l("D:A600,500,100"));
    row("speed two fields", 1, l("D:A10,600"));
    row("speed acceleration zero", 1, l("D:A10,600,0"));
    row("output digit 3", 1, l("C:0130"));
    row("three output digits", 1, l("C:012"));
    row("selection 16", 1, l("S:A16"));
    row("selection one digit", 1, l("S:A5"));
    row("U01 200", 1, l("U01:200"));
    row("U02 number first", 1, l("U02:1,1,05"));
    row("U02 letter G", 1, l("U02:G,1,05"));
    row("U03 count zero", 1, l("U03:03,0"));
    row("wait zero", 1, l("W:0"));
    row("wait 65536", 1, l("W:65536"));
    row("step-wide with further elements", 3, l("U01:07|U00:|U00:"));
    row("step-wide in axis 2", 2, l("U00:|U01:07"));
    row("filler with text", 1, l("U00:x"));
    row("comment of 46 characters", 1, l("#:1234567890123456789012345678901234567890123456"));
    row("comment with double-byte character", 1, QStringLiteral("#:") + QChar(0x65E5));
}

void TestSimCore::stepTextRefused() {
    QFETCH(int, axes);
    QFETCH(QString, text);
    Step step;
    QString why;
    QVERIFY(!parseStepText(text, axes, &step, &why));
    QVERIFY(!why.isEmpty());
}

void TestSimCore::uploadLine_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("stepText");
    QTest::addColumn<QString>("uploadLine");
    auto row = [](const char* name, int axes, const char* step, const char* up) {
        QTest::newRow(name) << axes << QString::fromLatin1(step) << QString::fromLatin1(up);
    };
    row("targets", 2, "AGO:A1000|AGO:B-500", "AGO:A+00001000|AGO:B-00000500");
    row("move and relative", 2, "MGO:A0|R:B-99999999", "MGO:A+00000000|R:B-99999999");
    row("home", 1, "H:A", "H:A");
    row("per-axis parameter", 2, "U00:|P:11B-00000500", "U00:|P:11B-00000500");
    row("common parameter", 1, "P:90,05", "P:90,+00000005");
    row("parameter 53", 1, "P:53,0,1,0,1", "P:53,0,1,0,1");
    row("speed 8, 8 and 6 digits", 1, "D:A10,600000,100", "D:A00000010,00600000,000100");
    row("outputs", 1, "C:0120", "C:0120");
    row("selection", 3, "S:A05|S:B00|S:C15", "S:A05|S:B00|S:C15");
    row("U01 four digits", 3, "U01:07", "U01:0007");
    row("U02", 2, "U02:A,1,05", "U02:A,1,05");
    row("U03 4 and 9 digits", 3, "U03:03,100", "U03:0003,000000100");
    row("wait", 1, "W:10", "W:+00000010");
    row("comment", 3, "#:hello", "#:hello");
    row("U04 U99 and filler", 3, "U04:|U99:|U00:", "U04:|U99:|U00:");
}

void TestSimCore::uploadLine() {
    QFETCH(int, axes);
    QFETCH(QString, stepText);
    QFETCH(QString, uploadLine);
    Step step;
    QString why;
    QVERIFY2(parseStepText(stepText, axes, &step, &why), qPrintable(why));
    QCOMPARE(renderUploadLine(step), uploadLine);
    QVector<UploadRecord> records;
    QVERIFY2(convertUploadLine(uploadLine, axes, &records), "the editor would refuse the line");
}

void TestSimCore::downloadUploadRoundTrip_data() {
    QTest::addColumn<int>("axes");
    QTest::newRow("one axis") << 1;
    QTest::newRow("two axes") << 2;
    QTest::newRow("three axes") << 3;
}

void TestSimCore::downloadUploadRoundTrip() {
    QFETCH(int, axes);
    Controller c(axes, testDefs());
    const QVector<Template> steps = everyCommand();
    QCOMPARE(c.handle("LOAD:07").line, QByteArray("OK"));
    for (const Template& t : steps) {
        const Response r = c.handle(stepTextFor(t, axes).toLatin1());
        QVERIFY2(r.line == "OK",
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(t.name), r.note)));
    }
    QCOMPARE(c.handle("PGWRT:").line, QByteArray("OK"));
    QCOMPARE(c.handle("REMOTE:").line, QByteArray("OK"));
    QCOMPARE(c.handle("CHINF:07").line, "L" + QByteArray::number(steps.size()));

    QByteArray request = "UPLOAD:07";
    for (const Template& t : steps) {
        const QString line = QString::fromLatin1(c.handle(request).line);
        request.clear();
        QVector<UploadRecord> records;
        QVERIFY2(convertUploadLine(line, axes, &records),
                 qPrintable(QStringLiteral("%1: refused %2").arg(QLatin1String(t.name), line)));
        for (int a = 0; a < axes; ++a) {
            QCOMPARE(records[a].command, t.command);
            QCOMPARE(records[a].values, t.values);
        }
    }
    const Response end = c.handle(QByteArray());
    QCOMPARE(end.line, QByteArray());
    QCOMPARE(c.handle(QByteArray()).line, QByteArray("!5"));
}

void TestSimCore::corruptedStepReadsBackAltered_data() {
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<QByteArray>("readBack");
    QTest::newRow("a value changes")
        << QByteArray("AGO:A1000|AGO:B5") << QByteArray("AGO:A+00000999|AGO:B+00000005");
    QTest::newRow("zero becomes one") << QByteArray("S:A00|S:B07") << QByteArray("S:A01|S:B07");
    QTest::newRow("a letter changes") << QByteArray("U02:A,1,05") << QByteArray("U02:B,1,05");
    QTest::newRow("no values: another command") << QByteArray("H:A|H:B") << QByteArray("U00:|H:B");
}

// The simulator's corrupt fault: a step taken in and acknowledged, kept altered.
void TestSimCore::corruptedStepReadsBackAltered() {
    QFETCH(QByteArray, step);
    QFETCH(QByteArray, readBack);
    Controller c(2, testDefs());
    QVERIFY(!c.corruptLastStep()); // nothing being taken in
    QCOMPARE(c.handle("LOAD:03").line, QByteArray("OK"));
    QCOMPARE(c.handle(step).line, QByteArray("OK"));
    QVERIFY(c.corruptLastStep());
    QCOMPARE(c.handle("PGWRT:").line, QByteArray("OK"));
    QCOMPARE(c.handle("UPLOAD:03").line, readBack);
}

void TestSimCore::programLimit_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<int>("limit");
    QTest::newRow("one axis holds 100") << 1 << 100;
    QTest::newRow("two axes hold 200") << 2 << 200;
    QTest::newRow("three axes hold 200") << 3 << 200;
}

void TestSimCore::programLimit() {
    QFETCH(int, axes);
    QFETCH(int, limit);
    Controller c(axes, testDefs());
    const QByteArray step = stepTextFor(everyCommand().front(), axes).toLatin1();
    QCOMPARE(c.handle("LOAD:15").line, QByteArray("OK"));
    for (int i = 0; i < limit; ++i)
        QCOMPARE(c.handle(step).line, QByteArray("OK"));
    QCOMPARE(c.handle(step).line, QByteArray("!4"));
    QCOMPARE(c.handle("PGWRT:").line, QByteArray("OK"));
    QCOMPARE(c.handle("CHINF:15").line, "L" + QByteArray::number(limit));
}

void TestSimCore::transcript_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("transcript");
    auto row = [](const char* name, int axes, const char* t) {
        QTest::newRow(name) << axes << QString::fromLatin1(t);
    };
    row("connection check", 3, "> ?:\n< OK\n> CHINF:01\n< N");
    row("channel numbers", 2,
        "> CHINF:00\n< !3\n> CHINF:16\n< !3\n> CHINF:1\n< !3\n> CHINF:99\n< !3\n"
        "> LOAD:00\n< !3\n> LOAD:100\n< !3\n> UPLOAD:16\n< !3\n> Z:1\n< !3\n> CHINF:15\n< N");
    row("download and channel state", 3,
        "> LOAD:05\n< OK\n> AGO:A1000|AGO:B2000|U00:\n< OK\n> U01:07\n< OK\n> PGWRT:\n< OK\n"
        "> REMOTE:\n< OK\n> CHINF:05\n< L2\n> CHINF:04\n< N");
    row("malformed step refused, transfer goes on", 2,
        "> LOAD:01\n< OK\n> AGO:A1000\n< !1\n> AGO:A1000|AGO:C1\n< !1\n> AGO:A1|U00:\n< OK\n"
        "> PGWRT:\n< OK\n> CHINF:01\n< L1");
    row("PGWRT without LOAD", 1, "> PGWRT:\n< !5");
    row("step without LOAD", 1, "> AGO:A1000\n< !5\n> U00:\n< !5");
    row("abandoned transfer is not stored", 1,
        "> LOAD:02\n< OK\n> H:A\n< OK\n> CHINF:02\n< N\n> PGWRT:\n< !5\n> CHINF:02\n< N");
    row("second download replaces the program", 1,
        "> LOAD:03\n< OK\n> H:A\n< OK\n> H:A\n< OK\n> PGWRT:\n< OK\n> CHINF:03\n< L2\n"
        "> LOAD:03\n< OK\n> W:5\n< OK\n> PGWRT:\n< OK\n> CHINF:03\n< L1\n"
        "> UPLOAD:03\n< W:+00000005\n>\n<");
    row("empty download clears the channel", 1,
        "> LOAD:03\n< OK\n> H:A\n< OK\n> PGWRT:\n< OK\n> LOAD:03\n< OK\n> PGWRT:\n< OK\n"
        "> CHINF:03\n< N");
    row("upload of an empty channel ends at once", 2, "> UPLOAD:09\n<\n>\n< !5");
    row("NG aborts the upload", 1,
        "> LOAD:01\n< OK\n> H:A\n< OK\n> H:A\n< OK\n> PGWRT:\n< OK\n> UPLOAD:01\n< H:A\n"
        "> NG:\n< OK\n>\n< !5");
    row("another request ends the upload", 1,
        "> LOAD:01\n< OK\n> H:A\n< OK\n> H:A\n< OK\n> PGWRT:\n< OK\n> UPLOAD:01\n< H:A\n"
        "> CHINF:01\n< L2\n>\n< !5\n> UPLOAD:01\n< H:A\n>\n< H:A\n>\n<");
    row("run control", 1,
        "> LOAD:99\n< OK\n> Z:05\n< !6\n> LOAD:05\n< OK\n> H:A\n< OK\n> PGWRT:\n< OK\n"
        "> LOAD:99\n< OK\n> Z:05\n< OK\n> LOAD:99\n< OK\n> U07:\n< OK");
    row("unknown requests", 1,
        "> HELLO\n< !0\n> ?:x\n< !0\n> REMOTE:1\n< !0\n> X:2\n< !0\n> f:\n< !0");
    row("probe field count by axes, one axis", 1, "> P:01R\n< 0");
    row("probe field count by axes, two axes", 2, "> P:01R\n< 0,0");
    row("probe field count by axes, three axes", 3, "> P:01R\n< 0,0,0,0");
    row("read forms and defaults", 3,
        "> P:11R\n< +00000000,+00000000,+00000000,0\n> P:04R\n< 07\n> P:22R\n< 005\n"
        "> P:53R\n< 0,0,0,0\n> P:90R\n< 00\n> P:12R\n< 0,0,0,0\n> P:30R\n< 0,0,0,0");
    row("read number out of range", 2, "> P:00R\n< !2\n> P:100R\n< !2");
    row("per-axis write, three axes", 3,
        "> X:1\n< OK\n> P:11A+00001000B-00000020C+00000000\n< OK\n"
        "> P:11R\n< +00001000,-00000020,+00000000,0");
    row("per-axis write of fewer axes keeps the rest", 3,
        "> P:01A1B2C0\n< OK\n> P:01A2B1\n< OK\n> P:01R\n< 2,1,0,0");
    row("common writes", 2,
        "> P:04,42\n< OK\n> P:04R\n< 42\n> P:22,250000\n< OK\n> P:22R\n< 250000\n"
        "> P:90,60\n< OK\n> P:90R\n< 60\n> P:53,3,1,2,1\n< OK\n> P:53R\n< 3,1,2,1");
    row("write to an unused parameter", 2, "> P:12A5B6\n< OK\n> P:12R\n< 5,6");
    row("writes refused", 2,
        "> P:04A07\n< !2\n> P:11,+00000001\n< !2\n> P:90,61\n< !2\n> P:01A3B0\n< !2\n"
        "> P:53,4,0,0,0\n< !2\n> P:53,1,0,2\n< !2\n> P:11\n< !2\n> P:04,\n< !2\n"
        "> P:11B+00000001\n< !2\n> P:11A+00000001B+00000002C+00000003\n< !2\n"
        "> P:11A1000\n< !2\n> P:04,7\n< !2\n> P:00,1\n< !2\n> P:11A+00000001\n< OK");
    row("flash store", 1, "> F:\n< OK");
}

void TestSimCore::transcript() {
    QFETCH(int, axes);
    QFETCH(QString, transcript);
    Controller c(axes, testDefs());
    runTranscript(c, transcript);
}

void TestSimCore::flashAndState() {
    Controller c(2, testDefs());
    c.setFlashDelayMs(250);
    runTranscript(c, QStringLiteral("> P:04,11\n< OK\n> LOAD:02\n< OK\n"
                                    "> AGO:A1|AGO:B2\n< OK\n> PGWRT:\n< OK"));
    QJsonObject saved = c.saveState();
    {
        Controller fresh(2, testDefs());
        QStringList warnings;
        fresh.loadState(saved, &warnings);
        QVERIFY(warnings.isEmpty());
        QCOMPARE(fresh.channel(2).steps, c.channel(2).steps);
        // Without F: the write lives in working memory only.
        runTranscript(fresh, QStringLiteral("> P:04R\n< 07\n> UPLOAD:02\n"
                                            "< AGO:A+00000001|AGO:B+00000002"));
    }
    const Response flash = c.handle("F:");
    QCOMPARE(flash.line, QByteArray("OK"));
    QCOMPARE(flash.extraDelayMs, 250);
    QVERIFY(flash.stateChanged);
    saved = c.saveState();
    Controller fresh(2, testDefs());
    QStringList warnings;
    fresh.loadState(saved, &warnings);
    runTranscript(fresh, QStringLiteral("> P:04R\n< 11\n> CHINF:02\n< L1"));
}

void TestSimCore::stateFromOtherAxisCount() {
    Controller three(3, testDefs());
    runTranscript(three, QStringLiteral("> LOAD:01\n< OK\n> H:A|H:B|H:C\n< OK\n> PGWRT:\n< OK\n"
                                        "> P:90,09\n< OK\n> F:\n< OK"));
    Controller one(1, testDefs());
    QStringList warnings;
    one.loadState(three.saveState(), &warnings);
    QCOMPARE(warnings.size(), 1);
    runTranscript(one, QStringLiteral("> CHINF:01\n< N\n> P:90R\n< 09"));
}

void TestSimCore::definitions_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("param");
    QTest::addColumn<bool>("perAxis");
    QTest::addColumn<bool>("used");
    QTest::newRow("per-axis used") << kDefs << true << 11 << true << true;
    QTest::newRow("common used") << kDefs << true << 90 << false << true;
    QTest::newRow("per-axis unused") << kDefs << true << 12 << true << false;
    QTest::newRow("not mentioned: per-axis, unused") << kDefs << true << 40 << true << false;
    QTest::newRow("LF line ends") << QByteArray("P.DAT\n7,1,1,x,0,1,0,\n") << true << 7 << false
                                  << true;
    QTest::newRow("kind with blank counts as common")
        << QByteArray("P.DAT\r\n7, 0,1,x,0,1,0,\r\n") << true << 7 << false << true;
    QTest::newRow("only the first line") << QByteArray("P.DAT\r\n") << true << 5 << true << false;
    QTest::newRow("nine fields") << QByteArray("P.DAT\r\n7,0,1,x,0,1,0,,\r\n") << false << 0
                                 << false << false;
    QTest::newRow("empty line") << QByteArray("P.DAT\r\n\r\n7,0,1,x,0,1,0,\r\n") << false << 0
                                << false << false;
    QTest::newRow("number 100") << QByteArray("P.DAT\r\n100,0,1,x,0,1,0,\r\n") << false << 0
                                << false << false;
    QTest::newRow("number not a number")
        << QByteArray("P.DAT\r\nx,0,1,x,0,1,0,\r\n") << false << 0 << false << false;
    QTest::newRow("empty file") << QByteArray() << false << 0 << false << false;
}

void TestSimCore::definitions() {
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(int, param);
    QFETCH(bool, perAxis);
    QFETCH(bool, used);
    ParamDefs d;
    QString why;
    QCOMPARE(ParamDefs::parse(text, &d, &why), ok);
    if (!ok) {
        QVERIFY(!why.isEmpty());
        return;
    }
    QCOMPARE(d.def(param).perAxis, perAxis);
    QCOMPARE(d.def(param).used, used);
}

void TestSimCore::faultOption_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("selects");
    QTest::addColumn<QByteArray>("skips");
    using K = Fault::Kind;
    auto row = [](const char* name, const char* option, bool ok, K kind, const char* text,
                  int number, const char* sel, const char* skip) {
        QTest::newRow(name) << QString::fromLatin1(option) << ok << int(kind) << QByteArray(text)
                            << number << QByteArray(sel) << QByteArray(skip);
    };
    row("default error by number", "error@3", true, K::Error, "!0", 3, "", "");
    row("error digit by text", "error=7@CHINF:01", true, K::Error, "!7", 1, "CHINF:01", "CHINF:02");
    row("bare error mark", "error=@LOAD:99", true, K::Error, "!", 1, "LOAD:99", "LOAD:9");
    row("reply by prefix", "reply=L12@CHINF:*", true, K::Reply, "L12", 1, "CHINF:05", "LOAD:05");
    row("empty request", "noreply@", true, K::NoReply, "", 1, "", "?:");
    row("split", "split=2,10@?:", true, K::Split, "", 1, "?:", "?:x");
    row("every request", "split=1,0@*", true, K::Split, "", 1, "", "-");
    row("hang-up", "hangup@PGWRT:", true, K::Hangup, "", 1, "PGWRT:", "REMOTE:");
    row("garbage", "garbage=4@2", true, K::Garbage, "", 2, "", "");
    row("corrupt a step", "corrupt@AGO:*", true, K::Corrupt, "", 1, "AGO:A5", "BGO:A5");
    row("corrupt takes no argument", "corrupt=1@3", false, K::Error, "", 0, "", "");
    row("no selector", "error", false, K::Error, "", 0, "", "");
    row("unknown action", "explode@1", false, K::Error, "", 0, "", "");
    row("request number zero", "error@0", false, K::Error, "", 0, "", "");
    row("split of zero bytes", "split=0@1", false, K::Error, "", 0, "", "");
    row("delay without time", "delay@1", false, K::Error, "", 0, "", "");
}

void TestSimCore::faultOption() {
    QFETCH(QString, option);
    QFETCH(bool, ok);
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    QFETCH(QByteArray, selects);
    QFETCH(QByteArray, skips);
    Fault f;
    QString why;
    QCOMPARE(parseFault(option, &f, &why), ok);
    if (!ok)
        return;
    QCOMPARE(int(f.kind), kind);
    if (!text.isEmpty())
        QCOMPARE(f.text, text);
    if (f.requestNo > 0) {
        QVERIFY(f.selects(number, "anything"));
        QVERIFY(!f.selects(number + 1, "anything"));
    } else {
        QVERIFY(f.selects(number, selects));
        QVERIFY(skips == "-" || !f.selects(number, skips));
    }
}

void TestSimCore::requestLines() {
    RequestAssembler a;
    // CR at the end of one chunk, LF at the start of the next: one request, never two.
    for (char ch : QByteArray("CHINF:01\r"))
        a.feed(ch);
    QVERIFY(!a.hasLine());
    for (char ch : QByteArray("\n\r\nP:0"))
        a.feed(ch);
    QCOMPARE(a.takeLine(), QByteArray("CHINF:01"));
    QCOMPARE(a.takeLine(), QByteArray());
    QVERIFY(!a.hasLine());
    QCOMPARE(a.pending(), QByteArray("P:0"));
    // An endless line is dropped whole; the next request is intact.
    for (int i = 0; i < RequestAssembler::kMaxLine * 3; ++i)
        a.feed('x');
    for (char ch : QByteArray("\r\n?:\r\n"))
        a.feed(ch);
    QCOMPARE(a.takeLine(), QByteArray("?:"));
    QCOMPARE(a.droppedLines(), 1);
    QVERIFY(!a.hasLine());
    QCOMPARE(noiseBytes(64).size(), 64);
    QVERIFY(!noiseBytes(64).contains('\r') && !noiseBytes(64).contains('\n'));
}

QTEST_GUILESS_MAIN(TestSimCore)
#include "test_sim_core.moc"
