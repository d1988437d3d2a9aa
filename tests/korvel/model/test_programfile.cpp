#include "korvel/model/programfile.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/messages.h"
#include "recordingpresenter.h"
#include "shared/inifile.h"
#include "testenv.h"

#include <QDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

QByteArray crlf(const char* text) {
    return QByteArray(text).replace("\n", "\r\n");
}

// Answers the file dialogs from a script and records what they were asked.
class ScriptedDialogs : public ProgramFileDialogs {
public:
    QString getOpenFileName(const QString& filter) override {
        openFilters.append(filter);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString getSaveFileName(const QString& filter, const QString& initialDir,
                            const QString& initialName) override {
        saveCalls.append({filter, initialDir, initialName});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
    QStringList openFilters;
    QList<QStringList> saveCalls;
};

class DocMaker : public ProgramWindowMaker {
public:
    ProgramDoc* makeNewForm(int iAxisNum) override {
        docs.push_back(std::make_unique<ProgramDoc>(RunConfig::maxSteps()));
        docs.back()->setAxis(iAxisNum);
        docs.back()->setFileName(QStringLiteral("Program%1").arg(docs.size()));
        return docs.back().get();
    }
    void discardForm(ProgramDoc* doc) override { discarded.append(doc); }
    std::vector<std::unique_ptr<ProgramDoc>> docs;
    QList<ProgramDoc*> discarded;
};

ValueArray values(int cmd, const QStringList& v = {}) {
    ValueArray a = defaultValues(cmd);
    a[0] = QString::number(cmd);
    for (int i = 0; i < v.size() && i + 1 < a.size(); ++i)
        a[i + 1] = v[i];
    return a;
}

} // namespace

class TestProgramFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void header_data();
    void header();
    void reader_data();
    void reader();
    void valuesKeptAsRead();
    void writerText();
    void roundTrip_data();
    void roundTrip();
    void qtFilters_data();
    void qtFilters();
    void saveNeverSavedAsksThenWritesDirectly();
    void saveCancelledKeepsState();
    void saveFailureReportsAndKeepsState();
    void saveAsProposesCurrentName();
    void openFlows_data();
    void openFlows();

private:
    std::unique_ptr<ScratchAppDir> m_app;
};

void TestProgramFile::initTestCase() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestProgramFile::header_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("axes");
    QTest::newRow("plain") << "AXIS=2" << true << 2;
    QTest::newRow("lower case") << "axis=2" << true << 2;
    QTest::newRow("blanks before") << "   AXIS=3" << true << 3;
    QTest::newRow("quoted") << "\"AXIS=1\"" << true << 1;
    QTest::newRow("blank after equals") << "AXIS= 1" << true << 1;
    QTest::newRow("trailing field") << "AXIS=3,x" << true << 3;
    QTest::newRow("text before axis") << "MAXIS=1" << true << 1;
    QTest::newRow("four axes") << "AXIS=4" << false << 0;
    QTest::newRow("zero axes") << "AXIS=0" << false << 0;
    QTest::newRow("no number") << "AXIS=" << false << 0;
    QTest::newRow("no equals") << "AXIS 2" << false << 0;
    QTest::newRow("no axis") << "AXES=2" << false << 0;
    QTest::newRow("fraction") << "AXIS=2.5" << false << 0;
    QTest::newRow("after first comma") << "X,AXIS=2" << false << 0;
    QTest::newRow("step line") << "AGO:1" << false << 0;
}

void TestProgramFile::header() {
    QFETCH(QString, line);
    QFETCH(bool, valid);
    QFETCH(int, axes);
    const ProgramHeader h = parseProgramHeader(line);
    QCOMPARE(h.valid, valid);
    QCOMPARE(h.axes, axes);
    QCOMPARE(h.detail.isEmpty(), valid);
}

