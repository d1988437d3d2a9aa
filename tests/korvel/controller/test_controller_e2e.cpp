#include "korvel/controller/commcommands.h"
#include "korvel/controller/dlgDown.h"
#include "korvel/controller/dlgExe.h"
#include "korvel/controller/dlgUP.h"
#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/MDIFormMain.h"
#include "korvel/shell/dlgInit.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/portmap.h"
#include "shared/seriallink.h"

#include "simrig.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

constexpr int ReplyMs = 700;
constexpr int LongWait = 15000;

// Records every message box and what the dialogs showed at that moment.
class Messages : public MessagePresenter {
public:
    Messages() : m_previous(messagePresenter()) { setMessagePresenter(this); }
    ~Messages() override { setMessagePresenter(m_previous); }
    MsgResult present(const MessageRequest& request) override {
        texts << request.text;
        if (onShow)
            onShow();
        return request.defaultButton;
    }
    QStringList texts;
    std::function<void()> onShow;

private:
    MessagePresenter* m_previous;
};

QString codeText(int code) {
    return messageRequest(code).text;
}

QString infoText(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}

// A program cell: command number and values.
struct Cell {
    int cmd;
    QStringList v;
};
using Step = QList<Cell>;

// Every command, in the forms each axis count takes. Commands that fill their whole step stand
// in axis 1 alone.
QList<Step> programFor(int axes) {
    QList<Step> steps{
        {{1, {"1000"}}, {1, {"-500"}}, {1, {"7"}}},
        {{2, {"250"}}, {2, {"-3"}}, {2, {"0"}}},
        {{3, {"-25"}}, {4, {}}, {7, {"12345"}}},
        {{5, {"11", "1000"}}, {5, {"53", "1021"}}, {9, {"15"}}},
        {{6, {"10", "600000", "100"}}, {8, {"0", "1", "2", "0"}}, {10, {}}},
        {{11, {"5"}}},
        {{12, {"A", "1", "5"}}},
        {{13, {"3", "100"}}},
        {{14, {}}},
        {{15, {}}, {4, {}}, {16, {"10"}}},
        {{16, {"65535"}}, {7, {"-99999999"}}, {3, {"99999999"}}},
        {{17, {"hello world"}}},
        {{4, {}}, {15, {}}, {5, {"90", "5"}}},
    };
    if (axes == 1)
        steps.removeAt(1); // BGO needs a second axis
    return steps;
}

void fillProgram(ProgramDoc& doc, const QList<Step>& steps) {
    for (int s = 1; s <= steps.size(); ++s) {
        const Step& step = steps[s - 1];
        for (int a = 1; a <= doc.getAxis() && a <= step.size(); ++a) {
            const Cell& c = step[a - 1];
            ValueArray v = defaultValues(c.cmd);
            v[0] = QString::number(c.cmd);
            for (int i = 0; i < c.v.size(); ++i)
                v[i + 1] = c.v[i];
            doc.applyCellEdit(a, s, c.cmd, v);
        }
        doc.fillSteps(s);
    }
}

// The step texts of a program as the simulator keeps them, for a --state file.
QByteArray stateFor(int axes, int channel, const QStringList& stepTexts) {
    QStringList quoted;
    for (const QString& s : stepTexts)
        quoted << QLatin1Char('"') + s + QLatin1Char('"');
    return QStringLiteral("{\"axes\":%1,\"channels\":{\"%2\":{\"state\":\"L\",\"steps\":[%3]}}}")
        .arg(axes)
        .arg(channel, 2, 10, QLatin1Char('0'))
        .arg(quoted.join(QLatin1Char(',')))
        .toUtf8();
}

// Runs a script on a modal dialog of type D as soon as it is the active modal window. Whatever
// modal window is left afterwards (a failed script) is closed so the test cannot hang.
template <typename D> class ModalScript {
public:
    explicit ModalScript(std::function<void(D*)> script) : m_script(std::move(script)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
            if (d == nullptr || !d->isVisible())
                return;
            m_timer.stop();
            m_ran = true;
            m_script(d);
            closeLeftovers();
        });
        m_timer.start();
    }
    ~ModalScript() { m_timer.stop(); }
    bool ran() const { return m_ran; }

    static void closeLeftovers() {
        for (int i = 0; i < 5; ++i) {
            auto* m = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (m == nullptr)
                return;
            m->done(QDialog::Rejected);
            QTest::qWait(5);
        }
    }

