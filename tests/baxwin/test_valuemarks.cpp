#include "baxwin/valuemarks.h"

#include <QTest>

Q_DECLARE_METATYPE(ParCell)

namespace {

// Per-axis 1, 8, 9, 20 and 37 (not used), common 53, 60 and 75.
ParDefs smallDefs() {
    ParDefs d;
    const QList<QPair<int, const char*>> names = {
        {1, "Pulse output mode"},    {8, "Maximum speed"},      {9, "Start speed"},
        {20, "Origin return speed"}, {37, "Hidden speed"},      {53, "Input terminal setup"},
        {60, "Echo back"},           {75, "Manual speed [pps]"}};
    for (const auto& [n, name] : names) {
        d[n].used = n == 37 ? 0 : 1;
        d[n].kind = n >= 50 ? 1 : 0;
        d[n].name = QLatin1String(name);
    }
    return d;
}

ParValueTable filled(const QString& text) {
    ParValueTable t;
    t.fill(text);
    return t;
}

QString cellsText(const QList<ParCell>& cells) {
    QStringList out;
    for (const ParCell& c : cells)
        out << QStringLiteral("%1/%2").arg(c.parNo).arg(c.axis);
    return out.join(QLatin1Char(' '));
}

} // namespace

// The comparison behind the editor's marks and the command-line diff, and the find's search.
class TestValueMarks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameValue_data();
    void sameValue();
    void shownCells();
    void changedCells_data();
    void changedCells();
    void referenceClearsMarks();
    void differentCells_data();
    void differentCells();
    void differencesFollowEdits();
    void findParameter_data();
    void findParameter();
};

void TestValueMarks::sameValue_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("equal texts") << 8 << "10000"
                                 << "10000" << true;
    QTest::newRow("leading zeros are one value") << 8 << "010000"
                                                 << "10000" << true;
    QTest::newRow("plus sign") << 8 << "+5"
                               << "5" << true;
    QTest::newRow("trailing fractional zero") << 8 << "1.50"
                                              << "1.5" << true;
    QTest::newRow("minus zero") << 11 << "-0"
                                << "0" << true;
    QTest::newRow("blanks around a number") << 8 << " 7 "
                                            << "7" << true;
    QTest::newRow("other number") << 8 << "10000"
                                  << "10001" << false;
    QTest::newRow("sign matters") << 11 << "-20"
                                  << "20" << false;
    QTest::newRow("empty is no value") << 8 << ""
                                       << "0" << false;
    QTest::newRow("text after a number") << 8 << "5-"
                                         << "5" << false;
    QTest::newRow("placeholder against a number") << 8 << "*"
                                                  << "0" << false;
    QTest::newRow("53 keeps its digits") << 53 << "0101"
                                         << "101" << false;
    QTest::newRow("53 equal digits") << 53 << "3121"
                                     << "3121" << true;
    QTest::newRow("53 plus sign") << 53 << "+3121"
                                  << "3121" << false;
}

void TestValueMarks::sameValue() {
    QFETCH(int, n);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(ValueMarks::sameValue(n, a, b), same);
    QCOMPARE(ValueMarks::sameValue(n, b, a), same);
}

void TestValueMarks::shownCells() {
    const ParDefs d = smallDefs();
    QCOMPARE(cellsText(ValueMarks::shownCells(d)),
             QStringLiteral("1/1 1/2 1/3 8/1 8/2 8/3 9/1 9/2 9/3 20/1 20/2 20/3 53/1 60/1 75/1"));
}

void TestValueMarks::changedCells_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("axis");
    QTest::addColumn<QString>("value"); // the reference holds "10" everywhere
    QTest::addColumn<QString>("changed");
    QTest::newRow("per-axis value") << 8 << 2 << "20"
                                    << "8/2";
    QTest::newRow("last axis") << 20 << 3 << "0"
                               << "20/3";
    QTest::newRow("common value") << 60 << 1 << "1"
                                  << "60/1";
    QTest::newRow("same value written otherwise") << 8 << 1 << "010"
                                                  << "";
    QTest::newRow("retyped") << 9 << 1 << "10"
                             << "";
    QTest::newRow("hidden column of a common parameter") << 60 << 2 << "1"
                                                         << "";
    QTest::newRow("unused parameter") << 37 << 1 << "1"
                                      << "";
    QTest::newRow("parameter without definition") << 40 << 1 << "1"
                                                  << "";
}

void TestValueMarks::changedCells() {
    QFETCH(int, n);
    QFETCH(int, axis);
    QFETCH(QString, value);
    QFETCH(QString, changed);
    const ParDefs d = smallDefs();
    ValueMarkState marks(d);
    ParValueTable values = filled(QStringLiteral("10"));
    marks.setReference(values);
    QVERIFY(marks.changedCells(values).isEmpty());
    values.at(n, axis) = value;
    QCOMPARE(cellsText(marks.changedCells(values)), changed);
    // The count leaves out what the grid does not show; the cell itself knows its change.
    if (!changed.isEmpty())
        QVERIFY(marks.isChanged(values, n, axis));
}

