#include "korvel/controller/dlgDown.h"
#include "korvel/controller/dlgExe.h"
#include "korvel/controller/dlgUP.h"
#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/FrmCmd.h"
#include "korvel/shell/MDIFormMain.h"
#include "korvel/shell/dlgInit.h"
#include "korvel/shell/dlgWait.h"
#include "korvel/shell/filedialogs.h"
#include "shared/inifile.h"
#include "shared/seriallink.h"
#include "shared/ui/appidentity.h"
#include "shared/ui/dlgcomsetup.h"
#include "shared/ui/qtmessagepresenter.h"

#include "../../shared/ptypair.h"
#include "modalboxes.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QTest>

#include <functional>
#include <memory>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}

// The controller on the far end of a pseudo-terminal, answering each request line as it comes
// in, on the window thread, while the program runs (message boxes included).
class PtyPeer {
public:
    using Reply = std::function<QByteArray(const QByteArray& request)>;

    explicit PtyPeer(Reply reply) : m_reply(std::move(reply)) {
        m_poll.setInterval(1);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            m_pending += m_pty.take();
            for (qsizetype end = m_pending.indexOf("\r\n"); end >= 0;
                 end = m_pending.indexOf("\r\n")) {
                const QByteArray request = m_pending.left(end);
                m_pending.remove(0, end + 2);
                requests << QString::fromLatin1(request);
                const QByteArray answer = m_reply(request);
                if (!answer.isNull())
                    m_pty.send(answer);
            }
        });
        m_poll.start();
    }
    QString path() const { return m_pty.path(); }
    bool isValid() const { return m_pty.isValid(); }

    QStringList requests;

private:
    PtyPair m_pty;
    Reply m_reply;
    QByteArray m_pending;
    QTimer m_poll;
};

// Korvel's main window with its real message boxes, COM1 on a pseudo-terminal.
struct Korvel {
    ScratchAppDir dir;
    std::unique_ptr<QtMessagePresenter> presenter;
    std::unique_ptr<MDIFormMain> w;

    explicit Korvel(const QString& device, int language = 1, int axes = 3) {
        dir.write(QStringLiteral("ports.cfg"), "COM1=" + device.toLocal8Bit() + "\n");
        dir.write(QStringLiteral("com.cfg"), "12121\r\n");
        dir.useLanguage(language);
        RunConfig::setLanguageNo(language);
        RunConfig::setControllerType(axes);
        w = std::make_unique<MDIFormMain>();
        presenter = std::make_unique<QtMessagePresenter>(w.get());
        setMessagePresenter(presenter.get());
        w->ShowMainDialog();
        w->link().setIntervals(800, 40, 20);
        dlgInit::setDisplayTime(5);
    }
    ~Korvel() {
        setMessagePresenter(nullptr);
        w.reset();
        dlgInit::setDisplayTime(dlgInit::DisplayTimeMs);
    }
    QAction* entry(const char* name) const { return w->menuEntry(QLatin1String(name)); }
};

// Whatever the dialog script leaves open is closed, so that a failed test cannot hang.
void closeModalLeftovers() {
    for (int i = 0; i < 5; ++i) {
        auto* m = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (m == nullptr)
            return;
        m->done(QDialog::Rejected);
        QTest::qWait(5);
    }
}

} // namespace

class TestOperator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogsKeepTheActiveProgramWindow_data();
    void dialogsKeepTheActiveProgramWindow();
    void refusedUploadLineEndsIdle();
    void exitRefusedClosesNothing_data();
    void exitRefusedClosesNothing();
    void gridShowsNamesAndValues_data();
    void gridShowsNamesAndValues();
    void newWindowsOpenInsideTheChildArea();
    void mainWindowKeepsThePaletteStripFree();
    void dataDialogOpensOverTheMainWindow();
    void saveAddsTheFilterExtension();
    void windowsCarryTheProgramIcon();
};

void TestOperator::dialogsKeepTheActiveProgramWindow_data() {
    QTest::addColumn<QString>("command");
    for (const char* c : {"mnuComTx", "mnuComUL", "mnuComExe", "mnuComParam", "mnuCommChk"})
        QTest::newRow(c) << QString::fromLatin1(c);
}

