#include "baxwin/parcoding.h"

#include <QTest>

#include <initializer_list>

namespace {
QStringList sl(std::initializer_list<const char*> items) {
    QStringList l;
    for (const char* i : items)
        l.append(QString::fromUtf8(i));
    return l;
}
} // namespace

class TestParCoding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestTexts();
    void errorReplyKey_data();
    void errorReplyKey();
    void axisCountFromProbe_data();
    void axisCountFromProbe();
    void decodeReadReply_data();
    void decodeReadReply();
    void encodeWrite_data();
    void encodeWrite();
};

void TestParCoding::requestTexts() {
    QCOMPARE(ParCoding::wakeText(), QStringLiteral("?:\r\n"));
    QCOMPARE(ParCoding::probeText(), QStringLiteral("P:01R\r\n"));
    QCOMPARE(ParCoding::readText(7), QStringLiteral("P:07R\r\n"));
    QCOMPARE(ParCoding::readText(53), QStringLiteral("P:53R\r\n"));
    QCOMPARE(ParCoding::writeStartText(), QStringLiteral("X:1\r\n"));
    QCOMPARE(ParCoding::flashStoreText(), QStringLiteral("F:\r\n"));
}

void TestParCoding::errorReplyKey_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("key");
    QTest::newRow("bang alone") << "!"
                                << "Mes018";
    QTest::newRow("bang 0") << "!0"
                            << "Mes009";
    QTest::newRow("bang 1") << "!1"
                            << "Mes010";
    QTest::newRow("bang 5") << "!5"
                            << "Mes014";
    QTest::newRow("bang 8") << "!8"
                            << "Mes017";
    QTest::newRow("bang 9") << "!9"
                            << "Mes018";
    QTest::newRow("bang letter") << "!x"
                                 << "Mes018";
    QTest::newRow("three characters") << "!12"
                                      << "";
    QTest::newRow("OK") << "OK"
                        << "";
    QTest::newRow("empty line") << ""
                                << "";
    QTest::newRow("bang second") << "1!"
                                 << "";
}

void TestParCoding::errorReplyKey() {
    QFETCH(QString, line);
    QFETCH(QString, key);
    QCOMPARE(ParCoding::errorReplyKey(line), key);
}

void TestParCoding::axisCountFromProbe_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("two fields") << "1,0" << 0 << 2;
    QTest::newRow("four fields") << "1,0,0,0" << 2 << 3;
    QTest::newRow("six fields") << "1,0,0,0,0,0" << 0 << 3;
    QTest::newRow("one field: one axis") << "1" << 0 << 1;
    QTest::newRow("one field after three") << "500" << 3 << 1;
    QTest::newRow("three fields keep 2") << "1,0,0" << 2 << 2;
    QTest::newRow("five fields keep 3") << "1,2,3,4,5" << 3 << 3;
    QTest::newRow("OK keeps") << "OK" << 3 << 3;
}

void TestParCoding::axisCountFromProbe() {
    QFETCH(QString, reply);
    QFETCH(int, before);
    QFETCH(int, after);
    QCOMPARE(ParCoding::axisCountFromProbe(reply, before), after);
}

void TestParCoding::decodeReadReply_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("stored"); // axes 1..3 afterwards, "-" = untouched
    const QStringList untouched = sl({"-", "-", "-"});
    QTest::newRow("per-axis two fields")
        << 8 << 0 << 2 << "100,200" << true << sl({"100", "200", "-"});
    QTest::newRow("per-axis three fields takes two")
        << 8 << 0 << 3 << "10,20,30" << true << sl({"10", "20", "-"});
    QTest::newRow("per-axis four fields takes three")
        << 8 << 0 << 3 << "10,20,30,0" << true << sl({"10", "20", "30"});
    QTest::newRow("per-axis plain form")
        << 11 << 0 << 3 << "+00001500,-00000020,007,0" << true << sl({"1500", "-20", "7"});
    QTest::newRow("per-axis with 0 axes still stored")
        << 8 << 0 << 0 << "5,6" << true << sl({"5", "6", "-"});
    QTest::newRow("per-axis one field refused") << 8 << 0 << 3 << "100" << false << untouched;
    QTest::newRow("per-axis one axis")
        << 8 << 0 << 1 << "+00000100" << true << sl({"100", "-", "-"});
    QTest::newRow("per-axis one axis takes the first field only")
        << 8 << 0 << 1 << "100,200" << true << sl({"100", "-", "-"});
    QTest::newRow("common one axis") << 60 << 1 << 1 << "3" << true << sl({"3", "-", "-"});
    QTest::newRow("53 one axis") << 53 << 1 << 1 << "1,0,2,1" << true << sl({"1021", "-", "-"});
    QTest::newRow("per-axis empty refused") << 8 << 0 << 3 << "" << false << untouched;
    QTest::newRow("common 012") << 60 << 1 << 3 << "012" << true << sl({"12", "12", "12"});
    QTest::newRow("common -5 two axes") << 60 << 1 << 2 << "-5" << true << sl({"-5", "-5", "-"});
    QTest::newRow("common with 0 axes stores nothing") << 60 << 1 << 0 << "7" << true << untouched;
    QTest::newRow("53 joins four fields")
        << 53 << 1 << 3 << "3,1,2,1" << true << sl({"3121", "3121", "3121"});
    QTest::newRow("53 two axes") << 53 << 1 << 2 << "0,1,0,1" << true << sl({"0101", "0101", "-"});
    QTest::newRow("53 three fields refused") << 53 << 1 << 3 << "3,1,2" << false << untouched;
    QTest::newRow("53 with 0 axes stores nothing")
        << 53 << 1 << 0 << "3,1,2,1" << true << untouched;
}

