#include "korvel/model/programdoc.h"

#include "korvel/model/commandtable.h"
#include "korvel/shell/messages.h"
#include "recordingpresenter.h"
#include "testenv.h"

#include <QDir>
#include <QTest>

namespace {

ValueArray values(int cmd, const QStringList& v = {}) {
    ValueArray a = defaultValues(cmd);
    a[0] = QString::number(cmd);
    for (int i = 0; i < v.size() && i + 1 < a.size(); ++i)
        a[i + 1] = v[i];
    return a;
}

// "1,7,10" -> the commands of one step, axis by axis; 0 leaves a cell empty.
QList<int> commandList(const QString& text) {
    QList<int> out;
    for (const QString& s : text.split(QLatin1Char(',')))
        out.append(s.toInt());
    return out;
}

void putStep(ProgramDoc& doc, int step, const QList<int>& cmds) {
    for (int a = 1; a <= cmds.size(); ++a) {
        if (cmds[a - 1] != 0)
            QVERIFY(doc.bPutProgCell(a, step, cmds[a - 1], values(cmds[a - 1])));
    }
}

QList<int> stepCommands(const ProgramDoc& doc, int step) {
    QList<int> out;
    for (int a = 1; a <= doc.getAxis(); ++a)
        out.append(doc.cellCommand(a, step));
    return out;
}

// Records what the document asks of its window.
class RecordingView : public ProgramView {
public:
    void setGridTact(bool bSw) override { tacts.append(bSw); }
    void cellChanged(int, int) override { ++cellChanges; }
    void stepsChanged(int iStep) override { stepCounts.append(iStep); }
    void titleChanged(const QString& title) override { titles.append(title); }
    void currentCellChanged(int iStep, int iCol) override { current = {iStep, iCol}; }
    QList<bool> tacts;
    int cellChanges = 0;
    QList<int> stepCounts;
    QStringList titles;
    QPair<int, int> current{1, 1};
};

} // namespace

class TestProgramDoc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cellEncoding_data();
    void cellEncoding();
    void putRefusesShortValueArray();
    void commentCutAtComma();
    void spreading_data();
    void spreading();
    void spreadingCopiesValues();
    void bothGoIgnoredOnOneAxis();
    void placingBelowEndFillsGap();
    void insertAndDelete();
    void insertAtLimit_data();
    void insertAtLimit();
    void deleteOnlyStepThenAgain();
    void bulkChangesBracketed();
    void titleRules();
    void fileNameParts_data();
    void fileNameParts();
    void stepText_data();
    void stepText();
    void stepTextBeyondEnd();

private:
    ScratchAppDir* m_app = nullptr;
};

void TestProgramDoc::initTestCase() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestProgramDoc::cellEncoding_data() {
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QStringList>("vals");
    QTest::addColumn<QString>("textAfterName");
    QTest::addColumn<QStringList>("decoded");
    QTest::newRow("speed three values")
        << 6 << QStringList{" 10", "600000 ", "100"} << QStringLiteral("\r10,600000,100")
        << QStringList{"6", "10", "600000", "100"};
    QTest::newRow("home no values") << 4 << QStringList{} << QString() << QStringList{"4"};
    QTest::newRow("filler") << 10 << QStringList{} << QString() << QStringList{"10"};
    QTest::newRow("output four values")
        << 8 << QStringList{"0", "1", "2", "0"} << QStringLiteral("\r0,1,2,0")
        << QStringList{"8", "0", "1", "2", "0"};
    QTest::newRow("comment with colon")
        << 17 << QStringList{" a:b "} << QStringLiteral("\ra:b") << QStringList{"17", "a:b"};
}

