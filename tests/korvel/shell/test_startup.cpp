#include "korvel/model/runconfig.h"
#include "korvel/shell/frmStart.h"
#include "shared/inifile.h"

#include "recordingpresenter.h"
#include "testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void languageFromArgument_data();
    void languageFromArgument();
    void preselectedType_data();
    void preselectedType();
    void okStoresTypeAndOpensMain_data();
    void okStoresTypeAndOpensMain();
    void unwritableTypeFileIsReportedAndRunGoesOn();
    void readOnlyDirectoryKeepsTheTypeInTheUserFolder_data();
    void readOnlyDirectoryKeepsTheTypeInTheUserFolder();
    void cancelAnsweredNoKeepsWindow();
    void cancelAnsweredYesEndsWithoutMain();
    void closeBoxRefused();
    void fixedSizeCentredDialog();
    void enterConfirms_data();
    void enterConfirms();
};

void TestStartup::languageFromArgument_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("languageNo");
    QTest::newRow("none") << "" << 0;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("01") << "01" << 1;
    QTest::newRow("1.4") << "1.4" << 1;
    QTest::newRow("1.5 rounds to 2") << "1.5" << 0;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("2") << "2" << 0;
}

void TestStartup::languageFromArgument() {
    QFETCH(QString, argument);
    QFETCH(int, languageNo);
    ScratchAppDir app;
    frmStart w(argument);
    QCOMPARE(RunConfig::languageNo(), languageNo);
    QVERIFY(langFile().INIFile().endsWith(QStringLiteral("LANG%1.DAT").arg(languageNo)));
    clsIniFile ini;
    ini.setINIFile(app.file(QStringLiteral("LANG%1.DAT").arg(languageNo)));
    const QString section = QStringLiteral("frmStart");
    QCOMPARE(w.windowTitle(), ini.GetINIStr(section, QStringLiteral("Caption000")));
    QCOMPARE(w.cmdOK()->text(), ini.GetINIStr(section, QStringLiteral("Caption001")));
    QCOMPARE(w.cmdCancel()->text(), ini.GetINIStr(section, QStringLiteral("Caption002")));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w.optType(i)->text(),
                 ini.GetINIStr(section, QStringLiteral("Caption00%1").arg(i + 3)));
    if (languageNo == 1)
        QCOMPARE(w.windowTitle(), QStringLiteral("Controller selection"));
    else
        QCOMPARE(w.windowTitle(), QString::fromUtf8("コントローラ選択"));
}

void TestStartup::preselectedType_data() {
    QTest::addColumn<QByteArray>("content"); // "-" means no file
    QTest::addColumn<int>("selected");
    QTest::newRow("missing") << QByteArray("-") << 0;
    QTest::newRow("3") << QByteArray("3\r\n") << 2;
    QTest::newRow("2 without line end") << QByteArray("2") << 1;
    QTest::newRow("0") << QByteArray("0\r\n") << 0;
    QTest::newRow("-1") << QByteArray("-1\r\n") << 0;
    QTest::newRow("4") << QByteArray("4\r\n") << 0;
    QTest::newRow("abc") << QByteArray("abc\r\n") << 0;
    QTest::newRow("empty line") << QByteArray("\r\n") << 0;
    QTest::newRow("empty file") << QByteArray("") << 0;
    QTest::newRow("2.6 rounds to 3") << QByteArray("2.6\r\n") << 2;
    QTest::newRow("2.5 rounds to even 2") << QByteArray("2.5\r\n") << 1;
    QTest::newRow("3.6 rounds out of range") << QByteArray("3.6\r\n") << 0;
    QTest::newRow("0.4 rounds to 0") << QByteArray("0.4\r\n") << 0;
    QTest::newRow("first item only") << QByteArray("2,3\r\n") << 1;
    QTest::newRow("first line only") << QByteArray("3\r\n1\r\n") << 2;
    QTest::newRow("quoted item") << QByteArray("\"2\"\r\n") << 1;
}

