#include "korvel/model/uploadbuffer.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "testenv.h"

#include <QTest>
#include <memory>
#include <vector>

namespace {

// Stands in for the main window: makes plain documents and keeps them.
class DocMaker : public ProgramWindowMaker {
public:
    ProgramDoc* makeNewForm(int iAxisNum) override {
        docs.push_back(std::make_unique<ProgramDoc>(RunConfig::maxSteps()));
        docs.back()->setAxis(iAxisNum);
        docs.back()->setDocNo(static_cast<int>(docs.size()));
        return docs.back().get();
    }
    void discardForm(ProgramDoc*) override {}
    std::vector<std::unique_ptr<ProgramDoc>> docs;
};

QString values(const UploadRecord& r) {
    QStringList v;
    for (int k = 1; k <= cmdValueCount(r.command); ++k)
        v << r.values[static_cast<size_t>(k)];
    return QString::number(r.command) + QLatin1Char(':') + v.join(QLatin1Char(','));
}

} // namespace

class TestUploadBuffer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void element_data();
    void element();
    void line_data();
    void line();
    void refusedLineDoesNotAdvance();
    void stepLimit_data();
    void stepLimit();
    void finishBuildsWindow();
    void finishEmpty();
    void beginResetsFillerOnly();

private:
    std::unique_ptr<ScratchAppDir> m_app;
};

void TestUploadBuffer::initTestCase() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestUploadBuffer::element_data() {
    QTest::addColumn<QString>("element");
    // "" when refused, else "command:values".
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* element, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(element) << QString::fromUtf8(expected);
    };
    row("AGO plus, zeros dropped", "AGO:A+00001000", "1:1000");
    row("AGO minus", "AGO:B-00000500", "1:-500");
    row("AGO axis letter not examined", "AGO:Z+00000001", "1:1");
    row("AGO zero", "AGO:A+00000000", "1:0");
    row("AGO decimal point", "AGO:A+0001.500", "1:1.5");
    row("AGO blanks aside", "AGO:A+  001000", "1:1000");
    row("AGO short", "AGO:A+1000", "");
    row("AGO long", "AGO:A+000001000", "");
    row("AGO letters", "AGO:A+0000x000", "");
    row("AGO two signs", "AGO:A+-0001000", "");
    row("lower case code", "ago:A+00001000", "");
    row("BGO", "BGO:A+00000100", "2:100");
    row("MGO", "MGO:C-00000002", "3:-2");
    row("H", "H:A", "4:");
    row("H long", "H:AB", "");
    row("P axis parameter", "P:11A+00001000", "5:11,1000");
    row("P common parameter", "P:90,+00000005", "5:90,5");
    row("P leading zero", "P:04A+00000003", "5:4,3");
    row("P 53", "P:53,1,0,2,1", "5:53,1021");
    row("P 53 four fields", "P:53,1,0,2", "");
    row("P 53 six fields", "P:53,1,0,2,1,1", "");
    row("P 53 with length 14", "P:53A+00001000", "");
    row("P 53 letter field", "P:53,1,x,2,1", "");
    row("P number not numeric", "P:1xA+00001000", "");
    row("P short", "P:11A+0001000", "");
    row("D", "D:A00000010,00600000,000100", "6:10,600000,100");
    row("D two fields", "D:A00000010,006000000000100", "");
    row("D short", "D:A00000010,00600000,00100", "");
    row("R", "R:A-00000500", "7:-500");
    row("R long", "R:A-000000500", "");
    row("C", "C:0120", "8:0,1,2,0");
    row("C letter", "C:01x0", "");
    row("C short", "C:012", "");
    row("S", "S:A05", "9:5");
    row("S letter", "S:Ax5", "");
    row("U00", "U00:", "10:");
    row("U00 long", "U00:0", "");
    row("U01", "U01:0007", "11:7");
    row("U01 short", "U01:007", "");
    row("U02", "U02:A,1,05", "12:A,1,5");
    row("U02 any length", "U02:B12,+001,0005", "12:B12,1,5");
    // The letter value must be one a program file holds and reads back as the same step.
    row("U02 letter in lower case", "U02:d,1,05", "12:d,1,5");
    row("U02 two letters", "U02:AB,1,05", "");
    row("U02 letter and sign", "U02:B#,1,05", "");
    row("U02 letter and letter", "U02:Bw,1,05", "");
    row("U02 letter beyond F", "U02:W,1,05", "");
    row("U02 a code as letter", "U02:U04,1,05", "");
    row("U02 blank before letter", "U02: B,1,05", "");
    row("U02 empty letter", "U02:,1,05", "");
    row("U02 two fields", "U02:A,1", "");
    row("U02 non-numeric", "U02:A,x,05", "");
    row("U03", "U03:0003,000000100", "13:3,100");
    row("U03 three fields", "U03:0003,00000,100", "");
    row("U04", "U04:", "14:");
    row("U99", "U99:", "15:");
    row("U05 unknown", "U05:", "");
    row("W", "W:+00000010", "16:10");
    row("W short", "W:+0000010", "");
    row("comment", "#:hello, world", "17:hello, world");
    row("comment empty", "#:", "17:");
    row("no colon", "AGO", "");
    row("colon first", ":A+00001000", "");
    row("empty", "", "");
    row("unknown code", "X:A", "");
}

