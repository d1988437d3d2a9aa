#include "shared/numbers.h"

#include <QTest>

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numericValue_data();
    void numericValue();
    void plainForm_data();
    void plainForm();
    void languageNumber_data();
    void languageNumber();
};

void TestNumbers::numericValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "42" << 42.0;
    QTest::newRow("leading blanks") << "   7" << 7.0;
    QTest::newRow("plus sign") << "+5" << 5.0;
    QTest::newRow("minus sign") << "-12" << -12.0;
    QTest::newRow("decimal") << "1.25" << 1.25;
    QTest::newRow("point without int part") << ".5" << 0.5;
    QTest::newRow("stops at second point") << "1.2.3" << 1.2;
    QTest::newRow("stops at second sign") << "5-" << 5.0;
    QTest::newRow("stops at letter") << "12abc" << 12.0;
    QTest::newRow("no exponent") << "1e3" << 1.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
}

void TestNumbers::numericValue() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Numbers::numericValue(text), value);
}

void TestNumbers::plainForm_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::newRow("plus dropped") << "+5"
                                  << "5";
    QTest::newRow("leading zeros") << "007"
                                   << "7";
    QTest::newRow("trailing frac zeros") << "1.50"
                                         << "1.5";
    QTest::newRow("negative zero") << "-0"
                                   << "0";
    QTest::newRow("point first") << ".5"
                                 << "0.5";
    QTest::newRow("two points") << "1.2.3"
                                << "1.2";
    QTest::newRow("empty") << ""
                           << "0";
    QTest::newRow("whole with point") << "12."
                                      << "12";
    QTest::newRow("negative") << "-0012.300"
                              << "-12.3";
    QTest::newRow("big exact") << "123456789012345678"
                               << "123456789012345678";
}

void TestNumbers::plainForm() {
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QCOMPARE(Numbers::plainForm(text), plain);
}

void TestNumbers::languageNumber_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("languageNo");
    QTest::newRow("none") << "" << 0;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("01") << "01" << 1;
    QTest::newRow("1.4 rounds down") << "1.4" << 1;
    QTest::newRow("0.5 rounds to even 0") << "0.5" << 0;
    QTest::newRow("0.6 rounds up") << "0.6" << 1;
    QTest::newRow("1.5 rounds to even 2") << "1.5" << 0;
    QTest::newRow("2") << "2" << 0;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("0.4") << "0.4" << 0;
    QTest::newRow("blank then 1") << " 1" << 1;
}

void TestNumbers::languageNumber() {
    QFETCH(QString, argument);
    QFETCH(int, languageNo);
    QCOMPARE(Numbers::languageNumberFromArgument(argument), languageNo);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
