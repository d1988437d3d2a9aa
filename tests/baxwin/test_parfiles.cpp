#include "baxwin/editinput.h"
#include "baxwin/mdlfile.h"

#include "../support/recordingpresenter.h"
#include "../support/testenv.h"
#include "shared/inifile.h"
#include "shared/numbers.h"

#include <QDir>
#include <QTest>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}
QString msg2(const char* k1, const char* k2) {
    return msg(k1) + QStringLiteral("\r\n") + msg(k2);
}

QByteArray defLines(const QList<QByteArray>& lines) {
    QByteArray b;
    for (const QByteArray& l : lines)
        b += l + "\r\n";
    return b;
}

} // namespace

class TestParFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void definitionFileByLanguage_data();
    void definitionFileByLanguage();
    void shippedDefinitionFiles_data();
    void shippedDefinitionFiles();
    void loadDefinitions();
    void badDefinitionFiles_data();
    void badDefinitionFiles();
    void byteOrderMark_data();
    void byteOrderMark();
    void saveWritesAllLines();
    void roundTripKeepsEmptyTexts();
    void partialFileKeepsOtherValues();
    void parameterNumberForms_data();
    void parameterNumberForms();
    void badParameterFiles_data();
    void badParameterFiles();
    void missingParameterFile();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void parameterFileInWorkingDirectory();

private:
    ScratchAppDir* m_app = nullptr;
    RecordingPresenter* m_rec = nullptr;
    QString m_oldCwd;
};

void TestParFiles::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    m_rec = new RecordingPresenter;
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_app->path());
}

void TestParFiles::cleanup() {
    QDir::setCurrent(m_oldCwd);
    delete m_rec;
    delete m_app;
}

void TestParFiles::definitionFileByLanguage_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << "1"
                       << "par1.ini";
    QTest::newRow("1.4 rounds to 1") << "1.4"
                                     << "par1.ini";
    QTest::newRow("0") << "0"
                       << "par0.ini";
    QTest::newRow("2") << "2"
                       << "par0.ini";
    QTest::newRow("abc") << "abc"
                         << "par0.ini";
    QTest::newRow("none") << ""
                          << "par0.ini";
}

void TestParFiles::definitionFileByLanguage() {
    QFETCH(QString, argument);
    QFETCH(QString, name);
    const QString path = MdlFile::definitionFilePath(Numbers::languageNumberFromArgument(argument));
    QCOMPARE(QFileInfo(path).fileName(), name);
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_app->path()).absoluteFilePath());
}

void TestParFiles::shippedDefinitionFiles_data() {
    QTest::addColumn<int>("lang");
    QTest::newRow("Japanese") << 0;
    QTest::newRow("English") << 1;
}

// The shipped files load, list parameters 1 to 99 and keep the controller's limits.
void TestParFiles::shippedDefinitionFiles() {
    QFETCH(int, lang);
    ParDefs d;
    QVERIFY(MdlFile::loadParDefs(lang, d));
    QVERIFY(m_rec->shown().isEmpty());
    QVERIFY(!d.parFileName.isEmpty());
    QVERIFY(d.axisParCount > 0);
    QVERIFY(d.commonParCount > 0);
    QCOMPARE(d[8].lowerLimit, QStringLiteral("10"));
    QCOMPARE(d[9].upperLimit, QStringLiteral("500000"));
    QCOMPARE(d[22].upperLimit, QStringLiteral("250000"));
    QCOMPARE(d[53].defaultValue.size(), 4);
    for (int n = 1; n <= MaxParNo; ++n) {
        QVERIFY2(!d[n].name.isEmpty(), qPrintable(QString::number(n)));
        if (d[n].used == 1)
            QVERIFY2(EditInput::refusalKey(n, d[n].defaultValue, d).isEmpty(),
                     qPrintable(QString::number(n)));
    }
    const QByteArray raw = m_app->read(QStringLiteral("par%1.ini").arg(lang));
    QCOMPARE(raw.count("\r\n"), raw.count("\n"));
}