void TestUploadBuffer::element() {
    QFETCH(QString, element);
    QFETCH(QString, expected);
    int cmd = 0;
    ValueArray v;
    const bool ok = UploadBuffer::convertUploadElement(element, &cmd, &v);
    if (expected.isEmpty()) {
        QVERIFY2(!ok, qPrintable(v.join(QLatin1Char(','))));
        return;
    }
    QVERIFY(ok);
    QCOMPARE(v.value(0), QString::number(cmd));
    QCOMPARE(QString::number(cmd) + QLatin1Char(':') + v.mid(1).join(QLatin1Char(',')), expected);
    QCOMPARE(v.size() - 1, cmdValueCount(cmd));
}

void TestUploadBuffer::line_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("line");
    // axis records after the line, "" when refused
    QTest::addColumn<QStringList>("records");
    QTest::newRow("two axes") << 2 << QStringLiteral("AGO:A+00001000|AGO:B-00000500")
                              << QStringList{QStringLiteral("1:1000"), QStringLiteral("1:-500"),
                                             QStringLiteral("10:")};
    QTest::newRow("U01 copied to every axis")
        << 3 << QStringLiteral("U01:0005")
        << QStringList{QStringLiteral("11:5"), QStringLiteral("11:5"), QStringLiteral("11:5")};
    QTest::newRow("comment copied")
        << 3 << QStringLiteral("#:a b")
        << QStringList{QStringLiteral("17:a b"), QStringLiteral("17:a b"),
                       QStringLiteral("17:a b")};
    QTest::newRow("rest after all-axes command ignored")
        << 3 << QStringLiteral("U04:|junk")
        << QStringList{QStringLiteral("14:"), QStringLiteral("14:"), QStringLiteral("14:")};
    QTest::newRow("one element keeps filler")
        << 3 << QStringLiteral("R:A-00000500")
        << QStringList{QStringLiteral("7:-500"), QStringLiteral("10:"), QStringLiteral("10:")};
    QTest::newRow("position decides axis")
        << 3 << QStringLiteral("U00:|AGO:A+00000007")
        << QStringList{QStringLiteral("10:"), QStringLiteral("1:7"), QStringLiteral("10:")};
    QTest::newRow("three elements")
        << 3 << QStringLiteral("H:A|S:B10|P:90,+00000005")
        << QStringList{QStringLiteral("4:"), QStringLiteral("9:10"), QStringLiteral("5:90,5")};
    QTest::newRow("four elements refused")
        << 3 << QStringLiteral("H:A|H:B|H:C|H:D") << QStringList();
    QTest::newRow("bad second element refused")
        << 3 << QStringLiteral("H:A|ago:B+00000001") << QStringList();
    QTest::newRow("empty element refused") << 2 << QStringLiteral("H:A|") << QStringList();
}

void TestUploadBuffer::line() {
    QFETCH(int, type);
    QFETCH(QString, line);
    QFETCH(QStringList, records);
    RunConfig::setControllerType(type);
    UploadBuffer b;
    b.beginUpload(3);
    QCOMPARE(b.axisCount(), type);
    QCOMPARE(b.storeUploadLine(line), !records.isEmpty());
    if (records.isEmpty()) {
        QCOMPARE(b.nextStep(), 1);
        return;
    }
    QCOMPARE(b.nextStep(), 2);
    for (int a = 1; a <= 3; ++a)
        QCOMPARE(values(b.record(1, a)), records.at(a - 1));
}

