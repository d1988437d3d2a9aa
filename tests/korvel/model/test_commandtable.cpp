#include "korvel/model/commandtable.h"
#include "shared/inifile.h"

#include "testenv.h"

#include <QTest>

class TestCommandTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fixedFields_data();
    void fixedFields();
    void namesFromLanguageFile();
    void missingLanguageFileStillBuildsTable();
    void checkValue_data();
    void checkValue();
    void checkTextValue_data();
    void checkTextValue();
    void checkParameterValue_data();
    void checkParameterValue();
    void parameterLimits_data();
    void parameterLimits();
    void defaultValues_data();
    void defaultValues();
    void isParamSettable_data();
    void isParamSettable();
    void speedOrder();

private:
    ScratchAppDir m_app;
};

void TestCommandTable::initTestCase() {
    m_app.useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestCommandTable::fixedFields_data() {
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("valueCount");
    QTest::addColumn<bool>("sentOnce");
    QTest::addColumn<bool>("axisLetter");
    QTest::addColumn<bool>("allAxes");
    QTest::addColumn<bool>("sameInStep");
    QTest::addColumn<QString>("ranges");
    QTest::newRow("1 AGO") << 1 << "AGO:" << 1 << false << true << false << true
                           << "-99999999,99999999";
    QTest::newRow("2 BGO") << 2 << "BGO:" << 1 << false << true << false << true
                           << "-99999999,99999999";
    QTest::newRow("3 MGO") << 3 << "MGO:" << 1 << false << true << false << false
                           << "-99999999,99999999";
    QTest::newRow("4 H") << 4 << "H:" << 0 << false << true << false << false << "";
    QTest::newRow("5 P") << 5 << "P:" << 2 << false << false << false << false
                         << "0,99,-99999999,99999999";
    QTest::newRow("6 D") << 6 << "D:" << 3 << false << true << false << false
                         << "10,600000,10,600000,1,1000";
    QTest::newRow("7 R") << 7 << "R:" << 1 << false << true << false << false
                         << "-99999999,99999999";
    QTest::newRow("8 C") << 8 << "C:" << 4 << false << false << false << false << "0,2,0,2,0,2,0,2";
    QTest::newRow("9 S") << 9 << "S:" << 1 << false << true << false << false << "0,15";
    QTest::newRow("10 U00") << 10 << "U00:" << 0 << false << false << false << false << "";
    QTest::newRow("11 U01") << 11 << "U01:" << 1 << true << false << true << false << "0,199";
    QTest::newRow("12 U02") << 12 << "U02:" << 3 << true << false << true << false
                            << "A1,A0,0,1,0,199";
    QTest::newRow("13 U03") << 13 << "U03:" << 2 << true << false << true << false
                            << "0,199,1,8388607";
    QTest::newRow("14 U04") << 14 << "U04:" << 0 << false << false << true << false << "";
    QTest::newRow("15 U99") << 15 << "U99:" << 0 << false << false << false << false << "";
    QTest::newRow("16 W") << 16 << "W:" << 1 << false << false << false << false << "1,65535";
    QTest::newRow("17 #") << 17 << "#:" << 1 << true << false << true << false << "L0,L45";
}

void TestCommandTable::fixedFields() {
    QFETCH(int, cmd);
    QFETCH(QString, code);
    QFETCH(int, valueCount);
    QFETCH(bool, sentOnce);
    QFETCH(bool, axisLetter);
    QFETCH(bool, allAxes);
    QFETCH(bool, sameInStep);
    QFETCH(QString, ranges);
    QCOMPARE(cmdCode(cmd), code);
    QCOMPARE(commandField(cmd, CommandField::Code), code);
    QCOMPARE(cmdValueCount(cmd), valueCount);
    QCOMPARE(cmdSentOnce(cmd), sentOnce);
    QCOMPARE(cmdAxisLetter(cmd), axisLetter);
    QCOMPARE(cmdAllAxes(cmd), allAxes);
    QCOMPARE(cmdSameInStep(cmd), sameInStep);
    QCOMPARE(commandField(cmd, CommandField::Ranges), ranges);
    // Every value has a label and two range tokens.
    if (valueCount > 0) {
        QCOMPARE(cmdRangeTokens(cmd).size(), 2 * valueCount);
        QCOMPARE(commandField(cmd, CommandField::Labels).split(QLatin1Char(',')).size(),
                 valueCount);
    }
}

void TestCommandTable::namesFromLanguageFile() {
    QCOMPARE(cmdName(1), langFile().GetINIStr(QStringLiteral("Tool"), QStringLiteral("Mes001")));
    QCOMPARE(commandField(6, CommandField::Units), QStringLiteral("[pps],[pps],[ms]"));
    QCOMPARE(commandField(3, CommandField::Units),
             langFile().GetINIStr(QStringLiteral("Tool"), QStringLiteral("Mes203")));
    QCOMPARE(commandField(16, CommandField::Units), QString::fromUtf8("[×100ms]"));
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd)
        QCOMPARE(findCommandByName(cmdName(cmd)), cmd);
    QCOMPARE(findCommandByName(QStringLiteral("no such command")), 0);
}