// Three program windows, the second one chosen with a cell of its third step selected: after
// every communication dialog the same window is active with the same cell and selection, so
// that Download, Save and the Edit menu act on the program the operator chose.
void TestOperator::dialogsKeepTheActiveProgramWindow() {
    QFETCH(QString, command);
    PtyPeer peer([](const QByteArray& request) -> QByteArray {
        if (request.startsWith("CHINF:"))
            return "L3\r\n";
        return "OK\r\n";
    });
    QVERIFY(peer.isValid());
    Korvel k(peer.path());
    QList<FrmProg*> forms;
    for (int i = 0; i < 3; ++i) {
        FrmProg* f = k.w->makeNewForm(3);
        ValueArray v = defaultValues(Cmd::AbsoluteGo);
        v[1] = QString::number(100 * (i + 1));
        f->applyCellEdit(1, 1, Cmd::AbsoluteGo, v);
        f->fillSteps(1);
        f->applyCellEdit(2, 3, Cmd::AbsoluteGo, v);
        f->fillSteps(2);
        forms << f;
    }
    QMdiSubWindow* second = qobject_cast<QMdiSubWindow*>(forms[1]->parentWidget());
    QVERIFY(second);
    k.w->setMenuDispCmd(false); // every communication dialog closes the palette first
    QApplication::setActiveWindow(k.w.get());
    QVERIFY(QTest::qWaitForWindowActive(k.w.get()));
    k.w->childArea()->setActiveSubWindow(second);
    forms[1]->grdProg()->setFocus();
    QTRY_VERIFY(forms[1]->grdProg()->hasFocus());
    forms[1]->setCurrentCell(3, 4);
    forms[1]->selectAxisCells();
    QCOMPARE(k.w->activeForm(), forms[1]);
    const int row = forms[1]->currentRow();
    const int col = forms[1]->currentCol();
    const QModelIndexList selection = forms[1]->grdProg()->selectionModel()->selectedIndexes();
    QCOMPARE(selection.size(), 2);

    ModalBoxes boxes;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (qobject_cast<QMessageBox*>(m) != nullptr || qobject_cast<dlgInit*>(m) != nullptr)
            return;
        // Each dialog is closed as the operator closes it, once its channel query is over.
        if (auto* d = qobject_cast<dlgDown*>(m)) {
            if (d->cmdClose()->isEnabled() && !d->lblStatus()->text().isEmpty())
                QTest::mouseClick(d->cmdClose(), Qt::LeftButton);
        } else if (auto* u = qobject_cast<dlgUP*>(m)) {
            if (u->cmdClose()->isEnabled() && !u->lblStatus()->text().isEmpty())
                QTest::mouseClick(u->cmdClose(), Qt::LeftButton);
        } else if (auto* e = qobject_cast<dlgExe*>(m)) {
            if (e->cmdClose()->isEnabled() && !e->lblStatus()->text().isEmpty())
                QTest::mouseClick(e->cmdClose(), Qt::LeftButton);
        } else if (auto* s = qobject_cast<dlgComSetup*>(m)) {
            s->reject();
        }
    });
    closer.start();
    if (command == QLatin1String("mnuComm"))
        return;
    Q_EMIT k.w->menu(QStringLiteral("mnuComm"))->aboutToShow();
    QAction* a = k.w->menuEntry(command);
    QVERIFY(a && a->isEnabled());
    a->trigger();
    closer.stop();
    closeModalLeftovers();
    // The window manager gives the activation back to the main window after the dialog (the
    // operator clicks it when it does not).
    if (!QTest::qWaitFor([&] { return k.w->isActiveWindow(); }, 2000))
        k.w->activateWindow();
    QTRY_VERIFY(k.w->isActiveWindow());
    QTest::qWait(50);
    if (command == QLatin1String("mnuCommChk"))
        QCOMPARE(boxes.texts(), QStringList{msg("Mes000")});

    QCOMPARE(k.w->activeForm(), forms[1]);
    QCOMPARE(k.w->childArea()->activeSubWindow(), second);
    QCOMPARE(forms[1]->currentRow(), row);
    QCOMPARE(forms[1]->currentCol(), col);
    QCOMPARE(forms[1]->grdProg()->selectionModel()->selectedIndexes(), selection);
}