void TestParFiles::loadDefinitions() {
    m_app->write(QStringLiteral("defs.ini"),
                 defLines({"my params.txt ", "1,0,1,Speed,10,500000,1000,x", "53,1,1,IO,0,0,0000,",
                           "30,0,0,Spare,0,0,0,", "40,2,1,Two,0,5,1,", "41,0, 0,Blank,0,5,1,",
                           "12,1,1,Old,0,1,0,", "12,00,1,New,0,9,3,"}));
    ParDefs d;
    QVERIFY(MdlFile::loadParDefs(m_app->file(QStringLiteral("defs.ini")), d));
    QVERIFY(m_rec->shown().isEmpty());
    QCOMPARE(d.parFileName, QStringLiteral("my params.txt "));
    QCOMPARE(d[1].kind, 0);
    QCOMPARE(d[1].name, QStringLiteral("Speed"));
    QCOMPARE(d[1].lowerLimit, QStringLiteral("10"));
    QCOMPARE(d[1].upperLimit, QStringLiteral("500000"));
    QCOMPARE(d[1].defaultValue, QStringLiteral("1000"));
    QCOMPARE(d[30].used, 0);
    QCOMPARE(d[40].kind, 1); // any text other than "0" is common
    QCOMPARE(d[41].used, 1); // " 0" counts as used
    QCOMPARE(d[12].kind, 1); // "00" is not "0"; the later line replaces the earlier
    QCOMPARE(d[12].name, QStringLiteral("New"));
    QCOMPARE(d[2].used, 0);
    QVERIFY(d[2].name.isEmpty());
    // Both lines of parameter 12 are counted.
    QCOMPARE(d.axisParCount, 2);   // 1, 41
    QCOMPARE(d.commonParCount, 4); // 53, 40, 12, 12
    QCOMPARE(d.usedOfKind(1), (QList<int>{12, 40, 53}));
    QCOMPARE(d.transferCount(), 5);

    m_app->write(QStringLiteral("only.ini"), "file.txt\r\n");
    ParDefs e;
    QVERIFY(MdlFile::loadParDefs(m_app->file(QStringLiteral("only.ini")), e));
    QCOMPARE(e.axisParCount + e.commonParCount, 0);
    QCOMPARE(e.transferCount(), 1);
}

void TestParFiles::badDefinitionFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("nine fields") << defLines({"p.txt", "1,0,1,a,0,1,0,,x"});
    QTest::newRow("seven fields") << defLines({"p.txt", "1,0,1,a,0,1,0"});
    QTest::newRow("empty line between")
        << defLines({"p.txt", "1,0,1,a,0,1,0,", "", "2,0,1,b,0,1,0,"});
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("number not a number") << defLines({"p.txt", "x,0,1,a,0,1,0,"});
    QTest::newRow("number 0") << defLines({"p.txt", "0,0,1,a,0,1,0,"});
    QTest::newRow("number 100") << defLines({"p.txt", "100,0,1,a,0,1,0,"});
    QTest::newRow("number with fraction") << defLines({"p.txt", "1.5,0,1,a,0,1,0,"});
}

void TestParFiles::badDefinitionFiles() {
    QFETCH(QByteArray, content);
    m_app->write(QStringLiteral("bad.ini"), content);
    ParDefs d;
    QVERIFY(!MdlFile::loadParDefs(m_app->file(QStringLiteral("bad.ini")), d));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg2("Mes030", "Mes031"));
    QCOMPARE(m_rec->shown()[0].icon, MsgIcon::Critical);
    QVERIFY(m_rec->shown()[0].title.isEmpty());

    m_rec->clear();
    QVERIFY(!MdlFile::loadParDefs(m_app->file(QStringLiteral("none.ini")), d));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg2("Mes029", "Mes031"));
}

void TestParFiles::byteOrderMark_data() {
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("parFileName");
    QTest::addColumn<bool>("parFileReads");
    const QByteArray mark("\xEF\xBB\xBF");
    QTest::newRow("none") << QByteArray() << QStringLiteral("p.txt") << true;
    QTest::newRow("one mark is skipped") << mark << QStringLiteral("p.txt") << true;
    QTest::newRow("a second mark is text") << mark + mark << QStringLiteral("\uFEFFp.txt") << false;
}

// A byte order mark before the first line is the encoding's, not the file's text.
void TestParFiles::byteOrderMark() {
    QFETCH(QByteArray, start);
    QFETCH(QString, parFileName);
    QFETCH(bool, parFileReads);
    m_app->write(QStringLiteral("defs.ini"), start + defLines({"p.txt", "1,0,1,a,0,1,0,"}));
    ParDefs d;
    QVERIFY(MdlFile::loadParDefs(m_app->file(QStringLiteral("defs.ini")), d));
    QCOMPARE(d.parFileName, parFileName);
    QCOMPARE(d[1].name, QStringLiteral("a"));

    m_app->write(QStringLiteral("p.txt"), start + "12,1,2,3\r\n");
    ParValueTable t;
    QCOMPARE(MdlFile::readParFile(MdlFile::parFilePath(QStringLiteral("p.txt")), t), parFileReads);
    QCOMPARE(t.at(12, 3), parFileReads ? QStringLiteral("3") : QString());
}