void TestCommandTable::missingLanguageFileStillBuildsTable() {
    clsIniFile saved = langFile();
    langFile().setINIFile(m_app.file(QStringLiteral("missing.DAT")));
    buildCommandTable();
    QCOMPARE(cmdName(1), QString());
    QCOMPARE(cmdCode(17), QStringLiteral("#:"));
    QCOMPARE(cmdValueCount(6), 3);
    // All names empty: the first command wins a lookup by name.
    QCOMPARE(findCommandByName(QString()), 1);
    langFile() = saved;
    buildCommandTable();
}

void TestCommandTable::checkValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("minToken");
    QTest::addColumn<QString>("maxToken");
    QTest::addColumn<QString>("lastLetter");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("normalised");
    const QString lo = QStringLiteral("-99999999"), hi = QStringLiteral("99999999");
    QTest::newRow("lower bound") << "-99999999" << lo << hi << "C" << false << true << "-99999999";
    QTest::newRow("upper bound") << "99999999" << lo << hi << "C" << false << true << "99999999";
    QTest::newRow("below lower bound") << "-100000000" << lo << hi << "C" << false << false << "";
    QTest::newRow("above upper bound") << "100000000" << lo << hi << "C" << false << false << "";
    QTest::newRow("exponent refused") << "1e3" << lo << hi << "C" << false << false << "";
    QTest::newRow("decimal point refused") << "1.5" << lo << hi << "C" << false << false << "";
    QTest::newRow("leading zeros normalised") << "007" << lo << hi << "C" << false << true << "7";
    QTest::newRow("blanks trimmed") << "  007 " << lo << hi << "C" << false << true << "7";
    QTest::newRow("empty refused") << "" << lo << hi << "C" << false << false << "";
    QTest::newRow("blank only refused") << "   " << lo << hi << "C" << false << false << "";
    QTest::newRow("letter refused") << "x" << lo << hi << "C" << false << false << "";
    QTest::newRow("plus sign refused") << "+5" << lo << hi << "C" << false << false << "";
    QTest::newRow("12-3 reads as 12") << "12-3" << lo << hi << "C" << false << true << "12";
    QTest::newRow("lone minus reads as 0") << "-" << lo << hi << "C" << false << true << "0";
    QTest::newRow("minus zero normalised") << "-0" << lo << hi << "C" << false << true << "0";
    QTest::newRow("long zeros then digit")
        << "0000000000005" << lo << hi << "C" << false << true << "5";
    QTest::newRow("huge digits refused")
        << "99999999999999999999" << lo << hi << "C" << false << false << "";
    QTest::newRow("within small range") << "15"
                                        << "0"
                                        << "15"
                                        << "C" << false << true << "15";
    QTest::newRow("above small range") << "16"
                                       << "0"
                                       << "15"
                                       << "C" << false << false << "";
    // Command 12's first value: a letter, never a number.
    QTest::newRow("letter A dialog") << "A"
                                     << "A1"
                                     << "A0"
                                     << "C" << false << true << "A";
    QTest::newRow("letter C dialog") << "C"
                                     << "A1"
                                     << "A0"
                                     << "C" << false << true << "C";
    QTest::newRow("letter D dialog refused") << "D"
                                             << "A1"
                                             << "A0"
                                             << "C" << false << false << "";
    QTest::newRow("lower a dialog refused") << "a"
                                            << "A1"
                                            << "A0"
                                            << "C" << false << false << "";
    QTest::newRow("B5 sorts as letter") << "B5"
                                        << "A1"
                                        << "A0"
                                        << "C" << false << true << "B5";
    QTest::newRow("number refused for letter value") << "0"
                                                     << "A1"
                                                     << "A0"
                                                     << "C" << false << false << "";
    QTest::newRow("letter D reader") << "D"
                                     << "A1"
                                     << "A0"
                                     << "F" << true << true << "D";
    QTest::newRow("lower d reader") << "d"
                                    << "A1"
                                    << "A0"
                                    << "F" << true << true << "d";
    QTest::newRow("lower f reader") << "f"
                                    << "A1"
                                    << "A0"
                                    << "F" << true << true << "f";
    QTest::newRow("G reader refused") << "G"
                                      << "A1"
                                      << "A0"
                                      << "F" << true << false << "";
}