void TestProgramDoc::cellEncoding() {
    QFETCH(int, cmd);
    QFETCH(QStringList, vals);
    QFETCH(QString, textAfterName);
    QFETCH(QStringList, decoded);
    ProgramDoc doc(200);
    doc.setAxis(2);
    QVERIFY(doc.bPutProgCell(2, 7, cmd, values(cmd, vals)));
    QCOMPARE(doc.cell(2, 7).text, cmdName(cmd) + textAfterName);
    QCOMPARE(doc.cell(2, 7).picture, cmd);
    QCOMPARE(doc.getProgCell(2, 7), decoded);
    QCOMPARE(doc.getStep(), 0); // storing never touches the step count or the flag
    QVERIFY(!doc.getDirty());
    QCOMPARE(doc.getProgCell(1, 7), QStringList{QString()});
    doc.clearCell(2, 7);
    QCOMPARE(doc.cell(2, 7).text, QString());
    QCOMPARE(doc.cell(2, 7).picture, 0);
}

void TestProgramDoc::putRefusesShortValueArray() {
    ProgramDoc doc(200);
    doc.setAxis(1);
    QVERIFY(doc.bPutProgCell(1, 1, 1, values(1, {"5"})));
    QVERIFY(!doc.bPutProgCell(1, 1, 6, ValueArray{QStringLiteral("6"), QStringLiteral("10")}));
    QCOMPARE(doc.getProgCell(1, 1), (QStringList{"1", "5"}));
}

void TestProgramDoc::commentCutAtComma() {
    ProgramDoc doc(200);
    doc.setAxis(2);
    doc.applyCellEdit(1, 1, 17, values(17, {"first,second"}));
    QCOMPARE(doc.getProgCell(2, 1), (QStringList{"17", "first"}));
    QCOMPARE(doc.getSendStep(1), QStringLiteral("#:first"));
}

void TestProgramDoc::spreading_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("axis");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("after");
    QTest::newRow("all-axes command fills the step") << 3 << "1,7,10" << 2 << 11 << "11,11,11";
    QTest::newRow("into an all-axes step resets the rest")
        << 3 << "14,14,14" << 1 << 7 << "7,10,10";
    QTest::newRow("same-in-step clears a foreign command") << 3 << "7,2,1" << 1 << 1 << "1,10,1";
    QTest::newRow("filler leaves same-in-step commands") << 3 << "1,1,1" << 1 << 10 << "10,1,1";
    QTest::newRow("plain command clears same-in-step") << 3 << "1,1,1" << 2 << 7 << "10,7,10";
    QTest::newRow("plain command keeps plain commands") << 3 << "3,6,9" << 1 << 7 << "7,6,9";
    QTest::newRow("empty axes get the filler") << 3 << "0,0,0" << 3 << 4 << "10,10,4";
    QTest::newRow("same-in-step keeps filler") << 2 << "10,10" << 2 << 2 << "10,2";
    QTest::newRow("comment over a mixed step") << 2 << "1,6" << 1 << 17 << "17,17";
    QTest::newRow("single axis") << 1 << "5" << 1 << 13 << "13";
}

void TestProgramDoc::spreading() {
    QFETCH(int, axes);
    QFETCH(QString, before);
    QFETCH(int, axis);
    QFETCH(int, cmd);
    QFETCH(QString, after);
    ProgramDoc doc(200);
    doc.setAxis(axes);
    putStep(doc, 1, commandList(before));
    doc.setStep(1);
    doc.applyCellEdit(axis, 1, cmd, values(cmd));
    QCOMPARE(stepCommands(doc, 1), commandList(after));
    QVERIFY(doc.getDirty());
    QCOMPARE(doc.getStep(), 1);
}

void TestProgramDoc::spreadingCopiesValues() {
    ProgramDoc doc(200);
    doc.setAxis(3);
    doc.applyCellEdit(2, 1, 11, values(11, {"7"}));
    for (int a = 1; a <= 3; ++a)
        QCOMPARE(doc.getProgCell(a, 1), (QStringList{"11", "7"}));
    QCOMPARE(doc.getSendStep(1), QStringLiteral("U01:07"));
}

