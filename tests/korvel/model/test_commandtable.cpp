#include "korvel/model/commandtable.h"

#include <QTest>

class TestCommandTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void placeholder();
};

void TestCommandTable::initTestCase() {
    buildCommandTable();
    buildParameterLimits();
}

void TestCommandTable::placeholder() {
    QCOMPARE(cmdCode(1), QStringLiteral("AGO:"));
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "test_commandtable.moc"
