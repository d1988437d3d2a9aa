#include "shared/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookup_data();
    void lookup();
    void missingFileGivesDefault();
    void rereadsAtEveryLookup();
    void cutTo255Bytes_data();
    void cutTo255Bytes();

private:
    QString writeIni(const QByteArray& content);
    QTemporaryDir m_dir;
    int m_count = 0;
};

QString TestIniFile::writeIni(const QByteArray& content) {
    const QString path = m_dir.filePath(QStringLiteral("f%1.ini").arg(++m_count));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

void TestIniFile::lookup_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray base = "[Tool]\r\nMes001=Absolute move\r\n  Mes002  =   padded value   \r\n"
                            "Empty=\r\nQuoted=\"  kept blanks \"\r\n[Other]\r\nMes001=other\r\n";
    QTest::newRow("plain") << base << "Tool"
                           << "Mes001"
                           << "Absolute move";
    QTest::newRow("section case-insensitive") << base << "tOOL"
                                              << "Mes001"
                                              << "Absolute move";
    QTest::newRow("key case-insensitive") << base << "Tool"
                                          << "MES001"
                                          << "Absolute move";
    QTest::newRow("blanks around name and value") << base << "Tool"
                                                  << "Mes002"
                                                  << "padded value";
    QTest::newRow("present but empty gives empty, not default") << base << "Tool"
                                                                << "Empty"
                                                                << "";
    QTest::newRow("quotes dropped") << base << "Tool"
                                    << "Quoted"
                                    << "  kept blanks ";
    QTest::newRow("same key in other section") << base << "Other"
                                               << "Mes001"
                                               << "other";
    QTest::newRow("missing key gives default") << base << "Tool"
                                               << "Mes999"
                                               << "DEF";
    QTest::newRow("missing section gives default") << base << "Nope"
                                                   << "Mes001"
                                                   << "DEF";
    QTest::newRow("first occurrence wins") << QByteArray("[A]\nk=1\nk=2\n") << "A"
                                           << "k"
                                           << "1";
    QTest::newRow("LF line ends") << QByteArray("[A]\nk=v\n") << "A"
                                  << "k"
                                  << "v";
    QTest::newRow("comment line ignored") << QByteArray("[A]\n;k=commented\nk=real\n") << "A"
                                          << "k"
                                          << "real";
    QTest::newRow("UTF-8 Japanese")
        << QByteArray("[A]\nk=\xE9\x96\x89\xE3\x81\x98\xE3\x82\x8B\n") << "A"
        << "k" << QString::fromUtf8("閉じる");
}

void TestIniFile::lookup() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    clsIniFile ini;
    ini.setINIFile(writeIni(content));
    const QString got = ini.GetINIStr(section, key, QStringLiteral("DEF"));
    QCOMPARE(got, expected);
    QVERIFY(!got.isNull() || expected.isEmpty());
}

void TestIniFile::missingFileGivesDefault() {
    clsIniFile ini;
    QCOMPARE(ini.GetINIStr(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")),
             QStringLiteral("d"));
    ini.setINIFile(m_dir.filePath(QStringLiteral("absent.ini")));
    QCOMPARE(ini.INIFile(), m_dir.filePath(QStringLiteral("absent.ini")));
    QCOMPARE(ini.GetINIStr(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")),
             QStringLiteral("d"));
}

void TestIniFile::rereadsAtEveryLookup() {
    const QString path = writeIni("[A]\nk=before\n");
    clsIniFile ini;
    ini.setINIFile(path);
    QCOMPARE(ini.GetINIStr(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("before"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[A]\nk=after\n");
    f.close();
    QCOMPARE(ini.GetINIStr(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("after"));
}

void TestIniFile::cutTo255Bytes_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    const QString a255(255, QLatin1Char('a'));
    QTest::newRow("255 bytes whole") << a255 << a255;
    QTest::newRow("256 bytes lose the last") << a255 + QLatin1Char('b') << a255;
    // 85 three-byte characters are 255 bytes; one more must not be split.
    const QString kana85 = QString(85, QChar(0x30A2));
    QTest::newRow("multibyte exactly 255") << kana85 << kana85;
    QTest::newRow("multibyte not split") << kana85 + QChar(0x30A2) << kana85;
    const QString x254 = QString(254, QLatin1Char('x'));
    QTest::newRow("char straddling the cut dropped") << x254 + QChar(0x30A2) << x254;
}

void TestIniFile::cutTo255Bytes() {
    QFETCH(QString, value);
    QFETCH(QString, expected);
    clsIniFile ini;
    ini.setINIFile(writeIni("[A]\nk=" + value.toUtf8() + "\n"));
    QCOMPARE(ini.GetINIStr(QStringLiteral("A"), QStringLiteral("k")), expected);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