void TestProgramDoc::bothGoIgnoredOnOneAxis() {
    ProgramDoc doc(100);
    doc.setAxis(1);
    doc.applyCellEdit(1, 1, 2, values(2, {"5"}));
    QCOMPARE(doc.getStep(), 0);
    QVERIFY(!doc.getDirty());
    QCOMPARE(doc.cell(1, 1).text, QString());
}

void TestProgramDoc::placingBelowEndFillsGap() {
    ProgramDoc doc(200);
    doc.setAxis(3);
    const int n = doc.getStep();
    doc.applyCellEdit(1, 5, 1, values(1, {"1000"}));
    doc.fillSteps(n + 1);
    QCOMPARE(doc.getStep(), 5);
    for (int s = 1; s <= 4; ++s)
        QCOMPARE(stepCommands(doc, s), (QList<int>{10, 10, 10}));
    QCOMPARE(stepCommands(doc, 5), (QList<int>{1, 10, 10}));
    QCOMPARE(stepCommands(doc, 6), (QList<int>{0, 0, 0}));
}

void TestProgramDoc::insertAndDelete() {
    RecordingPresenter presenter;
    ProgramDoc doc(200);
    doc.setAxis(2);
    for (int s = 1; s <= 3; ++s)
        doc.applyCellEdit(1, s, 1, values(1, {QString::number(s * 100)}));
    doc.setDirty(false);
    doc.setCurrentCell(2, 5);
    doc.insertStep();
    QCOMPARE(doc.getStep(), 4);
    QCOMPARE(stepCommands(doc, 2), (QList<int>{10, 10}));
    QCOMPARE(doc.getProgCell(1, 3), (QStringList{"1", "200"}));
    QCOMPARE(doc.getProgCell(1, 4), (QStringList{"1", "300"}));
    QCOMPARE(doc.currentStep(), 2);
    QCOMPARE(doc.currentCol(), 5);
    QVERIFY(doc.getDirty());

    doc.setDirty(false);
    doc.setCurrentCell(1, 1);
    doc.deleteStep();
    QCOMPARE(doc.getStep(), 3);
    QCOMPARE(stepCommands(doc, 1), (QList<int>{10, 10}));
    QCOMPARE(doc.getProgCell(1, 3), (QStringList{"1", "300"}));
    QCOMPARE(stepCommands(doc, 4), (QList<int>{0, 0}));
    QVERIFY(doc.getDirty());

    // Below the last step in use: code 2 for both, nothing changes.
    doc.setDirty(false);
    doc.setCurrentCell(5, 1);
    doc.insertStep();
    doc.deleteStep();
    QCOMPARE(presenter.shown().size(), 2);
    for (const MessageRequest& r : presenter.shown())
        QCOMPARE(r.text, messageRequest(Msg::BeyondLastStep).text);
    QCOMPARE(doc.getStep(), 3);
    QVERIFY(!doc.getDirty());

    // Inserting right after the last step is also below the program.
    presenter.clear();
    doc.setCurrentCell(4, 1);
    doc.insertStep();
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(doc.getStep(), 3);
}

void TestProgramDoc::insertAtLimit_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<int>("limit");
    QTest::newRow("one axis 100 steps") << 1 << 100;
    QTest::newRow("two axes 200 steps") << 2 << 200;
    QTest::newRow("three axes 200 steps") << 3 << 200;
}

void TestProgramDoc::insertAtLimit() {
    QFETCH(int, axes);
    QFETCH(int, limit);
    RecordingPresenter presenter;
    ProgramDoc doc(limit);
    doc.setAxis(axes);
    doc.applyCellEdit(1, limit, 7, values(7, {"1"}));
    doc.fillSteps(1);
    QCOMPARE(doc.getStep(), limit);
    doc.setDirty(false);
    doc.setCurrentCell(1, 1);
    doc.insertStep();
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(presenter.shown().front().text, messageRequest(Msg::ProgramFull).text);
    QCOMPARE(presenter.shown().front().icon, MsgIcon::Critical);
    QCOMPARE(doc.getStep(), limit);
    QCOMPARE(doc.cellCommand(1, limit), 7);
    QVERIFY(!doc.getDirty());
    // One step fewer leaves room for exactly one insertion, which pushes the last step down.
    doc.setCurrentCell(limit, 1);
    doc.deleteStep();
    doc.setCurrentCell(1, 1);
    doc.insertStep();
    QCOMPARE(doc.getStep(), limit);
    QCOMPARE(presenter.shown().size(), 1);
}