private:
    std::function<void(D*)> m_script;
    QTimer m_timer;
    bool m_ran = false;
};

struct Rig {
    std::unique_ptr<SimController> sim;
    ScratchAppDir dir;
    Messages messages;
    std::unique_ptr<MDIFormMain> w;

    Rig(int axes, QStringList simArgs, const QByteArray& state = QByteArray()) {
        simArgs << QStringLiteral("--axes") << QString::number(axes);
        sim = std::make_unique<SimController>(simArgs, state);
        dir.write(QStringLiteral("ports.cfg"), "COM1=" + sim->device().toLocal8Bit() + "\n");
        dir.write(QStringLiteral("com.cfg"), "12121\r\n");
        dir.useLanguage(1);
        RunConfig::setControllerType(axes);
        w = std::make_unique<MDIFormMain>();
        w->ShowMainDialog();
        w->link().setIntervals(ReplyMs, 40, 20);
        dlgInit::setDisplayTime(5);
    }
    ~Rig() {
        w.reset();
        dlgInit::setDisplayTime(dlgInit::DisplayTimeMs);
    }

    FrmProg* programWindow(const QList<Step>& steps) {
        FrmProg* form = w->makeNewForm(RunConfig::controllerType());
        fillProgram(form->doc(), steps);
        w->setMenuEnabled();
        return form;
    }
};

bool downIdle(const dlgDown* d) {
    return d->cmdTx()->isEnabled() && d->cmdClose()->isEnabled() && !d->cmdStop()->isEnabled() &&
           d->comboCh()->isEnabled() && d->progressBar()->value() == 0;
}

// Opens the download dialog, waits for the query of channel 1, picks the channel, and starts.
// `then` runs once the dialog is idle again.
void runDownload(Rig& r, int channel, const std::function<void(dlgDown*)>& then) {
    ModalScript<dlgDown> script([&](dlgDown* d) {
        QTRY_VERIFY_WITH_TIMEOUT(!d->lblStatus()->text().isEmpty() && downIdle(d), LongWait);
        d->comboCh()->setCurrentIndex(channel - 1);
        QTRY_VERIFY_WITH_TIMEOUT(!d->lblStatus()->text().isEmpty() && downIdle(d), LongWait);
        QTest::mouseClick(d->cmdTx(), Qt::LeftButton);
        QVERIFY(!d->cmdTx()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(downIdle(d), LongWait);
        then(d);
        if (QTest::currentTestFailed())
            return;
        QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
        QVERIFY(!d->isVisible());
    });
    r.w->menuEntry(QStringLiteral("mnuComTx"))->trigger();
    QVERIFY(script.ran());
}

bool upIdle(const dlgUP* d) {
    return d->cmdUpLoad()->isEnabled() && d->cmdClose()->isEnabled() &&
           !d->cmdStop()->isEnabled() && d->cboCH()->isEnabled();
}

// Opens the upload dialog, picks the channel and starts; `then` runs when the dialog has closed
// or is idle again.
void runUpload(Rig& r, int channel, const std::function<void(dlgUP*)>& then) {
    ModalScript<dlgUP> script([&](dlgUP* d) {
        QTRY_VERIFY_WITH_TIMEOUT(upIdle(d) && !d->lblStatus()->text().isEmpty(), LongWait);
        d->cboCH()->setCurrentIndex(channel - 1);
        QTRY_VERIFY_WITH_TIMEOUT(upIdle(d) && !d->lblStatus()->text().isEmpty(), LongWait);
        QTest::mouseClick(d->cmdUpLoad(), Qt::LeftButton);
        // The channel box stays locked while lines come in.
        QVERIFY(!d->cboCH()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!d->isVisible() || upIdle(d), LongWait);
        then(d);
        if (d->isVisible())
            QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
    });
    r.w->menuEntry(QStringLiteral("mnuComUL"))->trigger();
    QVERIFY(script.ran());
}

QStringList sendSteps(const ProgramDoc& doc) {
    QStringList out;
    for (int s = 1; s <= doc.getStep(); ++s)
        out << doc.getSendStep(s);
    return out;
}

} // namespace