void TestParCoding::decodeReadReply() {
    QFETCH(int, n);
    QFETCH(int, kind);
    QFETCH(int, axes);
    QFETCH(QString, reply);
    QFETCH(bool, ok);
    QFETCH(QStringList, stored);
    ParValueTable t;
    t.fill(QStringLiteral("-"));
    QCOMPARE(ParCoding::decodeReadReply(n, kind, axes, reply, t), ok);
    for (int a = 1; a <= 3; ++a)
        QCOMPARE(t.at(n, a), stored[a - 1]);
    QCOMPARE(t.at(n == 1 ? 2 : 1, 1), QStringLiteral("-"));
}

void TestParCoding::encodeWrite_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("axes");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("command");
    QTest::newRow("per-axis three axes")
        << 8 << 0 << 3 << sl({"1000", "2000", "3000"}) << "P:08A1000B2000C3000\r\n";
    QTest::newRow("per-axis one axis A only")
        << 4 << 0 << 1 << sl({"7", "12", "0"}) << "P:04A07\r\n";
    QTest::newRow("common one axis") << 60 << 1 << 1 << sl({"2", "", ""}) << "P:60,2\r\n";
    QTest::newRow("per-axis two axes no C")
        << 8 << 0 << 2 << sl({"1000", "2000", "3000"}) << "P:08A1000B2000\r\n";
    QTest::newRow("per-axis text unchanged")
        << 10 << 0 << 2 << sl({"1.50", "+7", ""}) << "P:10A1.50B+7\r\n";
    QTest::newRow("format 00") << 4 << 0 << 3 << sl({"7", "12", "0"}) << "P:04A07B12C00\r\n";
    QTest::newRow("format 00 rounds") << 90 << 1 << 3 << sl({"6.6", "", ""}) << "P:90,07\r\n";
    QTest::newRow("format signed 8")
        << 11 << 0 << 3 << sl({"1000", "-500", "0"}) << "P:11A+00001000B-00000500C+00000000\r\n";
    QTest::newRow("format signed 8 -20")
        << 14 << 0 << 2 << sl({"-20", "1500", ""}) << "P:14A-00000020B+00001500\r\n";
    QTest::newRow("format signed common 73")
        << 73 << 1 << 3 << sl({"-2", "", ""}) << "P:73,-00000002\r\n";
    QTest::newRow("format 000 100") << 22 << 0 << 2 << sl({"100", "5", ""}) << "P:22A100B005\r\n";
    QTest::newRow("format 000 wide") << 22 << 0 << 1 << sl({"250000", "", ""}) << "P:22A250000\r\n";
    QTest::newRow("common uses axis 1") << 60 << 1 << 3 << sl({"1", "0", "0"}) << "P:60,1\r\n";
    QTest::newRow("53 digits") << 53 << 1 << 3 << sl({"3121", "", ""}) << "P:53,3,1,2,1\r\n";
    QTest::newRow("53 short text") << 53 << 1 << 3 << sl({"31", "", ""}) << "P:53,3,1,,\r\n";
    QTest::newRow("53 with 0 axes") << 53 << 1 << 0 << sl({"0101", "", ""}) << "P:53,0,1,0,1\r\n";
    QTest::newRow("common with 0 axes") << 60 << 1 << 0 << sl({"1", "", ""}) << "P:60,\r\n";
    QTest::newRow("per-axis with 0 axes") << 8 << 0 << 0 << sl({"1", "2", "3"}) << "P:08\r\n";
}

void TestParCoding::encodeWrite() {
    QFETCH(int, n);
    QFETCH(int, kind);
    QFETCH(int, axes);
    QFETCH(QStringList, values);
    QFETCH(QString, command);
    ParValueTable t;
    for (int a = 1; a <= 3; ++a)
        t.at(n, a) = values[a - 1];
    QCOMPARE(ParCoding::encodeWrite(n, kind, axes, t), command);
}

QTEST_GUILESS_MAIN(TestParCoding)
#include "test_parcoding.moc"