void TestCommandTable::checkValue() {
    QFETCH(QString, text);
    QFETCH(QString, minToken);
    QFETCH(QString, maxToken);
    QFETCH(QString, lastLetter);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, accepted);
    QFETCH(QString, normalised);
    const ValueCheck r = ::checkValue(text, minToken, maxToken, lastLetter.at(0), ignoreCase);
    QCOMPARE(r.accepted, accepted);
    if (accepted)
        QCOMPARE(r.normalised, normalised);
}

void TestCommandTable::checkTextValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("45 single-byte") << QString(45, QLatin1Char('x')) << true;
    QTest::newRow("46 single-byte") << QString(46, QLatin1Char('x')) << false;
    QTest::newRow("blanks count") << QString(44, QLatin1Char('x')) + QStringLiteral("  ") << false;
    QTest::newRow("Latin-1 accents") << QString::fromUtf8("café ünd") << true;
    QTest::newRow("double-byte character") << QString::fromUtf8("abc原点") << false;
}

void TestCommandTable::checkTextValue() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QCOMPARE(::checkTextValue(text, QStringLiteral("L0"), QStringLiteral("L45")), accepted);
}

void TestCommandTable::checkParameterValue_data() {
    QTest::addColumn<QString>("param");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("53 all zero") << "53"
                                 << "0000" << true;
    QTest::newRow("53 maxima") << "53"
                               << "3121" << true;
    QTest::newRow("53 first digit 4") << "53"
                                      << "4000" << false;
    QTest::newRow("53 second digit 2") << "53"
                                       << "0200" << false;
    QTest::newRow("53 third digit 3") << "53"
                                      << "0030" << false;
    QTest::newRow("53 fourth digit 2") << "53"
                                       << "0002" << false;
    QTest::newRow("53 three characters") << "53"
                                         << "312" << false;
    QTest::newRow("53 five characters") << "53"
                                        << "31210" << false;
    QTest::newRow("53 trimmed") << "53"
                                << " 3121 " << true;
    QTest::newRow("53 non-digit reads 0") << "53"
                                          << "x1x1" << true;
    QTest::newRow("22 at maximum") << "22"
                                   << "250000" << true;
    QTest::newRow("22 above maximum") << "22"
                                      << "250001" << false;
    QTest::newRow("8 below minimum") << "8"
                                     << "5" << false;
    QTest::newRow("8 at minimum") << "8"
                                  << "10" << true;
    QTest::newRow("11 negative") << "11"
                                 << "-500" << true;
    QTest::newRow("25 minus one") << "25"
                                  << "-1" << true;
    QTest::newRow("25 minus two") << "25"
                                  << "-2" << false;
    QTest::newRow("leading zeros in number") << "05"
                                             << "3" << true;
    QTest::newRow("30 zero only") << "30"
                                  << "1" << false;
    QTest::newRow("outside table") << "100"
                                   << "0" << false;
}