class TestControllerE2E : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void downloadFailures_data();
    void downloadFailures();
    void downloadStop();
    void uploadFailures_data();
    void uploadFailures();
    void uploadEmptyChannel();
    void uploadWithLateLineFeed();
    void connectionCheck_data();
    void connectionCheck();
    void startAndStop_data();
    void startAndStop();
    void controlRefusesCloseWhileBusy();
    void verifyAfterDownload_data();
    void verifyAfterDownload();
    void saveLog();
};

void TestControllerE2E::initTestCase() {
    qunsetenv(PortMap::OverrideVariable);
}

void TestControllerE2E::roundTrip_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QString>("lineEnd");
    QTest::newRow("one axis") << 1 << "crlf";
    QTest::newRow("two axes") << 2 << "crlf";
    QTest::newRow("three axes") << 3 << "crlf";
    QTest::newRow("three axes, CR") << 3 << "cr";
    QTest::newRow("two axes, LF") << 2 << "lf";
}

void TestControllerE2E::roundTrip() {
    QFETCH(int, axes);
    QFETCH(QString, lineEnd);
    Rig r(axes, {QStringLiteral("--line-end"), lineEnd});
    QVERIFY(!r.sim->device().isEmpty());
    const QList<Step> program = programFor(axes);
    FrmProg* original = r.programWindow(program);
    QCOMPARE(original->getStep(), program.size());
    QVERIFY(r.w->menuEntry(QStringLiteral("mnuComTx"))->isEnabled());

    int progressAtMessage = -1;
    r.messages.onShow = [&] {
        if (auto* d = qobject_cast<dlgDown*>(QApplication::activeModalWidget()))
            progressAtMessage = d->progressBar()->value();
    };
    runDownload(r, 5, [&](dlgDown* d) {
        QCOMPARE(r.messages.texts, QStringList{codeText(Msg::DownloadDone)});
        QCOMPARE(progressAtMessage, int(program.size()));
        const QStringList log = d->logLines();
        const QString end = lineEnd == QLatin1String("cr")   ? QStringLiteral("[CR]")
                            : lineEnd == QLatin1String("lf") ? QStringLiteral("[LF]")
                                                             : QStringLiteral("[CR][LF]");
        QVERIFY(log.size() >= 6);
        QCOMPARE(log.mid(0, 6),
                 (QStringList{QStringLiteral(">CHINF:01[CR][LF]"), QStringLiteral("<N") + end,
                              QString(), QStringLiteral(">CHINF:05[CR][LF]"),
                              QStringLiteral("<N") + end, QString()}));
        QCOMPARE(log.at(6), QStringLiteral(">LOAD:05[CR][LF]"));
        QCOMPARE(log.at(9),
                 QStringLiteral(">") + original->getSendStep(1) + QStringLiteral("[CR][LF]"));
        QCOMPARE(log.mid(log.size() - 2),
                 (QStringList{QStringLiteral(">REMOTE:[CR][LF]"), QStringLiteral("<OK") + end}));
        // Request, reply and a blank line for every exchange.
        QCOMPARE(log.size(), 3 * (2 + program.size() + 3) - 1);
    });
    if (QTest::currentTestFailed())
        return;

    QStringList expectedRequests{QStringLiteral("?:"), QStringLiteral("CHINF:01"),
                                 QStringLiteral("CHINF:05"), QStringLiteral("LOAD:05")};
    expectedRequests << sendSteps(original->doc()) << QStringLiteral("PGWRT:")
                     << QStringLiteral("REMOTE:");
    QCOMPARE(r.sim->requests(), expectedRequests);

    r.messages.texts.clear();
    int windowsBefore = r.w->programWindows().size();
    runUpload(r, 5, [&](dlgUP* d) {
        QVERIFY(!d->isVisible());
        QCOMPARE(d->expectedLines(), int(program.size()));
    });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(r.messages.texts, QStringList{infoText("Mes021")});
    QCOMPARE(r.w->programWindows().size(), windowsBefore + 1);
    FrmProg* uploaded = r.w->activeForm();
    QVERIFY(uploaded != original);
    QCOMPARE(uploaded->getAxis(), axes);
    QCOMPARE(uploaded->getStep(), program.size());
    QVERIFY(!uploaded->getDirty());
    QCOMPARE(sendSteps(uploaded->doc()), sendSteps(original->doc()));
    QCOMPARE(programFileText(uploaded->doc()), programFileText(original->doc()));
    QCOMPARE(r.sim->requests().mid(expectedRequests.size() + 1, 3),
             (QStringList{QStringLiteral("CHINF:01"), QStringLiteral("CHINF:05"),
                          QStringLiteral("UPLOAD:05")}));
    QCOMPARE(r.sim->requests().size(), expectedRequests.size() + 4 + program.size());
}

