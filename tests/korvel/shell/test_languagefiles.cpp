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
    void menusCarryAccessKeys_data();
    void menusCarryAccessKeys();
    void joinedTextsKeepTheirBlanks_data();
    void joinedTextsKeepTheirBlanks();
    void placeholdersPresent_data();
    void placeholdersPresent();
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
        {"MDIFormMain", QStringList{title} + range("Cap", 1, 25)},
        {"FrmCmd", {title}},
        {"dlgData", QStringList{title} + range("Cap", 1, 3) + range("Mes", 1, 6)},
        {"FrmProg", range("Mes", 1, 6)},
        {"dlgComSetup", QStringList{title} + range("Cap", 1, 11)},
        {"dlgDown", QStringList{title} + range("Cap", 1, 6) + range("Mes", 1, 3)},
        {"dlgUP", QStringList{title} + range("Cap", 1, 4)},
        {"dlgExe", QStringList{title} + range("Cap", 1, 4)},
        {"WaitLabel", range("Mes", 1, 2)},
        {"Tool", range("Mes", 0, 17) + range("Mes", 101, 103) + range("Mes", 105, 109) +
                     range("Mes", 111, 113) + range("Mes", 116, 117) +
                     QStringList{QStringLiteral("Mes203")} + range("Mes", 211, 213)},
        {"MsgBox", range("Mes", 0, 35) + range("Mes", 50, 58)},
        {"frmBaxwin", QStringList{title} + range("Cap", 1, 16) + range("Mes", 1, 9)},
        {"frmCorF", QStringList{title} + range("Cap", 1, 4)},
        {"frmWait", QStringList{title, QStringLiteral("Title002"), QStringLiteral("Title003")} +
                        range("Cap", 1, 4) + range("Mes", 1, 4)},
        {"frmFind", QStringList{title} + range("Cap", 1, 3) + range("Mes", 1, 1)},
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

void TestLanguageFiles::menusCarryAccessKeys_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("keys"); // the entries of one menu (or of the menu bar)
    const QList<QPair<const char*, const char*>> menus = {
        {"MDIFormMain", "Cap011 Cap010 Cap008 Cap020 Cap002"},
        {"MDIFormMain", "Cap014 Cap015 Cap012 Cap017 Cap018 Cap016 Cap013"},
        {"MDIFormMain", "Cap007 Cap019 Cap024 Cap025"},
        {"MDIFormMain", "Cap021 Cap022 Cap023"},
        {"MDIFormMain", "Cap009"},
        {"MDIFormMain", "Cap004 Cap005 Cap006 Cap001 Cap003"},
        {"frmBaxwin", "Cap006 Cap004"},
        {"frmBaxwin", "Cap008 Cap007 Cap014 Cap015 Cap016"},
        {"frmBaxwin", "Cap005"},
    };
    for (int language : {0, 1}) {
        for (const auto& m : menus) {
            QTest::addRow("LANG%d %s %s", language, m.first, m.second)
                << language << QString::fromLatin1(m.first)
                << QString::fromLatin1(m.second).split(QLatin1Char(' '));
        }
    }
}

void TestLanguageFiles::menusCarryAccessKeys() {
    QFETCH(int, language);
    QFETCH(QString, section);
    QFETCH(QStringList, keys);
    clsIniFile ini;
    ini.setINIFile(builtAppDir() + QStringLiteral("/LANG%1.DAT").arg(language));
    QSet<QChar> used;
    for (const QString& key : keys) {
        const QString text = ini.GetINIStr(section, key);
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(key + QLatin1Char('=') + text));
        const QChar k = text.at(amp + 1).toUpper();
        QVERIFY2(!used.contains(k), qPrintable(QStringLiteral("access key used twice: ") + text));
        used.insert(k);
    }
}

void TestLanguageFiles::joinedTextsKeepTheirBlanks_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    // Texts that the programs put directly behind a number or a name.
    const QList<QPair<const char*, const char*>> texts = {{"dlgDown", "Mes001"},
                                                          {"MsgBox", "Mes005"},
                                                          {"MsgBox", "Mes019"},
                                                          {"MsgBox", "Mes050"},
                                                          {"MsgBox", "Mes052"}};
    for (int language : {0, 1}) {
        for (const auto& t : texts)
            QTest::addRow("LANG%d %s %s", language, t.first, t.second)
                << language << QString::fromLatin1(t.first) << QString::fromLatin1(t.second);
    }
}

void TestLanguageFiles::joinedTextsKeepTheirBlanks() {
    QFETCH(int, language);
    QFETCH(QString, section);
    QFETCH(QString, key);
    clsIniFile ini;
    ini.setINIFile(builtAppDir() + QStringLiteral("/LANG%1.DAT").arg(language));
    const QString text = ini.GetINIStr(section, key);
    QVERIFY2(text.startsWith(QLatin1Char(' ')) && text.trimmed().size() > 0,
             qPrintable(QLatin1Char('"') + text + QLatin1Char('"')));
    QVERIFY(!text.endsWith(QLatin1Char(' ')));
}

void TestLanguageFiles::placeholdersPresent_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    // Texts that the programs complete with a number or a text in place of %1.
    const QList<QPair<const char*, const char*>> texts = {{"frmBaxwin", "Mes007"},
                                                          {"frmBaxwin", "Mes008"},
                                                          {"frmBaxwin", "Mes009"},
                                                          {"frmFind", "Mes001"}};
    for (int language : {0, 1}) {
        for (const auto& t : texts)
            QTest::addRow("LANG%d %s %s", language, t.first, t.second)
                << language << QString::fromLatin1(t.first) << QString::fromLatin1(t.second);
    }
}

void TestLanguageFiles::placeholdersPresent() {
    QFETCH(int, language);
    QFETCH(QString, section);
    QFETCH(QString, key);
    clsIniFile ini;
    ini.setINIFile(builtAppDir() + QStringLiteral("/LANG%1.DAT").arg(language));
    const QString text = ini.GetINIStr(section, key);
    QCOMPARE(text.count(QStringLiteral("%1")), 1);
    QVERIFY2(!text.contains(QStringLiteral("%2")), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "test_languagefiles.moc"