// A program line that cannot be taken: "NG:" goes out and its message opens; the controller
// answers at once, while the message is still open. Once it is confirmed the dialog is idle.
void TestOperator::refusedUploadLineEndsIdle() {
    PtyPeer peer([](const QByteArray& request) -> QByteArray {
        if (request.startsWith("CHINF:"))
            return "L1\r\n";
        if (request.startsWith("UPLOAD:"))
            return "AGO:A+1000\r\n"; // too short for an absolute move
        return "OK\r\n";
    });
    QVERIFY(peer.isValid());
    Korvel k(peer.path());
    ModalBoxes boxes;
    boxes.answer(QMessageBox::Ok, 300); // the refusal's message, held while "NG:" is answered
    bool idle = false;
    QElapsedTimer sinceNg;
    int windowsBefore = 0;
    ModalWindowScript<dlgUP> script([&](dlgUP* d) {
        if (d->lblStatus()->text().isEmpty())
            return false;
        if (peer.requests.contains(QStringLiteral("NG:"))) {
            // Ticks stay short: one may run while the message box is still unwinding.
            if (!sinceNg.isValid())
                sinceNg.start();
            idle = d->cmdUpLoad()->isEnabled() && d->cmdClose()->isEnabled() &&
                   !d->cmdStop()->isEnabled() && d->cboCH()->isEnabled();
            if (!idle && sinceNg.elapsed() < 3000)
                return false;
            d->done(QDialog::Rejected); // its Close button stays disabled while it is busy
            return true;
        }
        if (!peer.requests.contains(QStringLiteral("UPLOAD:01")))
            QTest::mouseClick(d->cmdUpLoad(), Qt::LeftButton);
        return false;
    });
    windowsBefore = static_cast<int>(k.w->programWindows().size());
    Q_EMIT k.w->menu(QStringLiteral("mnuComm"))->aboutToShow();
    k.entry("mnuComUL")->trigger();
    closeModalLeftovers();
    QCOMPARE(boxes.texts(), QStringList{msg("Mes001")});
    QVERIFY(peer.requests.contains(QStringLiteral("NG:")));
    QVERIFY(idle);
    QCOMPARE(k.w->programWindows().size(), windowsBefore);
}

void TestOperator::exitRefusedClosesNothing_data() {
    QTest::addColumn<QList<int>>("modified"); // windows 0..4 that hold unsaved changes
    QTest::addColumn<QList<int>>("answers");  // the answers to their questions, in order
    QTest::addColumn<bool>("ends");
    const int yes = QMessageBox::Yes, no = QMessageBox::No, cancel = QMessageBox::Cancel;
    QTest::newRow("one modified, Cancel") << QList<int>{2} << QList<int>{cancel} << false;
    QTest::newRow("one modified, No") << QList<int>{2} << QList<int>{no} << true;
    QTest::newRow("two modified, No then Cancel")
        << QList<int>{1, 3} << QList<int>{no, cancel} << false;
    QTest::newRow("two modified, Yes without a name then No")
        << QList<int>{0, 4} << QList<int>{yes, no} << true;
}