void TestParFiles::saveWritesAllLines() {
    ParValueTable t;
    t.at(12, 1) = QStringLiteral("100");
    t.at(12, 2) = QStringLiteral("100");
    t.at(12, 3) = QStringLiteral("0");
    const QString path = MdlFile::parFilePath(QStringLiteral("p.txt"));
    QVERIFY(MdlFile::writeParFile(path, t));
    const QByteArray b = m_app->read(QStringLiteral("p.txt"));
    const QList<QByteArray> lines = b.split('\n');
    QCOMPARE(lines.size(), 100); // 99 lines and nothing after the last CR LF
    QCOMPARE(lines[0], QByteArray("1,,,\r"));
    QCOMPARE(lines[11], QByteArray("12,100,100,0\r"));
    QCOMPARE(lines[98], QByteArray("99,,,\r"));
    QVERIFY(lines[99].isEmpty());
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes035"));
    QCOMPARE(m_rec->shown()[0].icon, MsgIcon::Information);
}

void TestParFiles::roundTripKeepsEmptyTexts() {
    ParValueTable t;
    for (int n = 1; n <= MaxParNo; ++n) {
        if (n % 3 != 0)
            for (int a = 1; a <= 3; ++a)
                t.at(n, a) = QStringLiteral("%1.%2").arg(n).arg(a);
    }
    t.at(53, 1) = QStringLiteral("0101");
    const QString path = MdlFile::parFilePath(QStringLiteral("p.txt"));
    QVERIFY(MdlFile::writeParFile(path, t));
    ParValueTable back;
    back.fill(QStringLiteral("old"));
    QVERIFY(MdlFile::readParFile(path, back));
    QVERIFY(back == t);
}

void TestParFiles::partialFileKeepsOtherValues() {
    QByteArray b;
    for (int n = 50; n >= 1; --n)
        b += QByteArray::number(n) + ",a,b,c\r\n";
    m_app->write(QStringLiteral("p.txt"), b);
    ParValueTable t;
    t.fill(QStringLiteral("old"));
    ParDefs d;
    QVERIFY(MdlFile::loadParFileOrDefaults(MdlFile::parFilePath(QStringLiteral("p.txt")), d, t));
    QVERIFY(m_rec->shown().isEmpty());
    QCOMPARE(t.at(1, 1), QStringLiteral("a"));
    QCOMPARE(t.at(50, 3), QStringLiteral("c"));
    QCOMPARE(t.at(51, 1), QStringLiteral("old"));
    QCOMPARE(t.at(99, 3), QStringLiteral("old"));
}

void TestParFiles::parameterNumberForms_data() {
    QTest::addColumn<QByteArray>("number");
    QTest::newRow("plain") << QByteArray("7");
    QTest::newRow("two digits") << QByteArray("07");
    QTest::newRow("blanks around") << QByteArray(" 7 ");
    QTest::newRow("four digits") << QByteArray("0007");
    QTest::newRow("many leading zeros") << QByteArray("0000000007");
    QTest::newRow("plus sign") << QByteArray("+7");
    QTest::newRow("decimal zero") << QByteArray("7.0");
    QTest::newRow("point without fraction") << QByteArray("7.");
    QTest::newRow("decimal zeros") << QByteArray("7.000");
}

// Any whole number 1 to 99 names its parameter, however it is written.
void TestParFiles::parameterNumberForms() {
    QFETCH(QByteArray, number);
    m_app->write(QStringLiteral("p.txt"), number + ",a,b,c\r\n");
    ParValueTable t;
    t.fill(QStringLiteral("old"));
    QVERIFY(MdlFile::readParFile(MdlFile::parFilePath(QStringLiteral("p.txt")), t));
    QVERIFY(m_rec->shown().isEmpty());
    QCOMPARE(t.at(7, 1), QStringLiteral("a"));
    QCOMPARE(t.at(7, 3), QStringLiteral("c"));

    m_app->write(QStringLiteral("defs.ini"), defLines({"p.txt", number + ",1,1,n,0,1,0,"}));
    ParDefs d;
    QVERIFY(MdlFile::loadParDefs(m_app->file(QStringLiteral("defs.ini")), d));
    QCOMPARE(d[7].used, 1);
    QCOMPARE(d.commonParCount, 1);
}