void TestStartup::preselectedType() {
    QFETCH(QByteArray, content);
    QFETCH(int, selected);
    ScratchAppDir app;
    if (content != "-")
        app.write(QStringLiteral("typ.cfg"), content);
    frmStart w{QString()};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w.optType(i)->isChecked(), i == selected);
}

void TestStartup::okStoresTypeAndOpensMain_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("maxSteps");
    QTest::newRow("1-axis") << 0 << 100;
    QTest::newRow("2-axis") << 1 << 200;
    QTest::newRow("3-axis") << 2 << 200;
}

void TestStartup::okStoresTypeAndOpensMain() {
    QFETCH(int, option);
    QFETCH(int, maxSteps);
    ScratchAppDir app;
    app.write(QStringLiteral("typ.cfg"), "2,extra,stuff\r\nmore lines\r\n");
    RecordingPresenter rec;
    auto* w = new frmStart(QString());
    QPointer<frmStart> guard(w);
    bool opened = false;
    w->setOnConfirmed([&] {
        opened = true;
        QVERIFY(!w->isVisible());
    });
    w->show();
    w->optType(option)->setChecked(true);
    QTest::mouseClick(w->cmdOK(), Qt::LeftButton);
    QVERIFY(opened);
    QCOMPARE(RunConfig::controllerType(), option + 1);
    QCOMPARE(RunConfig::maxSteps(), maxSteps);
    QCOMPARE(app.read(QStringLiteral("typ.cfg")), QByteArray::number(option + 1) + "\r\n");
    QVERIFY(rec.shown().isEmpty());
    QTRY_VERIFY(guard.isNull());
}

void TestStartup::unwritableTypeFileIsReportedAndRunGoesOn() {
    ScratchAppDir app;
    // A directory in the file's place cannot be replaced by a file.
    QVERIFY(QDir(app.path()).mkdir(QStringLiteral("typ.cfg")));
    RecordingPresenter rec;
    auto* w = new frmStart(QStringLiteral("1"));
    bool opened = false;
    w->setOnConfirmed([&] { opened = true; });
    w->optType(2)->setChecked(true);
    w->cmdOK_Click();
    QVERIFY(opened);
    QCOMPARE(RunConfig::controllerType(), 3);
    QCOMPARE(rec.shown().size(), 1);
    QVERIFY(rec.shown().first().text.contains(QStringLiteral("typ.cfg")));
    QCOMPARE(rec.shown().first().icon, MsgIcon::Exclamation);
}

void TestStartup::readOnlyDirectoryKeepsTheTypeInTheUserFolder_data() {
    QTest::addColumn<QByteArray>("appCopy");  // "-" means no file
    QTest::addColumn<QByteArray>("userCopy"); // "-" means no file
    QTest::addColumn<int>("selected");
    QTest::newRow("no copy: 1-axis, the user folder is created")
        << QByteArray("-") << QByteArray("-") << 0;
    QTest::newRow("the installed copy is offered") << QByteArray("3\r\n") << QByteArray("-") << 2;
    QTest::newRow("the user copy wins") << QByteArray("3\r\n") << QByteArray("2\r\n") << 1;
    QTest::newRow("a bad user copy is not passed over")
        << QByteArray("3\r\n") << QByteArray("abc\r\n") << 0;
}

void TestStartup::readOnlyDirectoryKeepsTheTypeInTheUserFolder() {
    QFETCH(QByteArray, appCopy);
    QFETCH(QByteArray, userCopy);
    QFETCH(int, selected);
    ScratchAppDir app;
    ScratchConfigHome home;
    if (appCopy != "-")
        app.write(QStringLiteral("typ.cfg"), appCopy);
    if (userCopy != "-")
        home.write(QStringLiteral("typ.cfg"), userCopy);
    app.pretendReadOnly();
    RecordingPresenter rec;
    auto* w = new frmStart(QString());
    QPointer<frmStart> guard(w);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w->optType(i)->isChecked(), i == selected);

    w->show();
    const int chosen = (selected + 1) % 3;
    w->optType(chosen)->setChecked(true);
    QTest::mouseClick(w->cmdOK(), Qt::LeftButton);
    QVERIFY(rec.shown().isEmpty());
    QCOMPARE(home.read(QStringLiteral("typ.cfg")), QByteArray::number(chosen + 1) + "\r\n");
    if (appCopy == "-")
        QVERIFY(!QFile::exists(app.file(QStringLiteral("typ.cfg"))));
    else
        QCOMPARE(app.read(QStringLiteral("typ.cfg")), appCopy);
    QTRY_VERIFY(guard.isNull());
}