// File > Exit with five program windows: every modified one is asked before any closes; one
// Cancel keeps all five open and the program running.
void TestOperator::exitRefusedClosesNothing() {
    QFETCH(QList<int>, modified);
    QFETCH(QList<int>, answers);
    QFETCH(bool, ends);
    Korvel k(QStringLiteral("/dev/null"));
    // Save on Yes: the program was never saved, so its save dialog comes; the operator
    // cancels it, and the window closes all the same.
    QTimer cancelSave;
    QObject::connect(&cancelSave, &QTimer::timeout, [] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (d != nullptr)
            d->reject();
    });
    cancelSave.start(10);
    QList<FrmProg*> forms;
    for (int i = 0; i < 5; ++i) {
        forms << k.w->makeNewForm(3);
        if (modified.contains(i)) {
            ValueArray v = defaultValues(Cmd::AbsoluteGo);
            forms.back()->applyCellEdit(1, 1, Cmd::AbsoluteGo, v);
        }
    }
    ModalBoxes boxes;
    for (int a : answers)
        boxes.answer(QMessageBox::StandardButton(a));
    k.entry("mnuFileEnd")->trigger();
    QCOMPARE(boxes.count(), answers.size());
    QTest::qWait(20);
    if (ends) {
        QCOMPARE(k.w->programWindows().size(), 0);
        QVERIFY(!k.w->isVisible());
        return;
    }
    QCOMPARE(k.w->programWindows().size(), 5);
    QVERIFY(k.w->isVisible());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(forms[i]->getDirty(), modified.contains(i));
    // Asked again, each modified window asks again.
    boxes.clear();
    for (int n = 0; n < modified.size(); ++n)
        boxes.answer(QMessageBox::No);
    k.entry("mnuFileEnd")->trigger();
    QCOMPARE(boxes.count(), modified.size());
    QTRY_COMPARE(k.w->programWindows().size(), 0);
}

void TestOperator::gridShowsNamesAndValues_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Japanese") << 0;
    QTest::newRow("English") << 1;
}

// Every command's cell shows its name and its values on two lines, and no header text is cut.
void TestOperator::gridShowsNamesAndValues() {
    QFETCH(int, language);
    Korvel k(QStringLiteral("/dev/null"), language);
    FrmProg* f = k.w->makeNewForm(3);
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd) {
        if (cmd == Cmd::BothGo)
            continue;
        ValueArray v = defaultValues(cmd);
        v[0] = QString::number(cmd);
        f->applyCellEdit(1, cmd, cmd, v);
        f->fillSteps(cmd);
    }
    ProgGrid* g = f->grdProg();
    QVERIFY(QTest::qWaitForWindowExposed(k.w.get()));
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd) {
        const QModelIndex text = g->model()->index(cmd - 1, 1);
        QStyleOptionViewItem option;
        option.initFrom(g->viewport());
        option.font = g->font();
        option.features |= QStyleOptionViewItem::WrapText;
        option.rect = QRect(0, 0, g->columnWidth(1), g->rowHeight(cmd - 1));
        const QSize needed = g->itemDelegate()->sizeHint(option, text);
        QVERIFY2(needed.height() <= g->rowHeight(cmd - 1),
                 qPrintable(QStringLiteral("%1: %2 > %3")
                                .arg(text.data().toString())
                                .arg(needed.height())
                                .arg(g->rowHeight(cmd - 1))));
    }
    QHeaderView* top = g->horizontalHeader();
    for (int c = 0; c < g->model()->columnCount(); c += 3) {
        const QString title = g->model()->headerData(c, Qt::Horizontal).toString();
        QVERIFY2(top->sectionSize(c) >= top->fontMetrics().horizontalAdvance(title),
                 qPrintable(title));
    }
    const QString corner =
        langFile().GetINIStr(QStringLiteral("FrmProg"), QStringLiteral("Mes001"));
    QVERIFY2(g->verticalHeader()->width() >=
                 g->verticalHeader()->fontMetrics().horizontalAdvance(corner),
             qPrintable(corner));
}

// However many windows are made, each opens wholly inside the visible child area, cascaded
// from the one before.
void TestOperator::newWindowsOpenInsideTheChildArea() {
    Korvel k(QStringLiteral("/dev/null"));
    QVERIFY(QTest::qWaitForWindowExposed(k.w.get()));
    const QRect area = k.w->childArea()->viewport()->rect();
    QPoint previous(-1, -1);
    int cascaded = 0;
    for (int i = 0; i < 12; ++i) {
        FrmProg* f = k.w->makeNewForm(3);
        auto* sub = qobject_cast<QMdiSubWindow*>(f->parentWidget());
        QVERIFY(sub);
        QVERIFY2(area.contains(sub->geometry()),
                 qPrintable(QStringLiteral("window %1 at %2,%3 %4x%5")
                                .arg(i + 1)
                                .arg(sub->x())
                                .arg(sub->y())
                                .arg(sub->width())
                                .arg(sub->height())));
        if (i == 0) {
            QCOMPARE(sub->pos(), QPoint(0, 0));
        } else if (sub->pos() != QPoint(0, 0)) {
            QVERIFY(sub->x() > previous.x() && sub->y() > previous.y());
            ++cascaded;
        }
        previous = sub->pos();
    }
    QVERIFY(cascaded >= 3);
}

