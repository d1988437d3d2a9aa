#include "baxwin/editinput.h"

#include "../support/recordingpresenter.h"
#include "../support/testenv.h"
#include "shared/inifile.h"

#include <QTest>

class TestEditInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void refusal_data();
    void refusal();
    void committedText_data();
    void committedText();
    void warningShown();

private:
    ParDefs m_defs;
};

void TestEditInput::initTestCase() {
    auto set = [this](int n, const char* lo, const char* hi) {
        m_defs[n].used = 1;
        m_defs[n].lowerLimit = QLatin1String(lo);
        m_defs[n].upperLimit = QLatin1String(hi);
    };
    set(3, "0", "10");
    set(11, "-99999999", "99999999");
    set(22, "0", "250000");
    set(53, "0000", "3121");
    set(10, "1", "1000");
    set(16, "0.5", "9.5");
}

void TestEditInput::refusal_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("in range") << 3 << "5"
                              << "";
    QTest::newRow("plus sign") << 3 << "+5"
                               << "";
    QTest::newRow("trailing sign reads 5") << 3 << "5-"
                                           << "";
    QTest::newRow("lower bound inclusive") << 3 << "0"
                                           << "";
    QTest::newRow("upper bound inclusive") << 3 << "10"
                                           << "";
    QTest::newRow("above upper") << 3 << "11"
                                 << "Mes011";
    QTest::newRow("below lower") << 10 << "0"
                                 << "Mes011";
    QTest::newRow("empty reads 0 within limits") << 3 << ""
                                                 << "";
    QTest::newRow("empty reads 0 below limits") << 10 << ""
                                                << "Mes011";
    QTest::newRow("letter e") << 3 << "1e3"
                              << "Mes011";
    QTest::newRow("blank") << 3 << " 5"
                           << "Mes011";
    QTest::newRow("comma") << 3 << "1,5"
                           << "Mes011";
    QTest::newRow("fraction within decimal limits") << 16 << "0.5"
                                                    << "";
    QTest::newRow("fraction below decimal limit") << 16 << "0.49"
                                                  << "Mes011";
    QTest::newRow("signed eight digits") << 11 << "-99999999"
                                         << "";
    QTest::newRow("signed nine digits") << 11 << "-100000000"
                                        << "Mes011";
    QTest::newRow("22 refuses 50") << 22 << "50"
                                   << "Mes028";
    QTest::newRow("22 refuses 99.9") << 22 << "99.9"
                                     << "Mes028";
    QTest::newRow("22 takes 0") << 22 << "0"
                                << "";
    QTest::newRow("22 takes 100") << 22 << "100"
                                  << "";
    QTest::newRow("22 takes 250000") << 22 << "250000"
                                     << "";
    QTest::newRow("22 limit before its own rule") << 22 << "250001"
                                                  << "Mes011";
    QTest::newRow("53 3121") << 53 << "3121"
                             << "";
    QTest::newRow("53 0000") << 53 << "0000"
                             << "";
    QTest::newRow("53 first digit 4") << 53 << "4121"
                                      << "Mes011";
    QTest::newRow("53 second digit 2") << 53 << "3221"
                                       << "Mes011";
    QTest::newRow("53 third digit 3") << 53 << "3131"
                                      << "Mes011";
    QTest::newRow("53 fourth digit 2") << 53 << "3122"
                                       << "Mes011";
    QTest::newRow("53 three characters") << 53 << "312"
                                         << "Mes011";
    QTest::newRow("53 five characters") << 53 << "31210"
                                        << "Mes011";
    QTest::newRow("53 sign") << 53 << "+121"
                             << "Mes011";
}

void TestEditInput::refusal() {
    QFETCH(int, n);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QCOMPARE(EditInput::refusalKey(n, text, m_defs), key);
}

void TestEditInput::committedText_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("+5") << 3 << "+5"
                        << "5";
    QTest::newRow("007") << 3 << "007"
                         << "7";
    QTest::newRow("1.50") << 16 << "1.50"
                          << "1.5";
    QTest::newRow("-0") << 3 << "-0"
                        << "0";
    QTest::newRow(".5") << 16 << ".5"
                        << "0.5";
    QTest::newRow("1.2.3") << 16 << "1.2.3"
                           << "1.2";
    QTest::newRow("5-") << 3 << "5-"
                        << "5";
    QTest::newRow("empty") << 3 << ""
                           << "0";
    QTest::newRow("53 unchanged") << 53 << "0101"
                                  << "0101";
}

void TestEditInput::committedText() {
    QFETCH(int, n);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QCOMPARE(EditInput::committedText(n, text), stored);
}

void TestEditInput::warningShown() {
    ScratchAppDir dir;
    dir.useLanguage(1);
    RecordingPresenter rec;
    QVERIFY(!EditInput::checkInput(22, QStringLiteral("50"), m_defs));
    QVERIFY(EditInput::checkInput(22, QStringLiteral("100"), m_defs));
    QCOMPARE(rec.shown().size(), 1);
    QCOMPARE(rec.shown()[0].icon, MsgIcon::Exclamation);
    QVERIFY(rec.shown()[0].title.isEmpty());
    QCOMPARE(rec.shown()[0].text,
             langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes028")));
    QVERIFY(!rec.shown()[0].text.isEmpty());
}

QTEST_GUILESS_MAIN(TestEditInput)
#include "test_editinput.moc"