void TestStartup::cancelAnsweredNoKeepsWindow() {
    ScratchAppDir app;
    app.write(QStringLiteral("typ.cfg"), "2\r\n");
    RecordingPresenter rec;
    frmStart w(QStringLiteral("1"));
    bool quit = false, opened = false;
    w.setOnQuit([&] { quit = true; });
    w.setOnConfirmed([&] { opened = true; });
    w.show();
    rec.answerNext(MsgResult::No);
    QTest::mouseClick(w.cmdCancel(), Qt::LeftButton);
    QCOMPARE(rec.shown().size(), 1);
    const MessageRequest& r = rec.shown().first();
    QCOMPARE(r.buttons, MsgButtons::YesNo);
    QCOMPARE(r.icon, MsgIcon::None);
    QCOMPARE(r.text, QStringLiteral("Do you want to quit Korvel?"));
    QVERIFY(!quit);
    QVERIFY(!opened);
    QVERIFY(w.isVisible());
}

void TestStartup::cancelAnsweredYesEndsWithoutMain() {
    ScratchAppDir app;
    app.write(QStringLiteral("typ.cfg"), "2\r\n");
    RecordingPresenter rec;
    frmStart w{QString()};
    bool quit = false, opened = false;
    w.setOnQuit([&] { quit = true; });
    w.setOnConfirmed([&] { opened = true; });
    w.show();
    w.optType(2)->setChecked(true);
    rec.answerNext(MsgResult::Yes);
    w.cmdCancel_Click();
    QVERIFY(quit);
    QVERIFY(!opened);
    QVERIFY(!w.isVisible());
    QCOMPARE(app.read(QStringLiteral("typ.cfg")), QByteArray("2\r\n"));
}

void TestStartup::closeBoxRefused() {
    ScratchAppDir app;
    frmStart w{QString()};
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
}

void TestStartup::fixedSizeCentredDialog() {
    ScratchAppDir app;
    frmStart w{QString()};
    w.show();
    QCOMPARE(w.windowType(), Qt::Dialog);
    QVERIFY(w.windowFlags().testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(w.x() - (screen.width() - w.width()) / 2) <= 1);
    QVERIFY(qAbs(w.y() - (screen.height() - w.height()) / 2) <= 1);
    // A window manager that offers to minimise it anyway: the window comes back.
    w.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!w.isMinimized());
    QVERIFY(w.isVisible());
}

void TestStartup::enterConfirms_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focus");
    QTest::newRow("Enter on an option") << int(Qt::Key_Return) << "option";
    QTest::newRow("keypad Enter on an option") << int(Qt::Key_Enter) << "option";
    QTest::newRow("Enter on OK") << int(Qt::Key_Return) << "OK";
}

// OK is drawn as the default button, and Enter presses it.
void TestStartup::enterConfirms() {
    QFETCH(int, key);
    QFETCH(QString, focus);
    ScratchAppDir app;
    bool confirmed = false;
    QPointer<frmStart> w = new frmStart(QString());
    w->setOnConfirmed([&confirmed] { confirmed = true; });
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(w->cmdOK()->isDefault());
    w->optType(1)->setChecked(true);
    QWidget* target = focus == QLatin1String("OK") ? static_cast<QWidget*>(w->cmdOK())
                                                   : static_cast<QWidget*>(w->optType(1));
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QVERIFY(confirmed);
    QCOMPARE(RunConfig::controllerType(), 2);
    QCOMPARE(app.read(QStringLiteral("typ.cfg")), QByteArray("2\r\n"));
    QTRY_VERIFY(w.isNull());
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