void TestCommandTable::checkParameterValue() {
    QFETCH(QString, param);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QCOMPARE(::checkParameterValue(param, value), accepted);
}

void TestCommandTable::parameterLimits_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::newRow("0") << 0 << "0"
                       << "0";
    QTest::newRow("3") << 3 << "0"
                       << "9";
    QTest::newRow("9") << 9 << "10"
                       << "500000";
    QTest::newRow("20") << 20 << "1"
                        << "1000000";
    QTest::newRow("28") << 28 << "0"
                        << "0";
    QTest::newRow("50") << 50 << "0"
                        << "0";
    QTest::newRow("56") << 56 << "0"
                        << "1";
    QTest::newRow("73") << 73 << "-2"
                        << "99999999";
    QTest::newRow("79") << 79 << "0"
                        << "0";
    QTest::newRow("90") << 90 << "0"
                        << "60";
    QTest::newRow("91") << 91 << "0"
                        << "2";
    QTest::newRow("99") << 99 << "0"
                        << "0";
}

void TestCommandTable::parameterLimits() {
    QFETCH(int, n);
    QFETCH(QString, min);
    QFETCH(QString, max);
    QCOMPARE(getParamMin(n), min);
    QCOMPARE(getParamMax(n), max);
}

void TestCommandTable::defaultValues_data() {
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("1") << 1 << QStringList{QString(), QStringLiteral("0")};
    QTest::newRow("4 no values") << 4 << QStringList{QString()};
    QTest::newRow("5") << 5 << QStringList{QString(), QStringLiteral("0"), QStringLiteral("0")};
    QTest::newRow("6") << 6
                       << QStringList{QString(), QStringLiteral("10"), QStringLiteral("10"),
                                      QStringLiteral("1")};
    QTest::newRow("12") << 12
                        << QStringList{QString(), QStringLiteral("A"), QStringLiteral("0"),
                                       QStringLiteral("0")};
    QTest::newRow("13") << 13 << QStringList{QString(), QStringLiteral("0"), QStringLiteral("1")};
    QTest::newRow("16") << 16 << QStringList{QString(), QStringLiteral("1")};
    QTest::newRow("17") << 17 << QStringList{QString(), QString()};
}

void TestCommandTable::defaultValues() {
    QFETCH(int, cmd);
    QFETCH(QStringList, values);
    QCOMPARE(::defaultValues(cmd), values);
}

void TestCommandTable::isParamSettable_data() {
    QTest::addColumn<QString>("param");
    QTest::addColumn<bool>("settable");
    for (const char* p : {"4", "19", "51", "52", "53", "56", "60", "70", "74", "78"})
        QTest::newRow(p) << QString::fromLatin1(p) << false;
    for (const char* p : {"3", "5", "22", "50", "57", "69", "79", "99"})
        QTest::newRow(p) << QString::fromLatin1(p) << true;
}

void TestCommandTable::isParamSettable() {
    QFETCH(QString, param);
    QFETCH(bool, settable);
    QCOMPARE(::isParamSettable(param), settable);
}

void TestCommandTable::speedOrder() {
    QVERIFY(checkSpeedOrder(QStringLiteral("50"), QStringLiteral("100")));
    QVERIFY(checkSpeedOrder(QStringLiteral("100"), QStringLiteral("100")));
    QVERIFY(!checkSpeedOrder(QStringLiteral("100"), QStringLiteral("50")));
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "test_commandtable.moc"
