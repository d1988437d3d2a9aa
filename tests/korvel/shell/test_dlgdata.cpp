#include "korvel/shell/dlgData.h"

#include "korvel/model/commandtable.h"
#include "korvel/shell/messages.h"
#include "recordingpresenter.h"
#include "shared/inifile.h"
#include "testenv.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <memory>

class TestDlgData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void validate_data();
    void validate();
    void commandWithoutValues();
    void gridShowsStepAxisCommand_data();
    void gridShowsStepAxisCommand();
    void shortValueArray();
    void execConfirmAndCancel();

private:
    std::unique_ptr<ScratchAppDir> m_app;
};

void TestDlgData::initTestCase() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestDlgData::validate_data() {
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("code");    // message code of the refusal; -1: a comment's comma
    QTest::addColumn<QString>("arg"); // text in front of the message: "label:i" or "dlg:Mes006"
    QTest::addColumn<int>("focus");   // box with the focus after a refusal
    QTest::addColumn<QStringList>("stored");

    const QString c = QStringLiteral("x").repeated(45);
    QTest::newRow("move normalised")
        << 1 << QStringList{" 007 "} << true << 0 << "" << 0 << QStringList{"7"};
    QTest::newRow("move upper bound")
        << 1 << QStringList{"99999999"} << true << 0 << "" << 0 << QStringList{"99999999"};
    QTest::newRow("move beyond bound")
        << 1 << QStringList{"100000000"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("move fraction")
        << 1 << QStringList{"1.5"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("move exponent")
        << 1 << QStringList{"1e3"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("move empty") << 1 << QStringList{""} << false << 17 << "label:0" << 1
                                << QStringList{};
    QTest::newRow("move letter") << 1 << QStringList{"A"} << false << 17 << "label:0" << 1
                                 << QStringList{};
    QTest::newRow("jump letter C")
        << 12 << QStringList{"C", "1", "5"} << true << 0 << "" << 0 << QStringList{"C", "1", "5"};
    QTest::newRow("jump letter D refused")
        << 12 << QStringList{"D", "1", "5"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("jump lower-case refused")
        << 12 << QStringList{"a", "1", "5"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("jump number refused")
        << 12 << QStringList{"0", "1", "5"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("jump letter and digits")
        << 12 << QStringList{"B5", "1", "5"} << true << 0 << "" << 0 << QStringList{"B5", "1", "5"};
    QTest::newRow("jump letter and sign")
        << 12 << QStringList{"B#", "1", "5"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("jump letter and letter")
        << 12 << QStringList{"Bw", "1", "5"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("jump third value out of range")
        << 12 << QStringList{"B", "1", "200"} << false << 17 << "label:2" << 3 << QStringList{};
    QTest::newRow("speed start above top")
        << 6 << QStringList{"100", "50", "10"} << false << 17 << "dlg:Mes006" << 1 << QStringList{};
    QTest::newRow("speed increasing") << 6 << QStringList{"50", "100", "10"} << true << 0 << "" << 0
                                      << QStringList{"50", "100", "10"};
    QTest::newRow("speed equal") << 6 << QStringList{"100", "100", "10"} << true << 0 << "" << 0
                                 << QStringList{"100", "100", "10"};
    QTest::newRow("speed acceleration zero")
        << 6 << QStringList{"10", "10", "0"} << false << 17 << "label:2" << 3 << QStringList{};
    QTest::newRow("parameter 4 not settable")
        << 5 << QStringList{"4", "1"} << false << 19 << "label:0" << 1 << QStringList{};
    QTest::newRow("parameter 53 not settable")
        << 5 << QStringList{"53", "0000"} << false << 19 << "label:0" << 1 << QStringList{};
    QTest::newRow("parameter 75 not settable")
        << 5 << QStringList{"75", "1"} << false << 19 << "label:0" << 1 << QStringList{};
    QTest::newRow("parameter 22 gap")
        << 5 << QStringList{"22", "50"} << false << 17 << "label:1" << 2 << QStringList{};
    QTest::newRow("parameter 22 zero")
        << 5 << QStringList{"22", "0"} << true << 0 << "" << 0 << QStringList{"22", "0"};
    QTest::newRow("parameter 22 hundred")
        << 5 << QStringList{"22", "100"} << true << 0 << "" << 0 << QStringList{"22", "100"};
    QTest::newRow("parameter 8 below minimum")
        << 5 << QStringList{"8", "5"} << false << 17 << "label:1" << 2 << QStringList{};
    QTest::newRow("parameter number 100")
        << 5 << QStringList{"100", "0"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("comment 45 characters")
        << 17 << QStringList{c} << true << 0 << "" << 0 << QStringList{c};
    QTest::newRow("comment 46 characters")
        << 17 << QStringList{c + "y"} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("comment empty")
        << 17 << QStringList{""} << true << 0 << "" << 0 << QStringList{""};
    QTest::newRow("comment trimmed after length check")
        << 17 << QStringList{"  " + c.left(43)} << true << 0 << "" << 0 << QStringList{c.left(43)};
    QTest::newRow("comment blanks count")
        << 17 << QStringList{" " + c} << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("comment double-byte") << 17 << QStringList{QString::fromUtf8("ab\u3042")}
                                         << false << 17 << "label:0" << 1 << QStringList{};
    QTest::newRow("comment with comma")
        << 17 << QStringList{"left,right"} << false << -1 << "label:0" << 1 << QStringList{};
    QTest::newRow("output values") << 8 << QStringList{"0", "1", "2", "02"} << true << 0 << "" << 0
                                   << QStringList{"0", "1", "2", "2"};
    QTest::newRow("output fourth too high")
        << 8 << QStringList{"0", "1", "2", "3"} << false << 17 << "label:3" << 4 << QStringList{};
}

void TestDlgData::validate() {
    QFETCH(int, cmd);
    QFETCH(QStringList, typed);
    QFETCH(bool, accepted);
    QFETCH(int, code);
    QFETCH(QString, arg);
    QFETCH(int, focus);
    QFETCH(QStringList, stored);
    RecordingPresenter presenter;
    dlgData dlg;
    ValueArray data = defaultValues(cmd);
    data[0] = QString::number(cmd);
    dlg.setupDataDialog(1, 1, cmd, data);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    for (int i = 0; i < typed.size(); ++i) {
        QVERIFY(dlg.txtData(i + 1)->isVisible());
        dlg.txtData(i + 1)->setText(typed[i]);
    }
    // Start elsewhere so that a moved focus shows.
    dlg.okButton()->setFocus();
    QCOMPARE(dlg.validateData(), accepted);
    if (accepted) {
        QVERIFY(presenter.shown().isEmpty());
        QCOMPARE(dlg.data().mid(1), stored);
        QCOMPARE(dlg.data().value(0), QString::number(cmd));
        return;
    }
    QCOMPARE(presenter.shown().size(), 1);
    QString s;
    if (arg.startsWith("label:")) {
        s = commandField(cmd, CommandField::Labels)
                .split(QLatin1Char(','))
                .value(arg.mid(6).toInt());
        QVERIFY(!s.isEmpty());
    } else {
        s = langFile().GetINIStr("dlgData", arg.mid(4));
    }
    if (code == -1) {
        // Says why: a comment cannot hold a comma.
        QCOMPARE(presenter.shown()[0].text, s + langFile().GetINIStr("MsgBox", "Mes052"));
        QCOMPARE(presenter.shown()[0].icon, MsgIcon::Critical);
    } else {
        QCOMPARE(presenter.shown()[0].text, messageRequest(code, s).text);
    }
    QVERIFY(dlg.txtData(focus)->hasFocus());
}

void TestDlgData::commandWithoutValues() {
    dlgData dlg;
    dlg.setupDataDialog(2, 5, 4, ValueArray{QStringLiteral("4")});
    dlg.show();
    QVERIFY(!dlg.fraData()->isVisible());
    QVERIFY(dlg.grdData()->isVisible());
    QVERIFY(dlg.validateData());
    QCOMPARE(dlg.data(), ValueArray{QStringLiteral("4")});
}

void TestDlgData::gridShowsStepAxisCommand_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("axis");
    QTest::addColumn<QString>("stepText");
    QTest::addColumn<QString>("axisKey");
    QTest::newRow("first step axis 1") << 1 << 1 << "000"
                                       << "Mes002";
    QTest::newRow("last step axis 3") << 200 << 3 << "199"
                                      << "Mes004";
    QTest::newRow("axis out of range") << 10 << 0 << "009"
                                       << "";
}

void TestDlgData::gridShowsStepAxisCommand() {
    QFETCH(int, step);
    QFETCH(int, axis);
    QFETCH(QString, stepText);
    QFETCH(QString, axisKey);
    dlgData dlg;
    dlg.setupDataDialog(axis, step, 6, defaultValues(6));
    QTableWidget* g = dlg.grdData();
    QCOMPARE(g->item(1, 0)->text(), stepText);
    QCOMPARE(g->item(0, 1)->text(),
             axisKey.isEmpty() ? QString() : langFile().GetINIStr("dlgData", axisKey));
    QCOMPARE(g->item(1, 2)->text(), cmdName(6));
    QVERIFY(!g->item(1, 1)->data(Qt::DecorationRole).isNull());
    QCOMPARE(dlg.windowTitle(), langFile().GetINIStr("dlgData", "Title001"));
    QCOMPARE(dlg.txtData(1)->text(), QStringLiteral("10"));
    QCOMPARE(dlg.lblUnit(3)->text(), QStringLiteral("[ms]"));
    QVERIFY(!dlg.txtData(4)->isVisibleTo(&dlg));
}

void TestDlgData::shortValueArray() {
    RecordingPresenter presenter;
    dlgData dlg;
    dlg.setupDataDialog(1, 1, 6, ValueArray{QStringLiteral("6"), QStringLiteral("20")});
    QCOMPARE(presenter.shown().size(), 2); // values 2 and 3 are missing
    QCOMPARE(presenter.shown()[0].text, messageRequest(Msg::ValueArrayShort, cmdName(6)).text);
    QCOMPARE(dlg.txtData(1)->text(), QStringLiteral("20"));
    QCOMPARE(dlg.txtData(2)->text(), QString());
}

void TestDlgData::execConfirmAndCancel() {
    RecordingPresenter presenter;
    // A refused value keeps the dialog open; OK after the correction confirms.
    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<dlgData*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->txtData(1)->setText(QStringLiteral("x"));
        dlg->okButton()->click();
        QVERIFY(dlg->isVisible());
        dlg->txtData(1)->setText(QStringLiteral(" 0042"));
        dlg->okButton()->click();
    });
    ValueArray in = defaultValues(1);
    in[0] = QStringLiteral("1");
    QVERIFY(dlgDataExe(1, 3, 1, in));
    QCOMPARE(getTxtBoxData(), (ValueArray{QStringLiteral("1"), QStringLiteral("42")}));
    QCOMPARE(presenter.shown().size(), 1);

    QTimer::singleShot(0, this, [] {
        auto* dlg = qobject_cast<dlgData*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->txtData(1)->setText(QStringLiteral("bad"));
        dlg->okButton()->click();
        dlg->cancelButton()->click();
    });
    QVERIFY(!dlgDataExe(1, 3, 1, in));
}

QTEST_MAIN(TestDlgData)
#include "test_dlgdata.moc"