void TestParFiles::badParameterFiles_data() {
    QTest::addColumn<QByteArray>("badLine");
    QTest::newRow("three fields") << QByteArray("40,1,2");
    QTest::newRow("five fields") << QByteArray("40,1,2,3,4");
    QTest::newRow("empty line") << QByteArray("");
    QTest::newRow("number not a number") << QByteArray("abc,1,2,3");
    QTest::newRow("number 0") << QByteArray("0,1,2,3");
    QTest::newRow("number 100") << QByteArray("100,1,2,3");
    QTest::newRow("number negative") << QByteArray("-1,1,2,3");
    QTest::newRow("number huge") << QByteArray("70000,1,2,3");
    QTest::newRow("number with fraction") << QByteArray("7.5,1,2,3");
    QTest::newRow("number with text after it") << QByteArray("5x,1,2,3");
    QTest::newRow("lone sign") << QByteArray("+,1,2,3");
}

// A bad line 40: message, then every value, lines 1 to 39 too, takes its default.
void TestParFiles::badParameterFiles() {
    QFETCH(QByteArray, badLine);
    QByteArray b;
    for (int n = 1; n <= 39; ++n)
        b += QByteArray::number(n) + ",1,2,3\r\n";
    b += badLine + "\r\n";
    for (int n = 41; n <= 99; ++n)
        b += QByteArray::number(n) + ",1,2,3\r\n";
    m_app->write(QStringLiteral("p.txt"), b);
    ParDefs d;
    d[5].defaultValue = QStringLiteral("55");
    ParValueTable t;
    t.fill(QStringLiteral("old"));
    QVERIFY(!MdlFile::loadParFileOrDefaults(MdlFile::parFilePath(QStringLiteral("p.txt")), d, t));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg2("Mes033", "Mes034"));
    QCOMPARE(m_rec->shown()[0].icon, MsgIcon::Information);
    QCOMPARE(t.at(5, 1), QStringLiteral("55"));
    QCOMPARE(t.at(5, 3), QStringLiteral("55"));
    QCOMPARE(t.at(1, 1), QString());
    QCOMPARE(t.at(99, 2), QString());
}

void TestParFiles::missingParameterFile() {
    ParDefs d;
    d[8].defaultValue = QStringLiteral("10000");
    ParValueTable t;
    QVERIFY(
        !MdlFile::loadParFileOrDefaults(MdlFile::parFilePath(QStringLiteral("none.txt")), d, t));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg2("Mes032", "Mes034"));
    QCOMPARE(t.at(8, 2), QStringLiteral("10000"));
}

void TestParFiles::failedWriteKeepsOldFile_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("missing directory") << "nodir/p.txt";
    QTest::newRow("target is a directory") << "adir";
}

void TestParFiles::failedWriteKeepsOldFile() {
    QFETCH(QString, target);
    QDir(m_app->path()).mkdir(QStringLiteral("adir"));
    m_app->write(QStringLiteral("adir/keep.txt"), "keep");
    ParValueTable t;
    QVERIFY(!MdlFile::writeParFile(MdlFile::parFilePath(target), t));
    QCOMPARE(m_rec->shown().size(), 1);
    const MessageRequest& r = m_rec->shown()[0];
    QCOMPARE(r.icon, MsgIcon::Critical);
    QVERIFY2(
        r.text.contains(QDir::toNativeSeparators(QDir(m_app->path()).absoluteFilePath(target))),
        qPrintable(r.text));
    QVERIFY(r.text.split(QStringLiteral("\r\n")).value(1).size() > 0); // the system's reason
    QCOMPARE(m_app->read(QStringLiteral("adir/keep.txt")), QByteArray("keep"));
    QVERIFY(QFileInfo(m_app->file(QStringLiteral("adir"))).isDir());
}

void TestParFiles::parameterFileInWorkingDirectory() {
    QTemporaryDir other;
    QDir::setCurrent(other.path());
    m_app->write(QStringLiteral("p.txt"), "1,9,9,9\r\n");
    ParValueTable t;
    QVERIFY(!MdlFile::readParFile(MdlFile::parFilePath(QStringLiteral("p.txt")), t));
    QCOMPARE(m_rec->shown()[0].text, msg2("Mes032", "Mes034"));
}

QTEST_GUILESS_MAIN(TestParFiles)
#include "test_parfiles.moc"