void TestControllerE2E::downloadFailures_data() {
    // A three-step program to channel 5: requests 1 "?:", 2 "CHINF:01", 3 "CHINF:05", 4 "LOAD:05",
    // 5 to 7 the steps, 8 "PGWRT:", 9 "REMOTE:".
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lastRequest");
    QTest::newRow("error to LOAD") << "error=3@4" << 10 << 4;
    QTest::newRow("error to a middle step") << "error=1@6" << 8 << 6;
    QTest::newRow("error to the last step") << "error=2@7" << 9 << 7;
    QTest::newRow("error to PGWRT") << "error=4@8" << 11 << 8;
    QTest::newRow("error to REMOTE") << "error=8@9" << 15 << 9;
    QTest::newRow("no reply to LOAD") << "noreply@4" << 4 << 4;
    QTest::newRow("no reply to a middle step") << "noreply@6" << 4 << 6;
    QTest::newRow("no reply to REMOTE") << "noreply@9" << 4 << 9;
    QTest::newRow("reply in single bytes") << "split=1,5@6" << 6 << 9;
}

void TestControllerE2E::downloadFailures() {
    QFETCH(QString, fault);
    QFETCH(int, code);
    QFETCH(int, lastRequest);
    Rig r(2, {QStringLiteral("--fault"), fault});
    r.programWindow(programFor(2).mid(0, 3));
    QList<int> progressShown;
    r.messages.onShow = [&] {
        if (auto* d = qobject_cast<dlgDown*>(QApplication::activeModalWidget()))
            progressShown << d->progressBar()->value();
    };
    runDownload(r, 5, [&](dlgDown* d) {
        QCOMPARE(r.messages.texts, QStringList{codeText(code)});
        QVERIFY(downIdle(d));
    });
    if (QTest::currentTestFailed())
        return;
    // The message comes while the bar still shows the steps accepted so far.
    const int accepted = qBound(0, lastRequest - 5, 3);
    QCOMPARE(progressShown, QList<int>{accepted});
    const QStringList requests = r.sim->requests();
    QCOMPARE(requests.size(), lastRequest);
}

