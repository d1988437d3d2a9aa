#include "baxwin/ui/frmcorf.h"
#include "shared/inifile.h"

#include "../support/testenv.h"

#include <QApplication>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sourceDialog_data();
    void sourceDialog();
    void secondInstanceEndsSilently();
};

void TestStartup::sourceDialog_data() {
    QTest::addColumn<int>("choice"); // -1: closed through the frame
    QTest::addColumn<int>("code");
    QTest::newRow("controller") << 0 << 0;
    QTest::newRow("file") << 1 << 1;
    QTest::newRow("closed without a choice") << -1 << -1;
}

void TestStartup::sourceDialog() {
    QFETCH(int, choice);
    QFETCH(int, code);
    ScratchAppDir app;
    app.useLanguage(1);
    frmCorF dlg;
    bool controllerPreselected = false;
    QTimer::singleShot(0, &dlg, [&] {
        controllerPreselected = dlg.optPar(0)->isChecked();
        if (choice < 0) {
            dlg.close();
            return;
        }
        dlg.optPar(choice)->setChecked(true);
        QTest::mouseClick(dlg.cmdEnter(), Qt::LeftButton);
    });
    QCOMPARE(dlg.ShowDialog(), code);
    QVERIFY(controllerPreselected);
    QCOMPARE(dlg.windowTitle(),
             langFile().GetINIStr(QStringLiteral("frmCorF"), QStringLiteral("Title001")));
    QCOMPARE(dlg.optPar(1)->text(),
             langFile().GetINIStr(QStringLiteral("frmCorF"), QStringLiteral("Cap003")));
}

// The first Baxwin waits in its source dialog; a second one ends at once without a word.
void TestStartup::secondInstanceEndsSilently() {
    const QString exe = builtAppDir() + QStringLiteral("/baxwin");
    QProcess first;
    first.start(exe, {QStringLiteral("1")});
    QVERIFY(first.waitForStarted(5000));
    QTest::qWait(1500);
    QCOMPARE(first.state(), QProcess::Running);
    QProcess second;
    second.start(exe, {QStringLiteral("1")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    QVERIFY(first.waitForFinished(5000));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