void TestOperator::mainWindowKeepsThePaletteStripFree() {
    Korvel k(QStringLiteral("/dev/null"));
    k.w->makeNewForm(3);
    FrmCmd* palette = k.w->commandPalette();
    QVERIFY(palette);
    QVERIFY(QTest::qWaitForWindowExposed(k.w.get()));
    QVERIFY(QTest::qWaitForWindowExposed(palette));
    QTest::qWait(100); // the window manager's frames
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.width() >= k.w->frameGeometry().width() + palette->frameGeometry().width());
    QVERIFY2(!k.w->frameGeometry().intersects(palette->frameGeometry()),
             qPrintable(QStringLiteral("main right %1, palette left %2")
                            .arg(k.w->frameGeometry().right())
                            .arg(palette->frameGeometry().left())));
    QVERIFY(screen.contains(k.w->frameGeometry()));
}

// Started from the palette, the data dialog stands over the main window.
void TestOperator::dataDialogOpensOverTheMainWindow() {
    Korvel k(QStringLiteral("/dev/null"));
    FrmProg* f = k.w->makeNewForm(3);
    FrmCmd* palette = k.w->commandPalette();
    QVERIFY(palette);
    QVERIFY(QTest::qWaitForWindowExposed(palette));
    palette->activateWindow();
    QTRY_VERIFY(palette->isActiveWindow());
    QPoint centre;
    bool overMain = false;
    ModalWindowScript<QDialog> script([&](QDialog* d) {
        centre = d->frameGeometry().center();
        overMain = d->parentWidget() == k.w.get();
        d->reject();
        return true;
    });
    auto* list = palette->findChild<CmdList*>(QStringLiteral("LstCmd"));
    QVERIFY(list);
    const QRect item = list->visualItemRect(list->item(0)); // a command with a value
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(script.done());
    QVERIFY(overMain);
    const QPoint main = k.w->frameGeometry().center();
    QVERIFY2((centre - main).manhattanLength() < 60, qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                                                    .arg(centre.x())
                                                                    .arg(centre.y())
                                                                    .arg(main.x())
                                                                    .arg(main.y())));
    QCOMPARE(f->getStep(), 0);
}

// A name typed without an extension is saved with the filter's .txt.
void TestOperator::saveAddsTheFilterExtension() {
    ScratchAppDir dir;
    QtProgramFileDialogs dialogs;
    ModalWindowScript<QFileDialog> script([&](QFileDialog* d) {
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr)
            return false;
        name->setText(QStringLiteral("corner"));
        QTest::keyClick(name, Qt::Key_Return);
        return true;
    });
    const QString path =
        dialogs.getSaveFileName(saveFileFilter(), QDir::toNativeSeparators(dir.path()), QString());
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("corner.txt"));
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
}

void TestOperator::windowsCarryTheProgramIcon() {
    AppIdentity::apply(*qApp, AppIdentity::Program::Korvel);
    Korvel k(QStringLiteral("/dev/null"));
    const QImage own = AppIdentity::icon(AppIdentity::Program::Korvel).pixmap(32).toImage();
    QVERIFY(!own.isNull());
    QCOMPARE(k.w->windowIcon().pixmap(32).toImage(), own);
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Korvel"));
    dlgWait wait(k.w.get());
    QCOMPARE(wait.windowIcon().pixmap(32).toImage(), own);
    QCOMPARE(wait.windowType(), Qt::Dialog);
    QVERIFY(!wait.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!wait.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(wait.minimumSize(), wait.maximumSize());
}

QTEST_MAIN(TestOperator)
#include "test_operator.moc"