void TestControllerE2E::downloadStop() {
    // The controller answers the second step late; the stop comes first.
    Rig r(3, {QStringLiteral("--fault"), QStringLiteral("delay=1500@5")});
    r.w->link().setIntervals(5000, 40, 20);
    r.programWindow(programFor(3).mid(0, 4));
    ModalScript<dlgDown> script([&](dlgDown* d) {
        QTRY_VERIFY_WITH_TIMEOUT(!d->lblStatus()->text().isEmpty() && downIdle(d), LongWait);
        QTest::mouseClick(d->cmdTx(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(d->progressBar()->value(), 1, LongWait);
        QVERIFY(d->cmdStop()->isEnabled());
        // Busy: the close box is refused.
        d->close();
        QVERIFY(d->isVisible());
        QTest::mouseClick(d->cmdStop(), Qt::LeftButton);
        QCOMPARE(r.messages.texts, QStringList{codeText(Msg::DownloadStopped)});
        QVERIFY(downIdle(d));
        QTest::qWait(1800);
        QCOMPARE(r.messages.texts.size(), 1);
        d->close();
        QVERIFY(!d->isVisible());
    });
    r.w->menuEntry(QStringLiteral("mnuComTx"))->trigger();
    QVERIFY(script.ran());
    if (QTest::currentTestFailed())
        return;
    const QStringList requests = r.sim->requests();
    // "?:", "CHINF:01", "LOAD:01" and the first two steps.
    QCOMPARE(requests.size(), 5);
    QVERIFY(!requests.contains(QStringLiteral("PGWRT:")));
    QVERIFY(!r.w->link().downOpen());
}

void TestControllerE2E::uploadFailures_data() {
    // Channel 5 holds three steps: requests 1 "?:", 2 "CHINF:01", 3 "CHINF:05", 4 "UPLOAD:05",
    // 5 and 6 the next lines, 7 the end.
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message"); // "" none, "4" no reply, or a MsgBox key
    QTest::addColumn<int>("lastRequest");
    QTest::newRow("error to UPLOAD") << "error=0@4"
                                     << "" << 4;
    QTest::newRow("error to a middle request") << "error=4@5"
                                               << "" << 5;
    QTest::newRow("error to the last request") << "error=4@7"
                                               << "" << 7;
    QTest::newRow("no reply to UPLOAD") << "noreply@4"
                                        << "4" << 4;
    QTest::newRow("no reply to a middle request") << "noreply@6"
                                                  << "4" << 6;
    QTest::newRow("no reply to the last request") << "noreply@7"
                                                  << "4" << 7;
    QTest::newRow("lower-case code") << "reply=ago:A+00001000@5"
                                     << "" << 5;
    // A line that cannot be converted is refused with NG: as request 6.
    QTest::newRow("wrong length refused") << "reply=AGO:A+1000@5"
                                          << "Mes001" << 6;
    QTest::newRow("four elements refused") << "reply=H:A|H:B|H:C|H:A@6"
                                           << "Mes001" << 7;
}

void TestControllerE2E::uploadFailures() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(int, lastRequest);
    const QStringList steps{QStringLiteral("AGO:A1000|AGO:B-500|AGO:C7"), QStringLiteral("U01:05"),
                            QStringLiteral("W:10|H:B|H:C")};
    Rig r(3, {QStringLiteral("--fault"), fault}, stateFor(3, 5, steps));
    const int windowsBefore = r.w->programWindows().size();
    runUpload(r, 5, [&](dlgUP* d) {
        QVERIFY(d->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(upIdle(d), LongWait);
        QCOMPARE(d->progressBar()->value(), 0);
    });
    if (QTest::currentTestFailed())
        return;
    QStringList expected;
    if (message == QLatin1String("4"))
        expected << codeText(Msg::NoReply);
    else if (!message.isEmpty())
        expected << infoText(message.toLatin1().constData());
    QCOMPARE(r.messages.texts, expected);
    QCOMPARE(r.w->programWindows().size(), windowsBefore);
    const QStringList requests = r.sim->requests();
    QCOMPARE(requests.size(), lastRequest);
    if (message == QLatin1String("Mes001"))
        QCOMPARE(requests.last(), QStringLiteral("NG:"));
    QVERIFY(!r.w->link().upOpen());
}

void TestControllerE2E::uploadEmptyChannel() {
    Rig r(2, {});
    runUpload(r, 9, [&](dlgUP* d) {
        QVERIFY(!d->isVisible());
        QCOMPARE(d->expectedLines(), 0);
    });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(r.messages.texts, QStringList{infoText("Mes021")});
    QCOMPARE(r.w->programWindows().size(), 1);
    FrmProg* form = r.w->activeForm();
    QCOMPARE(form->getStep(), 0);
    QCOMPARE(form->getAxis(), 2);
    QCOMPARE(r.sim->requests().mid(2),
             (QStringList{QStringLiteral("CHINF:09"), QStringLiteral("UPLOAD:09")}));
}

void TestControllerE2E::uploadWithLateLineFeed() {
    // No download dialog opened before, and the LF of a line comes well after its CR: the
    // upload must not take the late LF for the start of the next line.
    const QStringList steps{QStringLiteral("AGO:A1000|AGO:B-500"), QStringLiteral("U01:05"),
                            QStringLiteral("W:10|H:B")};
    Rig r(2, {QStringLiteral("--fault"), QStringLiteral("split=16,60@6")}, stateFor(2, 5, steps));
    runUpload(r, 5, [&](dlgUP* d) { QVERIFY(!d->isVisible()); });
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(r.messages.texts, QStringList{infoText("Mes021")});
    QCOMPARE(sendSteps(r.w->activeForm()->doc()), steps);
}

void TestControllerE2E::connectionCheck_data() {
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("requests");
    // message: a MsgBox key or a message code
    QTest::newRow("answered") << QStringList() << "Mes000" << QStringList{"?:", "CHINF:01"};
    QTest::newRow("answered, LF") << QStringList{"--line-end", "lf"} << "4" << QStringList{"?:"};
    QTest::newRow("error to ?:") << QStringList{"--fault", "error=0@1"} << "7" << QStringList{"?:"};
    QTest::newRow("error to CHINF")
        << QStringList{"--fault", "error=5@2"} << "12" << QStringList{"?:", "CHINF:01"};
    QTest::newRow("no reply") << QStringList{"--fault", "noreply@1"} << "4" << QStringList{"?:"};
    QTest::newRow("no reply to CHINF")
        << QStringList{"--fault", "noreply@2"} << "4" << QStringList{"?:", "CHINF:01"};
}

void TestControllerE2E::connectionCheck() {
    QFETCH(QStringList, simArgs);
    QFETCH(QString, message);
    QFETCH(QStringList, requests);
    Rig r(1, simArgs);
    r.w->menuEntry(QStringLiteral("mnuCommChk"))->trigger();
    // Lines ended by LF alone and line ends never detected: the reply is never complete, and the
    // check ends by the time-out.
    const QString text = message.startsWith(QLatin1String("Mes"))
                             ? infoText(message.toLatin1().constData())
                             : codeText(message.toInt());
    QCOMPARE(r.messages.texts, QStringList{text});
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(r.sim->requests(), requests);
    QVERIFY(!r.w->link().port()->isOpen());
}

void TestControllerE2E::startAndStop_data() {
    QTest::addColumn<bool>("start");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("requests"); // after the channel queries
    QTest::addColumn<int>("code");             // message shown, 0 for none
    QTest::newRow("start channel 12") << true << 12 << "" << QStringList{"LOAD:99", "Z:12"} << 0;
    QTest::newRow("start of an empty channel, error reported late")
        << true << 3 << "" << QStringList{"LOAD:99", "Z:03"} << 13;
    QTest::newRow("stop") << false << 12 << "" << QStringList{"LOAD:99", "U07:"} << 0;
    QTest::newRow("start: error to LOAD")
        << true << 12 << "error=2@4" << QStringList{"LOAD:99"} << 9;
    QTest::newRow("stop: no reply to LOAD")
        << false << 12 << "noreply@4" << QStringList{"LOAD:99"} << 4;
}

void TestControllerE2E::startAndStop() {
    QFETCH(bool, start);
    QFETCH(int, channel);
    QFETCH(QString, fault);
    QFETCH(QStringList, requests);
    QFETCH(int, code);
    QStringList args;
    if (!fault.isEmpty())
        args << QStringLiteral("--fault") << fault;
    Rig r(2, args, stateFor(2, 12, {QStringLiteral("W:10|U00:")}));
    ModalScript<dlgExe> script([&](dlgExe* d) {
        auto idle = [d] {
            return d->cmdStart()->isEnabled() && d->cmdStop()->isEnabled() &&
                   d->cmdClose()->isEnabled() && d->comboCh()->isEnabled();
        };
        QTRY_VERIFY_WITH_TIMEOUT(idle() && !d->lblStatus()->text().isEmpty(), LongWait);
        d->comboCh()->setCurrentIndex(channel - 1);
        QTRY_VERIFY_WITH_TIMEOUT(idle() && !d->lblStatus()->text().isEmpty(), LongWait);
        if (channel == 12)
            QVERIFY(d->lblStatus()->text().startsWith(QLatin1String("LOAD  1")));
        QTest::mouseClick(start ? d->cmdStart() : d->cmdStop(), Qt::LeftButton);
        QVERIFY(!idle());
        QCOMPARE(d->GetStartMode(), start);
        QCOMPARE(d->GetStopMode(), !start);
        QTRY_VERIFY_WITH_TIMEOUT(idle(), LongWait);
        if (code != 0)
            QTRY_COMPARE_WITH_TIMEOUT(r.messages.texts, QStringList{codeText(code)}, LongWait);
        else
            QTest::qWait(100);
        QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
    });
    r.w->menuEntry(QStringLiteral("mnuComExe"))->trigger();
    QVERIFY(script.ran());
    if (QTest::currentTestFailed())
        return;
    if (code == 0)
        QVERIFY(r.messages.texts.isEmpty());
    const QString chText = QStringLiteral("CHINF:%1").arg(channel, 2, 10, QLatin1Char('0'));
    QCOMPARE(r.sim->requests(),
             QStringList({QStringLiteral("?:"), QStringLiteral("CHINF:01"), chText}) + requests);
    // The modes outlive the dialog, for the dispatcher.
    QCOMPARE(r.w->comm().protocol().GetStartMode(), start);
}

void TestControllerE2E::controlRefusesCloseWhileBusy() {
    Rig r(1, {QStringLiteral("--fault"), QStringLiteral("delay=400@2")});
    ModalScript<dlgExe> script([&](dlgExe* d) {
        QTRY_VERIFY_WITH_TIMEOUT(!d->cmdClose()->isEnabled(), LongWait);
        d->close();
        QVERIFY(d->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(d->cmdClose()->isEnabled(), LongWait);
        d->close();
        QVERIFY(!d->isVisible());
    });
    r.w->menuEntry(QStringLiteral("mnuComExe"))->trigger();
    QVERIFY(script.ran());
}

void TestControllerE2E::verifyAfterDownload_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("equal") << ""
                           << "verified";
    QTest::newRow("one step kept altered") << "corrupt@STEP3"
                                           << "differs";
    QTest::newRow("no reply while reading back") << "noreply@UPLOAD:*"
                                                 << "fault";
    QTest::newRow("error while reading back") << "error=5@"
                                              << "fault";
}

// Verify after download: the channel is read back and compared step by step; a fault of the
// read-back is reported as such, never as a difference.
void TestControllerE2E::verifyAfterDownload() {
    QFETCH(QString, fault);
    QFETCH(QString, outcome);
    const QList<Step> program = programFor(3);
    QStringList args;
    if (!fault.isEmpty()) // step 3 of the program as it goes out
        args << QStringLiteral("--fault")
             << QString(fault).replace(QStringLiteral("STEP3"), "MGO:A-25|H:B|R:C12345");
    Rig r(3, args);
    FrmProg* form = r.programWindow(program);
    QCOMPARE(form->getSendStep(3), QStringLiteral("MGO:A-25|H:B|R:C12345"));
    bool boxRemembered = false;
    ModalScript<dlgDown> script([&](dlgDown* d) {
        QTRY_VERIFY_WITH_TIMEOUT(!d->lblStatus()->text().isEmpty() && downIdle(d), LongWait);
        d->comboCh()->setCurrentIndex(4);
        QTRY_VERIFY_WITH_TIMEOUT(!d->lblStatus()->text().isEmpty() && downIdle(d), LongWait);
        d->chkVerify()->setChecked(true);
        QTest::mouseClick(d->cmdTx(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(downIdle(d) && r.messages.texts.size() >= 2, LongWait);
        QVERIFY(d->chkVerify()->isEnabled());
        QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
    });
    r.w->menuEntry(QStringLiteral("mnuComTx"))->trigger();
    QVERIFY(script.ran());
    if (QTest::currentTestFailed())
        return;
    QStringList expected{codeText(Msg::DownloadDone)};
    if (outcome == QLatin1String("verified")) {
        expected << infoText("Mes055");
    } else if (outcome == QLatin1String("differs")) {
        const QString sent = form->getSendStep(3);
        QString altered = sent;
        altered.replace(QStringLiteral("MGO:A-25"), QStringLiteral("MGO:A-26"));
        QVERIFY(altered != sent);
        expected << verificationText({VerifyResult::Kind::Differs, 3, sent, altered});
        QVERIFY(expected.last().contains(QStringLiteral("002")));
    } else {
        expected << codeText(fault.startsWith(QLatin1String("noreply")) ? Msg::NoReply : 12)
                 << infoText("Mes057");
    }
    QCOMPARE(r.messages.texts, expected);
    QVERIFY(r.sim->requests().contains(QStringLiteral("UPLOAD:05")));
    QVERIFY(r.w->programWindows().size() == 1); // reading back opens no window

    // The choice holds for the run.
    ModalScript<dlgDown> again([&](dlgDown* d) {
        boxRemembered = d->chkVerify()->isChecked();
        QTRY_VERIFY_WITH_TIMEOUT(downIdle(d), LongWait);
        QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
    });
    r.w->menuEntry(QStringLiteral("mnuComTx"))->trigger();
    QVERIFY(boxRemembered);
}

namespace {
class LogDialog : public ProgramFileDialogs {
public:
    QString getOpenFileName(const QString&) override { return QString(); }
    QString getSaveFileName(const QString& filter, const QString&, const QString&) override {
        filters << filter;
        return answer;
    }
    QString answer;
    QStringList filters;
};
} // namespace

// Save log: the log as shown, after a first line with the date, the port and the settings;
// a file that cannot be written is reported with its path and the reason.
void TestControllerE2E::saveLog() {
    Rig r(2, {});
    r.programWindow(programFor(2).mid(0, 2));
    LogDialog files;
    QStringList shown;
    bool enabledIdle = false;
    bool disabledEmpty = false;
    ModalScript<dlgDown> script([&](dlgDown* d) {
        d->setFileDialogs(&files);
        d->chkVerify()->setChecked(false);
        disabledEmpty = !d->cmdSaveLog()->isEnabled() || d->logLines().size() > 0;
        QTRY_VERIFY_WITH_TIMEOUT(!d->lblStatus()->text().isEmpty() && downIdle(d), LongWait);
        QTest::mouseClick(d->cmdTx(), Qt::LeftButton);
        QVERIFY(!d->cmdSaveLog()->isEnabled()); // busy
        QTRY_VERIFY_WITH_TIMEOUT(downIdle(d) && !r.messages.texts.isEmpty(), LongWait);
        enabledIdle = d->cmdSaveLog()->isEnabled();
        shown = d->logLines();
        files.answer = r.dir.file(QStringLiteral("traffic.log"));
        QTest::mouseClick(d->cmdSaveLog(), Qt::LeftButton);
        files.answer = r.dir.file(QStringLiteral("no/such/dir/traffic.log"));
        QTest::mouseClick(d->cmdSaveLog(), Qt::LeftButton);
        QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
    });
    r.w->menuEntry(QStringLiteral("mnuComTx"))->trigger();
    QVERIFY(script.ran());
    QVERIFY(disabledEmpty);
    QVERIFY(enabledIdle);
    QVERIFY(files.filters.value(0).endsWith(QStringLiteral("|*.log")));
    QFile f(r.dir.file(QStringLiteral("traffic.log")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    QVERIFY(lines.size() >= 3);
    static const QRegularExpression header(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  COM1 \\(.+\\)  9600,N,8,1$"));
    QVERIFY2(header.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QVERIFY(lines[0].contains(r.sim->device()));
    QCOMPARE(lines.mid(1, lines.size() - 2), shown);
    QVERIFY(lines.last().isEmpty());
    QVERIFY(shown.contains(QStringLiteral(">LOAD:01[CR][LF]")));
    // The failed save: a sentence, the path and the system's reason.
    QCOMPARE(r.messages.texts.size(), 2);
    const QStringList failed = r.messages.texts[1].split(QLatin1Char('\n'));
    QCOMPARE(failed.size(), 3);
    QCOMPARE(failed[0], infoText("Mes058"));
    QVERIFY(failed[1].endsWith(QStringLiteral("traffic.log")));
    QVERIFY(!failed[2].isEmpty());
}

QTEST_MAIN(TestControllerE2E)
#include "test_controller_e2e.moc"
