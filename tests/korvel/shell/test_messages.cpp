#include "korvel/shell/messages.h"
#include "shared/inifile.h"

#include "recordingpresenter.h"
#include "testenv.h"

#include <QTest>

class TestMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_app.useLanguage(1); }
    void table_data();
    void table();
    void saveQuestionNamesTheFile();
    void prefixJoinedWithoutSeparator();
    void answerReturned();
    void missingKeyShowsCallerTextOnly();

private:
    ScratchAppDir m_app;
};

void TestMessages::table_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    const int ok = int(MsgButtons::Ok);
    const int crit = int(MsgIcon::Critical), excl = int(MsgIcon::Exclamation),
              info = int(MsgIcon::Information);
    QTest::newRow("0 save") << 0 << "Mes002" << int(MsgButtons::YesNoCancel)
                            << int(MsgIcon::Question);
    QTest::newRow("1 full") << 1 << "Mes003" << ok << crit;
    QTest::newRow("2 beyond") << 2 << "Mes004" << ok << excl;
    QTest::newRow("3 short") << 3 << "Mes005" << ok << excl;
    QTest::newRow("4 no reply") << 4 << "Mes006" << ok << excl;
    QTest::newRow("5 stopped") << 5 << "Mes007" << ok << info;
    QTest::newRow("6 done") << 6 << "Mes008" << ok << info;
    QTest::newRow("7 !0") << 7 << "Mes009" << ok << excl;
    for (int c = 8; c <= 16; ++c)
        QTest::newRow(qPrintable(QStringLiteral("%1 error reply").arg(c)))
            << c << QStringLiteral("Mes%1").arg(c + 2, 3, 10, QLatin1Char('0')) << ok << crit;
    QTest::newRow("17 value") << 17 << "Mes019" << ok << crit;
    QTest::newRow("18 file step") << 18 << "Mes020" << ok << crit;
    QTest::newRow("19 param") << 19 << "Mes050" << ok << crit;
    QTest::newRow("20 header") << 20 << "Mes051" << ok << crit;
}

void TestMessages::table() {
    QFETCH(int, code);
    QFETCH(QString, key);
    QFETCH(int, buttons);
    QFETCH(int, icon);
    QCOMPARE(messageKey(code), key);
    RecordingPresenter rec;
    showMessage(code, code == 0 ? QStringLiteral("f.txt") : QString());
    QCOMPARE(rec.shown().size(), 1);
    const MessageRequest& r = rec.shown().first();
    QCOMPARE(int(r.buttons), buttons);
    QCOMPARE(int(r.icon), icon);
    QCOMPARE(r.title, programTitle());
    QVERIFY(r.text.endsWith(langFile().GetINIStr(QStringLiteral("MsgBox"), key)));
    QVERIFY(!r.text.isEmpty());
}

void TestMessages::saveQuestionNamesTheFile() {
    RecordingPresenter rec;
    showMessage(Msg::SaveChanges, QStringLiteral("C:\\a.txt"));
    const MessageRequest& r = rec.shown().first();
    QCOMPARE(r.text, QStringLiteral("'C:\\a.txt'  ") +
                         langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes002")));
    QCOMPARE(r.defaultButton, MsgResult::Yes);
}

void TestMessages::prefixJoinedWithoutSeparator() {
    RecordingPresenter rec;
    showMessage(Msg::ValueRefused, QStringLiteral("Speed"));
    showMessage(Msg::ParamNotSettable, QStringLiteral("No"));
    showMessage(Msg::NoReply, QStringLiteral("ignored"));
    const QString mes019 = langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes019"));
    QCOMPARE(rec.shown()[0].text, QStringLiteral("Speed") + mes019);
    QVERIFY(rec.shown()[1].text.startsWith(QStringLiteral("No")));
    QVERIFY(!rec.shown()[2].text.contains(QStringLiteral("ignored")));
}

void TestMessages::answerReturned() {
    RecordingPresenter rec;
    rec.answerNext(MsgResult::Cancel);
    QCOMPARE(showMessage(Msg::SaveChanges, QStringLiteral("x")), MsgResult::Cancel);
    rec.answerNext(MsgResult::No);
    QCOMPARE(showMessage(Msg::SaveChanges, QStringLiteral("x")), MsgResult::No);
}

void TestMessages::missingKeyShowsCallerTextOnly() {
    ScratchAppDir empty(false);
    empty.useLanguage(1);
    RecordingPresenter rec;
    showMessage(Msg::ValueRefused, QStringLiteral("Speed"));
    showMessage(Msg::ProgramFull);
    QCOMPARE(rec.shown()[0].text, QStringLiteral("Speed"));
    QCOMPARE(rec.shown()[1].text, QString());
    m_app.useLanguage(1);
}

QTEST_GUILESS_MAIN(TestMessages)
#include "test_messages.moc"