void TestProgramDoc::deleteOnlyStepThenAgain() {
    RecordingPresenter presenter;
    ProgramDoc doc(200);
    doc.setAxis(3);
    doc.applyCellEdit(1, 1, 4, values(4));
    doc.setCurrentCell(1, 1);
    doc.deleteStep();
    QCOMPARE(doc.getStep(), 0);
    QCOMPARE(stepCommands(doc, 1), (QList<int>{0, 0, 0}));
    QVERIFY(presenter.shown().isEmpty());
    doc.deleteStep();
    QCOMPARE(presenter.shown().size(), 1);
    QCOMPARE(presenter.shown().front().text, messageRequest(Msg::BeyondLastStep).text);
}

void TestProgramDoc::bulkChangesBracketed() {
    RecordingView view;
    ProgramDoc doc(200);
    doc.setAxis(3);
    doc.setView(&view);
    doc.applyCellEdit(2, 3, 1, values(1, {"5"}));
    QCOMPARE(view.tacts, (QList<bool>{false, true}));
    QCOMPARE(view.stepCounts, QList<int>{3});
    QCOMPARE(view.current, qMakePair(3, 4));
    view.tacts.clear();
    doc.fillSteps(1);
    QCOMPARE(view.tacts, (QList<bool>{false, true}));
    view.tacts.clear();
    doc.setCurrentCell(1, 2);
    doc.insertStep();
    QCOMPARE(view.tacts, (QList<bool>{false, true}));
    QCOMPARE(view.current, qMakePair(1, 2));
    QCOMPARE(view.stepCounts.last(), 4);
}

void TestProgramDoc::titleRules() {
    RecordingView view;
    ProgramDoc doc(200);
    doc.setView(&view);
    doc.setFileName(QStringLiteral("Program1"));
    QCOMPARE(doc.title(), QStringLiteral("Program1"));
    doc.setDirty(true);
    QCOMPARE(doc.title(), QStringLiteral("Program1*"));
    doc.setDirty(true);
    QCOMPARE(doc.title(), QStringLiteral("Program1*"));
    doc.setDirty(false);
    QCOMPARE(doc.title(), QStringLiteral("Program1"));
    QVERIFY(!doc.getDirty());
    doc.setDirty(true);
    const QString path =
        QDir::separator() + QStringLiteral("work") + QDir::separator() + QStringLiteral("p.txt");
    doc.setFileName(path);
    QCOMPARE(doc.title(), QStringLiteral("p.txt")); // a new name drops the mark
    QVERIFY(doc.getDirty());
    QCOMPARE(view.titles.last(), QStringLiteral("p.txt"));
}

void TestProgramDoc::fileNameParts_data() {
    const QString sep = QDir::separator();
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shortName");
    QTest::newRow("never saved") << "Program3"
                                 << "Program3";
    QTest::newRow("full path") << sep + "a" + sep + "b" + sep + "x.txt"
                               << "x.txt";
    QTest::newRow("folder only") << "dir" + sep << "";
}

void TestProgramDoc::fileNameParts() {
    QFETCH(QString, name);
    QFETCH(QString, shortName);
    ProgramDoc doc(200);
    doc.setFileName(name);
    QCOMPARE(doc.getFileName(true), name);
    QCOMPARE(doc.getFileName(false), shortName);
}