void TestProgramFile::reader_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("piece");
    QTest::addColumn<QString>("lastStepText");

    QByteArray many1, many3;
    many1 = "AXIS=1\r\n";
    many3 = "AXIS=3\r\n";
    for (int i = 0; i < 150; ++i) {
        many1 += "W:" + QByteArray::number(i + 1) + "\r\n";
        many3 += "U00:,U00:,W:" + QByteArray::number(i + 1) + "\r\n";
    }
    many1 += "garbage\r\n";

    QTest::newRow("two axes example")
        << 2
        << crlf("AXIS=2\nAGO:1000,AGO:2000\nD:10:600000:100,U00:\n#:first corner,#:first "
                "corner\nP:11:-500,U00:\n")
        << int(ProgramLoad::Ok) << 4 << 0 << 0 << "P:11A-00000500|U00:";
    QTest::newRow("lower-case header and codes")
        << 1 << crlf("axis=1\nago:5\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "AGO:A5";
    QTest::newRow("blank lines skipped") << 1 << crlf("AXIS=1\n\n   \nH:\n\nW:3\n\n")
                                         << int(ProgramLoad::Ok) << 2 << 0 << 0 << "W:3";
    QTest::newRow("no line end at the end")
        << 1 << QByteArray("AXIS=1\r\nH:\r\nW:7") << int(ProgramLoad::Ok) << 2 << 0 << 0 << "W:7";
    QTest::newRow("LF line ends") << 1 << QByteArray("AXIS=1\nH:\nW:7\n") << int(ProgramLoad::Ok)
                                  << 2 << 0 << 0 << "W:7";
    QTest::newRow("header only") << 3 << crlf("AXIS=3\n") << int(ProgramLoad::Ok) << 0 << 0 << 0
                                 << "";
    QTest::newRow("one axis 150 steps keeps 100")
        << 1 << many1 << int(ProgramLoad::Ok) << 100 << 0 << 0 << "W:100";
    QTest::newRow("three axes 150 steps")
        << 3 << many3 << int(ProgramLoad::Ok) << 150 << 0 << 0 << "U00:|U00:|W:150";
    QTest::newRow("letter d passes the reader")
        << 1 << crlf("AXIS=1\nU02:d:1:5\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "U02:d,1,05";
    QTest::newRow("letter F upper")
        << 1 << crlf("AXIS=1\nU02:F:0:0\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "U02:F,0,00";
    QTest::newRow("leading zeros kept")
        << 1 << crlf("AXIS=1\nAGO:0050\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "AGO:A0050";
    QTest::newRow("surplus values ignored")
        << 1 << crlf("AXIS=1\nAGO:5:6\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "AGO:A5";
    QTest::newRow("comment keeps colons")
        << 1 << crlf("AXIS=1\n#: a:b \n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "#:a:b";
    QTest::newRow("empty comment")
        << 1 << crlf("AXIS=1\n#:\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "#:";
    QTest::newRow("comment of 45 characters")
        << 1 << "AXIS=1\r\n#:" + QByteArray(45, 'x') + "\r\n"
        << int(ProgramLoad::Ok) << 1 << 0 << 0 << "#:" + QString(45, QLatin1Char('x'));
    QTest::newRow("comment with Latin-1 character")
        << 1 << QByteArray("AXIS=1\r\n#:caf\xe9\r\n") << int(ProgramLoad::Ok) << 1 << 0 << 0
        << QString::fromUtf8("#:café");
    QTest::newRow("parameter 53") << 1 << crlf("AXIS=1\nP:53:3121\n") << int(ProgramLoad::Ok) << 1
                                  << 0 << 0 << "P:53,3,1,2,1";
    QTest::newRow("speed equal bounds") << 1 << crlf("AXIS=1\nD:100:100:10\n")
                                        << int(ProgramLoad::Ok) << 1 << 0 << 0 << "D:A100,100,10";
    QTest::newRow("blanks around pieces") << 2 << crlf("AXIS=2\n AGO:5 , H: \n")
                                          << int(ProgramLoad::Ok) << 1 << 0 << 0 << "AGO:A5|H:B";
    QTest::newRow("jump code found before speed code")
        << 1 << crlf("AXIS=1\nU03:0:1\n") << int(ProgramLoad::Ok) << 1 << 0 << 0 << "U03:00,1";

    QTest::newRow("empty file") << 1 << QByteArray() << int(ProgramLoad::HeaderInvalid) << 0 << 1
                                << 0 << "";
    QTest::newRow("header four axes")
        << 1 << crlf("AXIS=4\nAGO:1\n") << int(ProgramLoad::HeaderInvalid) << 0 << 1 << 0 << "";
    QTest::newRow("header missing")
        << 1 << crlf("AGO:1\n") << int(ProgramLoad::HeaderInvalid) << 0 << 1 << 0 << "";
    QTest::newRow("blank first line")
        << 1 << crlf("\nAXIS=1\nAGO:1\n") << int(ProgramLoad::HeaderInvalid) << 0 << 1 << 0 << "";
    QTest::newRow("axis count differs") << 3 << crlf("AXIS=2\nAGO:1,AGO:2\n")
                                        << int(ProgramLoad::AxisMismatch) << 0 << 1 << 0 << "";
    QTest::newRow("value missing")
        << 1 << crlf("AXIS=1\nH:\nAGO:\n") << int(ProgramLoad::StepInvalid) << 0 << 3 << 1 << "";
    QTest::newRow("too few pieces")
        << 2 << crlf("AXIS=2\nH:\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 0 << "";
    QTest::newRow("three pieces on two axes")
        << 2 << crlf("AXIS=2\nH:,H:,H:\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 0 << "";
    QTest::newRow("unknown code") << 2 << crlf("AXIS=2\nH:,X:5\n") << int(ProgramLoad::StepInvalid)
                                  << 0 << 2 << 2 << "";
    QTest::newRow("value above range") << 1 << crlf("AXIS=1\nAGO:100000000\n")
                                       << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("value not a number")
        << 1 << crlf("AXIS=1\nAGO:1e3\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("letter G refused")
        << 1 << crlf("AXIS=1\nU02:G:0:0\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("number where letter needed")
        << 1 << crlf("AXIS=1\nU02:0:0:0\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("parameter value out of limits")
        << 1 << crlf("AXIS=1\nP:8:5\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("parameter 53 three characters")
        << 1 << crlf("AXIS=1\nP:53:312\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("parameter number 100")
        << 1 << crlf("AXIS=1\nP:100:0\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("start speed above top speed")
        << 1 << crlf("AXIS=1\nD:200:100:10\n") << int(ProgramLoad::StepInvalid) << 0 << 2 << 1
        << "";
    QTest::newRow("comment of 46 characters") << 1 << "AXIS=1\r\n#:" + QByteArray(46, 'x') + "\r\n"
                                              << int(ProgramLoad::StepInvalid) << 0 << 2 << 1 << "";
    QTest::newRow("bad line after blank lines")
        << 1 << crlf("AXIS=1\nH:\n\n\nQ:\n") << int(ProgramLoad::StepInvalid) << 0 << 5 << 1 << "";
    QTest::newRow("bad line beyond the step limit ignored")
        << 1 << many1 << int(ProgramLoad::Ok) << 100 << 0 << 0 << "W:100";
}

void TestProgramFile::reader() {
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    QFETCH(int, steps);
    QFETCH(int, line);
    QFETCH(int, piece);
    QFETCH(QString, lastStepText);
    ProgramDoc doc(RunConfig::maxStepsForType(type));
    bool made = false;
    const ProgramLoad r =
        loadProgramText(file, type, RunConfig::maxStepsForType(type), [&](int axes) {
            made = true;
            doc.setAxis(axes);
            return &doc;
        });
    QCOMPARE(int(r.status), status);
    QCOMPARE(r.line, line);
    QCOMPARE(r.piece, piece);
    QCOMPARE(made, status == ProgramLoad::Ok || status == ProgramLoad::StepInvalid);
    QCOMPARE(r.detail.isEmpty(), status == ProgramLoad::Ok);
    if (status != ProgramLoad::Ok)
        return;
    QCOMPARE(r.steps, steps);
    doc.setStep(r.steps);
    QCOMPARE(doc.getSendStep(steps), lastStepText);
    QVERIFY(!doc.getDirty());
}

void TestProgramFile::valuesKeptAsRead() {
    ProgramDoc doc(200);
    const ProgramLoad r = loadProgramText(crlf("AXIS=2\nago: 0050 ,U00:\n"), 2, 200, [&](int a) {
        doc.setAxis(a);
        return &doc;
    });
    QCOMPARE(int(r.status), int(ProgramLoad::Ok));
    QCOMPARE(doc.getProgCell(1, 1), (QStringList{"1", "0050"}));
    QCOMPARE(doc.getProgCell(2, 1), QStringList{"10"});
    QCOMPARE(doc.cell(1, 1).picture, 1);
}

void TestProgramFile::writerText() {
    ProgramDoc doc(200);
    doc.setAxis(2);
    doc.applyCellEdit(1, 1, 1, values(1, {"1000"}));
    doc.applyCellEdit(2, 1, 1, values(1, {"2000"}));
    doc.applyCellEdit(1, 2, 6, values(6, {"10", "600000", "100"}));
    doc.applyCellEdit(2, 3, 17, values(17, {"first corner,more"}));
    doc.applyCellEdit(1, 4, 5, values(5, {"11", "-500"}));
    QCOMPARE(programFileText(doc), crlf("AXIS=2\nAGO:1000,AGO:2000\nD:10:600000:100,U00:\n"
                                        "#:first corner,#:first corner\nP:11:-500,U00:\n"));
    ProgramDoc empty(100);
    empty.setAxis(1);
    QCOMPARE(programFileText(empty), QByteArray("AXIS=1\r\n"));
}

void TestProgramFile::roundTrip_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("one axis") << 1;
    QTest::newRow("two axes") << 2;
    QTest::newRow("three axes") << 3;
}

void TestProgramFile::roundTrip() {
    QFETCH(int, type);
    const int max = RunConfig::maxStepsForType(type);
    ProgramDoc doc(max);
    doc.setAxis(type);
    const int cmds[] = {1, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17};
    int step = 1;
    for (int cmd : cmds) {
        ValueArray v = values(cmd);
        if (cmd == 5)
            v = values(5, {"53", "3121"});
        if (cmd == 17)
            v = values(17, {QString::fromUtf8("Ä: ok")});
        doc.applyCellEdit(type, step++, cmd, v);
    }
    doc.applyCellEdit(1, max, 7, values(7, {"-5"}));
    doc.fillSteps(step);
    const QString path = QDir(m_app->path()).filePath(QStringLiteral("rt%1.txt").arg(type));
    QString why;
    QVERIFY(writeProgramFile(doc, path, &why));
    ProgramDoc back(max);
    const ProgramLoad r = loadProgramFile(path, type, max, [&](int a) {
        back.setAxis(a);
        return &back;
    });
    QCOMPARE(int(r.status), int(ProgramLoad::Ok));
    QCOMPARE(r.steps, max);
    back.setStep(r.steps);
    for (int s = 1; s <= max; ++s) {
        QCOMPARE(back.getSendStep(s), doc.getSendStep(s));
        for (int a = 1; a <= type; ++a)
            QCOMPARE(back.cell(a, s).text, doc.cell(a, s).text);
    }
}

void TestProgramFile::qtFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("pattern already named") << "Program files (*.txt)|*.txt"
                                           << "Program files (*.txt)";
    QTest::newRow("save filter") << QString::fromUtf8("ﾃｷｽﾄ(*.txt)|*.txt")
                                 << QString::fromUtf8("ﾃｷｽﾄ(*.txt)");
    QTest::newRow("pattern added") << "Programs|*.txt|All|*"
                                   << "Programs (*.txt);;All (*)";
}

void TestProgramFile::qtFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(qtFileFilter(filter), qt);
}

void TestProgramFile::saveNeverSavedAsksThenWritesDirectly() {
    RecordingPresenter presenter;
    ScriptedDialogs dialogs;
    ProgramDoc doc(200);
    doc.setAxis(1);
    doc.setFileName(QStringLiteral("Program4"));
    doc.applyCellEdit(1, 1, 4, values(4));
    const QString path = QDir(m_app->path()).filePath(QStringLiteral("saved.txt"));
    dialogs.answers = {path};
    QVERIFY(saveProgram(doc, false, dialogs));
    QCOMPARE(dialogs.saveCalls.size(), 1);
    QCOMPARE(dialogs.saveCalls[0],
             (QStringList{QString::fromUtf8("ﾃｷｽﾄ(*.txt)|*.txt"), QString(), "Program4"}));
    QCOMPARE(doc.getFileName(true), QDir::toNativeSeparators(path));
    QCOMPARE(doc.title(), QStringLiteral("saved.txt"));
    QVERIFY(!doc.getDirty());
    QCOMPARE(m_app->read(QStringLiteral("saved.txt")), QByteArray("AXIS=1\r\nH:\r\n"));

    // Saved once: Save writes without a dialog.
    doc.applyCellEdit(1, 2, 15, values(15));
    QVERIFY(saveProgram(doc, false, dialogs));
    QCOMPARE(dialogs.saveCalls.size(), 1);
    QCOMPARE(m_app->read(QStringLiteral("saved.txt")), QByteArray("AXIS=1\r\nH:\r\nU99:\r\n"));
    QVERIFY(presenter.shown().isEmpty());
}

void TestProgramFile::saveCancelledKeepsState() {
    ScriptedDialogs dialogs;
    ProgramDoc doc(200);
    doc.setAxis(1);
    doc.setFileName(QStringLiteral("Program2"));
    doc.applyCellEdit(1, 1, 4, values(4));
    QVERIFY(!saveProgram(doc, false, dialogs));
    QCOMPARE(doc.getFileName(true), QStringLiteral("Program2"));
    QVERIFY(doc.getDirty());
    QCOMPARE(doc.title(), QStringLiteral("Program2*"));
}

void TestProgramFile::saveFailureReportsAndKeepsState() {
    RecordingPresenter presenter;
    ScriptedDialogs dialogs;
    ProgramDoc doc(200);
    doc.setAxis(1);
    const QString good =
        QDir::toNativeSeparators(QDir(m_app->path()).filePath(QStringLiteral("keep.txt")));
    m_app->write(QStringLiteral("keep.txt"), "AXIS=1\r\nW:1\r\n");
    doc.setFileName(good);
    doc.applyCellEdit(1, 1, 4, values(4));
    const QString bad = QDir(m_app->path()).filePath(QStringLiteral("no/such/dir/x.txt"));
    dialogs.answers = {bad};
    QVERIFY(!saveProgram(doc, true, dialogs));
    QCOMPARE(presenter.shown().size(), 1);
    // A sentence first, then the path, then the system's reason.
    const QStringList lines = presenter.shown()[0].text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], langFile().GetINIStr(QStringLiteral("MsgBox"), QStringLiteral("Mes053")));
    QVERIFY(!lines[0].isEmpty());
    QCOMPARE(lines[1], QDir::toNativeSeparators(bad));
    QVERIFY(!lines[2].trimmed().isEmpty());
    QCOMPARE(presenter.shown()[0].icon, MsgIcon::Critical);
    QVERIFY(presenter.shown()[0].text.size() > QDir::toNativeSeparators(bad).size() + 3);
    QCOMPARE(doc.getFileName(true), good);
    QVERIFY(doc.getDirty());
    QCOMPARE(m_app->read(QStringLiteral("keep.txt")), QByteArray("AXIS=1\r\nW:1\r\n"));
}

void TestProgramFile::saveAsProposesCurrentName() {
    ScriptedDialogs dialogs;
    ProgramDoc doc(200);
    doc.setAxis(1);
    const QString dir = QDir::toNativeSeparators(m_app->path());
    doc.setFileName(dir + QDir::separator() + QStringLiteral("p.txt"));
    QVERIFY(!saveProgram(doc, true, dialogs));
    QCOMPARE(dialogs.saveCalls.size(), 1);
    QCOMPARE(dialogs.saveCalls[0][1], dir);
    QCOMPARE(dialogs.saveCalls[0][2], QStringLiteral("p.txt"));
}

void TestProgramFile::openFlows_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("message");
    QTest::addColumn<int>("windows");
    QTest::addColumn<int>("steps");
    QTest::newRow("loads") << 2 << crlf("AXIS=2\nAGO:1,AGO:2\nH:,H:\n") << -1 << 1 << 2;
    QTest::newRow("header wrong, no window") << 2 << crlf("AXIS=4\nH:,H:\n") << 20 << 0 << 0;
    QTest::newRow("other controller type") << 3 << crlf("AXIS=2\nH:,H:\n") << 20 << 0 << 0;
    QTest::newRow("bad step closes the window") << 2 << crlf("AXIS=2\nH:,H:\nH:\n") << 18 << 1 << 0;
}

void TestProgramFile::openFlows() {
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(int, message);
    QFETCH(int, windows);
    QFETCH(int, steps);
    RecordingPresenter presenter;
    RunConfig::setControllerType(type);
    m_app->write(QStringLiteral("open.txt"), file);
    ScriptedDialogs dialogs;
    dialogs.answers = {m_app->file(QStringLiteral("open.txt"))};
    DocMaker maker;
    openProgram(dialogs, maker);
    QCOMPARE(dialogs.openFilters,
             QStringList{langFile().GetINIStr("Tool", "Mes000") + QStringLiteral("|*.txt")});
    QCOMPARE(int(maker.docs.size()), windows);
    if (message < 0) {
        QVERIFY(presenter.shown().isEmpty());
        QVERIFY(maker.discarded.isEmpty());
        ProgramDoc& doc = *maker.docs.front();
        QCOMPARE(doc.getStep(), steps);
        QCOMPARE(doc.getFileName(true),
                 QDir::toNativeSeparators(m_app->file(QStringLiteral("open.txt"))));
        QCOMPARE(doc.title(), QStringLiteral("open.txt"));
        QVERIFY(!doc.getDirty());
        QCOMPARE(doc.currentStep(), 1);
        QCOMPARE(doc.currentCol(), 1);
    } else {
        QCOMPARE(presenter.shown().size(), 1);
        QCOMPARE(presenter.shown()[0].text, messageRequest(message).text);
        QCOMPARE(maker.discarded.size(), windows);
    }
    // A cancelled dialog does nothing at all.
    presenter.clear();
    openProgram(dialogs, maker);
    QCOMPARE(int(maker.docs.size()), windows);
    QVERIFY(presenter.shown().isEmpty());
}

QTEST_GUILESS_MAIN(TestProgramFile)
#include "test_programfile.moc"
