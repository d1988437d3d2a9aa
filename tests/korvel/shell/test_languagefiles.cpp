#include "korvel/model/commandtable.h"
#include "shared/inifile.h"

#include "testenv.h"

#include <QSet>
#include <QTest>

// Both language files carry every key that either program reads, and the command texts keep
// the separators that the program relies on out of their values.
class TestLanguageFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyKeyPresent_data();
    void everyKeyPresent();
    void commandTexts_data();
    void commandTexts();
};

namespace {

struct Keys {
    const char* section;
    QStringList keys;
};

QStringList range(const char* prefix, int from, int to, int width = 3) {
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QLatin1String(prefix) + QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
    return out;
}

QList<Keys> inventory() {
    const QString title = QStringLiteral("Title001");
    return {
        {"frmStart", range("Caption", 0, 5) + QStringList{QStringLiteral("Mes001")}},
        {"MDIFormMain", QStringList{title} + range("Cap", 1, 19)},
        {"FrmCmd", {title}},
        {"dlgData", QStringList{title} + range("Cap", 1, 3) + range("Mes", 1, 6)},
        {"FrmProg", range("Mes", 1, 6)},
        {"dlgComSetup", QStringList{title} + range("Cap", 1, 11)},
        {"dlgDown", QStringList{title} + range("Cap", 1, 4) + range("Mes", 1, 2)},
        {"dlgUP", QStringList{title} + range("Cap", 1, 4)},
        {"dlgExe", QStringList{title} + range("Cap", 1, 4)},
        {"WaitLabel", range("Mes", 1, 2)},
        {"Tool", range("Mes", 0, 17) + range("Mes", 101, 103) + range("Mes", 105, 109) +
                     range("Mes", 111, 113) + range("Mes", 116, 117) +
                     QStringList{QStringLiteral("Mes203")} + range("Mes", 211, 213)},
        {"MsgBox", range("Mes", 0, 35) + range("Mes", 50, 51)},
        {"frmBaxwin", QStringList{title} + range("Cap", 1, 13) + range("Mes", 1, 6)},
        {"frmCorF", QStringList{title} + range("Cap", 1, 4)},
        {"frmWait",
         QStringList{title, QStringLiteral("Title002")} + range("Cap", 1, 4) + range("Mes", 1, 4)},
    };
}

const char* const kMissing = "\x01missing";

} // namespace

void TestLanguageFiles::everyKeyPresent_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("LANG0") << 0;
    QTest::newRow("LANG1") << 1;
}

void TestLanguageFiles::everyKeyPresent() {
    QFETCH(int, language);
    clsIniFile ini;
    ini.setINIFile(builtAppDir() + QStringLiteral("/LANG%1.DAT").arg(language));
    QStringList missing;
    for (const Keys& k : inventory()) {
        for (const QString& key : k.keys) {
            const QString v = ini.GetINIStr(QLatin1String(k.section), key, QLatin1String(kMissing));
            if (v == QLatin1String(kMissing) || v.isEmpty())
                missing << QLatin1String(k.section) + QLatin1Char('/') + key;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

void TestLanguageFiles::commandTexts_data() {
    everyKeyPresent_data();
}

void TestLanguageFiles::commandTexts() {
    QFETCH(int, language);
    ScratchAppDir app;
    app.useLanguage(language);
    buildCommandTable();
    QSet<QString> names;
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd) {
        const QString name = cmdName(cmd);
        QVERIFY2(!name.isEmpty(), qPrintable(QString::number(cmd)));
        for (QChar bad : {QLatin1Char('|'), QLatin1Char(','), QLatin1Char('\r'), QLatin1Char('\n')})
            QVERIFY2(!name.contains(bad), qPrintable(name));
        names.insert(name);
        const int n = cmdValueCount(cmd);
        const QStringList labels = commandField(cmd, CommandField::Labels).split(QLatin1Char(','));
        const QStringList units = commandField(cmd, CommandField::Units).split(QLatin1Char(','));
        if (n > 0) {
            // One label per value, none empty; units never more than values.
            QCOMPARE(labels.size(), n);
            for (const QString& l : labels)
                QVERIFY(!l.trimmed().isEmpty());
            QVERIFY(units.size() <= n);
        }
        QVERIFY(!commandField(cmd, CommandField::Labels).contains(QLatin1Char('|')));
        QVERIFY(!commandField(cmd, CommandField::Units).contains(QLatin1Char('|')));
    }
    QCOMPARE(names.size(), Cmd::Count);
}

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "test_languagefiles.moc"