void TestValueMarks::referenceClearsMarks() {
    const ParDefs d = smallDefs();
    ValueMarkState marks(d);
    ParValueTable values = filled(QStringLiteral("0"));
    marks.setReference(values);
    values.at(75, 1) = QStringLiteral("1000");
    values.at(1, 3) = QStringLiteral("2");
    QCOMPARE(cellsText(marks.changedCells(values)), QStringLiteral("1/3 75/1"));
    marks.setReference(values);
    QVERIFY(marks.changedCells(values).isEmpty());
    // Changing a value back to what it was before the reference is a change again.
    values.at(75, 1) = QStringLiteral("0");
    QCOMPARE(cellsText(marks.changedCells(values)), QStringLiteral("75/1"));
}

void TestValueMarks::differentCells_data() {
    QTest::addColumn<QList<ParCell>>("edits");  // editor values set to "5"
    QTest::addColumn<QList<ParCell>>("unread"); // the controller did not report these
    QTest::addColumn<QString>("differ");
    QTest::newRow("all equal") << QList<ParCell>{} << QList<ParCell>{} << "";
    QTest::newRow("both tabs, in number order")
        << QList<ParCell>{{75, 1}, {8, 2}, {53, 1}} << QList<ParCell>{} << "8/2 53/1 75/1";
    QTest::newRow("a third axis the controller lacks")
        << QList<ParCell>{{8, 3}, {9, 1}} << QList<ParCell>{{1, 3}, {8, 3}, {9, 3}, {20, 3}}
        << "9/1";
    QTest::newRow("hidden columns of a common parameter")
        << QList<ParCell>{{60, 2}, {60, 3}} << QList<ParCell>{} << "";
    QTest::newRow("unused parameter") << QList<ParCell>{{37, 1}} << QList<ParCell>{} << "";
}

void TestValueMarks::differentCells() {
    QFETCH(QList<ParCell>, edits);
    QFETCH(QList<ParCell>, unread);
    QFETCH(QString, differ);
    const ParDefs d = smallDefs();
    ValueMarkState marks(d);
    ParValueTable values = filled(QStringLiteral("0"));
    ParValueTable controller = values;
    for (const ParCell& c : unread)
        controller.at(c.parNo, c.axis) = QStringLiteral("*");
    for (const ParCell& c : edits)
        values.at(c.parNo, c.axis) = QStringLiteral("5");
    QVERIFY(marks.differentCells(values).isEmpty());
    QVERIFY(!marks.hasControllerValues());
    marks.setControllerValues(controller, QStringLiteral("*"));
    QVERIFY(marks.hasControllerValues());
    QCOMPARE(cellsText(marks.differentCells(values)), differ);
    for (const ParCell& c : marks.differentCells(values)) {
        QVERIFY(marks.differsFromController(values, c.parNo, c.axis));
        QCOMPARE(marks.controllerValue(c.parNo, c.axis), QStringLiteral("0"));
    }
    marks.dropControllerValues();
    QVERIFY(marks.differentCells(values).isEmpty());
    QVERIFY(!marks.hasControllerValues());
}

// The controller's values stay until dropped: an edit to the controller's value removes the
// difference, an edit away from it makes one.
void TestValueMarks::differencesFollowEdits() {
    const ParDefs d = smallDefs();
    ValueMarkState marks(d);
    ParValueTable values = filled(QStringLiteral("0"));
    ParValueTable controller = values;
    controller.at(8, 1) = QStringLiteral("20000");
    marks.setControllerValues(controller, QStringLiteral("*"));
    QCOMPARE(cellsText(marks.differentCells(values)), QStringLiteral("8/1"));
    values.at(8, 1) = QStringLiteral("20000");
    QVERIFY(marks.differentCells(values).isEmpty());
    values.at(9, 2) = QStringLiteral("600");
    QCOMPARE(cellsText(marks.differentCells(values)), QStringLiteral("9/2"));
}

void TestValueMarks::findParameter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("found");
    QTest::newRow("first name from the start") << "speed" << 0 << 8;
    QTest::newRow("next name") << "speed" << 8 << 9;
    QTest::newRow("unused parameter skipped") << "speed" << 20 << 75;
    QTest::newRow("wraps around") << "speed" << 75 << 8;
    QTest::newRow("without regard to case") << "SPEED" << 0 << 8;
    QTest::newRow("blanks around the text") << "  echo " << 0 << 60;
    QTest::newRow("the only match is the current one") << "echo" << 60 << 60;
    QTest::newRow("number as shown") << "08" << 0 << 8;
    QTest::newRow("digit inside a number") << "6" << 0 << 60;
    QTest::newRow("leading zero of a number") << "0" << 1 << 8;
    QTest::newRow("bracket in a name") << "[pps]" << 0 << 75;
    QTest::newRow("not found") << "torque" << 0 << 0;
    QTest::newRow("unused parameter's name") << "hidden" << 0 << 0;
    QTest::newRow("blank text") << "   " << 0 << 0;
}

void TestValueMarks::findParameter() {
    QFETCH(QString, text);
    QFETCH(int, after);
    QFETCH(int, found);
    QCOMPARE(ParSearch::findParameter(smallDefs(), text, after), found);
}

QTEST_APPLESS_MAIN(TestValueMarks)
#include "test_valuemarks.moc"