void TestProgramDoc::stepText_data() {
    QTest::addColumn<int>("axes");
    // One entry per axis: "cmd:v1:v2..."
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("expected");
    QTest::newRow("absolute move") << 1 << QStringList{"1:1000"} << "AGO:A1000";
    QTest::newRow("home on axis 2") << 2 << QStringList{"10", "4"} << "U00:|H:B";
    QTest::newRow("speed") << 1 << QStringList{"6:10:600000:100"} << "D:A10,600000,100";
    QTest::newRow("parameter signed on axis 2")
        << 2 << QStringList{"10", "5:11:-500"} << "U00:|P:11B-00000500";
    QTest::newRow("parameter 90 padded") << 1 << QStringList{"5:90:5"} << "P:90,05";
    QTest::newRow("parameter 53 split") << 1 << QStringList{"5:53:0101"} << "P:53,0,1,0,1";
    QTest::newRow("parameter 22 three digits") << 1 << QStringList{"5:22:0"} << "P:22A000";
    QTest::newRow("parameter 4 two digits") << 1 << QStringList{"5:4:7"} << "P:04A07";
    QTest::newRow("parameter 25 non-negative sign")
        << 1 << QStringList{"5:25:0"} << "P:25A+00000000";
    QTest::newRow("parameter 73 negative") << 1 << QStringList{"5:73:-2"} << "P:73A-00000002";
    QTest::newRow("parameter 80 per axis")
        << 3 << QStringList{"10", "10", "5:80:2"} << "U00:|U00:|P:80C2";
    QTest::newRow("parameter 79 common") << 1 << QStringList{"5:79:0"} << "P:79,0";
    QTest::newRow("parameter 50 per axis") << 1 << QStringList{"5:50:0"} << "P:50,0";
    QTest::newRow("parameter 49 per axis") << 1 << QStringList{"5:49:0"} << "P:49A0";
    QTest::newRow("parameter 8 unchanged") << 1 << QStringList{"5:8:500"} << "P:08A500";
    QTest::newRow("output") << 1 << QStringList{"8:0:1:2:0"} << "C:0120";
    QTest::newRow("speed table axis 3") << 3 << QStringList{"10", "10", "9:5"} << "U00:|U00:|S:C05";
    QTest::newRow("conditional jump") << 1 << QStringList{"12:A:1:5"} << "U02:A,1,05";
    QTest::newRow("loop") << 1 << QStringList{"13:3:100"} << "U03:03,100";
    QTest::newRow("comment") << 2 << QStringList{"17:go home", "17:go home"} << "#:go home";
    QTest::newRow("three axes with filler")
        << 3 << QStringList{"1:1000", "1:2000", "10"} << "AGO:A1000|AGO:B2000|U00:";
    QTest::newRow("jump in every axis") << 3 << QStringList{"11:7", "11:7", "11:7"} << "U01:07";
    QTest::newRow("leading zeros kept") << 1 << QStringList{"1:0050"} << "AGO:A0050";
    QTest::newRow("timer") << 1 << QStringList{"16:20"} << "W:20";
    QTest::newRow("end of program") << 1 << QStringList{"15"} << "U99:";
}

void TestProgramDoc::stepText() {
    QFETCH(int, axes);
    QFETCH(QStringList, cells);
    QFETCH(QString, expected);
    ProgramDoc doc(200);
    doc.setAxis(axes);
    for (int a = 1; a <= axes; ++a) {
        QStringList parts = cells[a - 1].split(QLatin1Char(':'));
        const int cmd = parts.takeFirst().toInt();
        QVERIFY(doc.bPutProgCell(a, 1, cmd, values(cmd, parts)));
    }
    doc.setStep(1);
    QCOMPARE(doc.getSendStep(1), expected);
}

void TestProgramDoc::stepTextBeyondEnd() {
    ProgramDoc doc(200);
    doc.setAxis(1);
    doc.applyCellEdit(1, 1, 4, values(4));
    QCOMPARE(doc.getSendStep(1), QStringLiteral("H:A"));
    QCOMPARE(doc.getSendStep(2), QString());
}

QTEST_GUILESS_MAIN(TestProgramDoc)
#include "test_programdoc.moc"