void TestUploadBuffer::refusedLineDoesNotAdvance() {
    RunConfig::setControllerType(3);
    UploadBuffer b;
    b.beginUpload(1);
    QVERIFY(b.storeUploadLine(QStringLiteral("H:A")));
    QVERIFY(!b.storeUploadLine(QStringLiteral("AGO:A+00000001|AGO:B+1")));
    QCOMPARE(b.nextStep(), 2);
    // Nothing of the refused line is left for the step it would have filled.
    QCOMPARE(b.record(2, 1).command, int(Cmd::Filler));
    QVERIFY(b.storeUploadLine(QStringLiteral("W:+00000010")));
    QCOMPARE(values(b.record(2, 1)), QStringLiteral("16:10"));
    QCOMPARE(b.nextStep(), 3);
}

void TestUploadBuffer::stepLimit_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("accepted");
    QTest::addColumn<int>("windowSteps");
    QTest::newRow("one axis, 150 lines kept as 100") << 1 << 150 << 150 << 100;
    QTest::newRow("one axis, 100 lines") << 1 << 100 << 100 << 100;
    QTest::newRow("two axes, 201st refused") << 2 << 201 << 200 << 200;
    QTest::newRow("three axes, 200 lines") << 3 << 200 << 200 << 200;
}

void TestUploadBuffer::stepLimit() {
    QFETCH(int, type);
    QFETCH(int, lines);
    QFETCH(int, accepted);
    QFETCH(int, windowSteps);
    RunConfig::setControllerType(type);
    UploadBuffer b;
    b.beginUpload(1);
    int stored = 0;
    for (int i = 0; i < lines; ++i) {
        if (b.storeUploadLine(QStringLiteral("AGO:A+%1").arg(i, 8, 10, QLatin1Char('0'))))
            ++stored;
    }
    QCOMPARE(stored, accepted);
    DocMaker maker;
    ProgramDoc* doc = b.finishUpload(maker);
    QVERIFY(doc);
    QCOMPARE(doc->getStep(), windowSteps);
    QCOMPARE(doc->getProgCell(1, windowSteps).value(1), QString::number(windowSteps - 1));
}

void TestUploadBuffer::finishBuildsWindow() {
    RunConfig::setControllerType(2);
    UploadBuffer b;
    b.beginUpload(4);
    QVERIFY(b.storeUploadLine(QStringLiteral("AGO:A+00001000|AGO:B-00000500")));
    QVERIFY(b.storeUploadLine(QStringLiteral("U01:0005")));
    QVERIFY(b.storeUploadLine(QStringLiteral("P:53,1,0,2,1|H:B")));
    DocMaker maker;
    ProgramDoc* doc = b.finishUpload(maker);
    QVERIFY(doc);
    QCOMPARE(maker.docs.size(), size_t(1));
    QCOMPARE(doc->getAxis(), 2);
    QCOMPARE(doc->getStep(), 3);
    QVERIFY(!doc->getDirty());
    QCOMPARE(doc->getSendStep(1), QStringLiteral("AGO:A1000|AGO:B-500"));
    QCOMPARE(doc->cellCommand(1, 2), 11);
    QCOMPARE(doc->cellCommand(2, 2), 11);
    QCOMPARE(doc->getProgCell(2, 2).value(1), QStringLiteral("5"));
    QCOMPARE(doc->getProgCell(1, 3).mid(1),
             (QStringList{QStringLiteral("53"), QStringLiteral("1021")}));
    QCOMPARE(doc->cellCommand(2, 3), 4);
    QCOMPARE(doc->currentStep(), 3);
}

void TestUploadBuffer::finishEmpty() {
    RunConfig::setControllerType(3);
    UploadBuffer b;
    b.beginUpload(1);
    DocMaker maker;
    ProgramDoc* doc = b.finishUpload(maker);
    QVERIFY(doc);
    QCOMPARE(doc->getStep(), 0);
    QCOMPARE(doc->getAxis(), 3);
    QCOMPARE(doc->currentStep(), 1);
    QCOMPARE(doc->currentCol(), 1);
}

void TestUploadBuffer::beginResetsFillerOnly() {
    RunConfig::setControllerType(3);
    UploadBuffer b;
    b.beginUpload(1);
    QVERIFY(b.storeUploadLine(QStringLiteral("W:+00000010|W:+00000020")));
    b.beginUpload(2);
    QCOMPARE(b.channel(), 2);
    QCOMPARE(b.nextStep(), 1);
    QCOMPARE(b.record(1, 1).command, int(Cmd::Filler));
    QCOMPARE(b.record(1, 2).command, int(Cmd::Filler));
    // An empty upload after a full one shows nothing of the earlier program.
    DocMaker maker;
    QCOMPARE(b.finishUpload(maker)->getStep(), 0);
}

QTEST_GUILESS_MAIN(TestUploadBuffer)
#include "test_uploadbuffer.moc"
