#include "baxwin/mdlfile.h"
#include "baxwin/ui/frmbaxwin.h"
#include "baxwin/ui/frmwait.h"
#include "shared/inifile.h"

#include "../support/recordingpresenter.h"
#include "../support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

QString msg(const char* key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), QLatin1String(key));
}
QString caption(const char* key) {
    return langFile().GetINIStr(QStringLiteral("frmBaxwin"), QLatin1String(key));
}

} // namespace

// The editor window offscreen, its values from the parameter file (no controller involved).
class TestEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startFromMissingFile();
    void missingDefinitions();
    void tabs();
    void editing_data();
    void editing();
    void tenthCharacterCannotBeTyped();
    void enterMovesDownAndOffTheLastRow();
    void escapeDropsInput();
    void enterInGridOpensInput();
    void focusLossDropsInput();
    void saveAndLoad();
    void writeCancelledChangesNothing();
    void settingsDialogCaptions();
    void scrollCommitsOrReopens_data();
    void scrollCommitsOrReopens();

private:
    void start();
    int rowOf(int n) const;
    void clickCell(int row, int col);
    void type(const QString& text);

    ScratchAppDir* m_app = nullptr;
    RecordingPresenter* m_rec = nullptr;
    frmBaxwin* m_w = nullptr;
    QString m_oldCwd;
};

void TestEditor::init() {
    m_app = new ScratchAppDir;
    m_app->useLanguage(1);
    m_app->write(QStringLiteral("com.cfg"), "02121\r\n");
    m_rec = new RecordingPresenter;
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_app->path());
    m_w = new frmBaxwin(1);
}

void TestEditor::cleanup() {
    delete m_w;
    QDir::setCurrent(m_oldCwd);
    delete m_rec;
    delete m_app;
}

void TestEditor::start() {
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
    m_w->setButtonsEnabled(true);
    QVERIFY(m_w->ShowDialog(1));
    m_rec->clear();
    QApplication::setActiveWindow(m_w);
}

int TestEditor::rowOf(int n) const {
    QTableWidget* g = m_w->grdGrid();
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->item(r, 0)->text().toInt() == n)
            return r;
    }
    return -1;
}

void TestEditor::clickCell(int row, int col) {
    QTableWidget* g = m_w->grdGrid();
    g->scrollToItem(g->item(row, col));
    const QRect r = g->visualItemRect(g->item(row, col));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
}

void TestEditor::type(const QString& text) {
    m_w->txtInput()->selectAll();
    QTest::keyClick(m_w->txtInput(), Qt::Key_Backspace);
    QTest::keyClicks(m_w->txtInput(), text);
}

void TestEditor::startFromMissingFile() {
    QVERIFY(m_w->grdGrid()->isHidden());
    QVERIFY(!m_w->cmdFile()->isEnabled());
    m_w->show();
    m_w->setButtonsEnabled(true);
    QVERIFY(m_w->ShowDialog(1));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes032") + QStringLiteral("\r\n") + msg("Mes034"));
    const ParDefs& d = m_w->parDefs();
    QCOMPARE(m_w->values().at(8, 3), d[8].defaultValue);
    QVERIFY(m_w->grdGrid()->isVisible());
    QVERIFY(m_w->fraMsg()->isVisible());
    QVERIFY(m_w->cmdFile()->isEnabled());
    QVERIFY(m_w->cmdCtrl()->isEnabled());
    QCOMPARE(m_w->windowTitle(), caption("Title001"));
    QCOMPARE(m_w->tabJiku()->tabText(0), caption("Cap009"));
    QCOMPARE(m_w->tabJiku()->tabText(1), caption("Cap010"));
    QCOMPARE(m_w->cmdFile()->text(), caption("Cap013"));
    QTableWidget* g = m_w->grdGrid();
    QCOMPARE(g->rowCount(), d.axisParCount);
    QCOMPARE(g->columnCount(), 5);
    QCOMPARE(g->horizontalHeaderItem(1)->text(), caption("Mes002"));
    QCOMPARE(g->item(0, 0)->text(), QStringLiteral("01"));
    QCOMPARE(g->item(rowOf(8), 4)->text(), d[8].name);
    QCOMPARE(g->item(rowOf(8), 2)->text(), d[8].defaultValue);
}

void TestEditor::missingDefinitions() {
    QFile::remove(m_app->file(QStringLiteral("par1.ini")));
    m_w->show();
    QVERIFY(!m_w->ShowDialog(1));
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes029") + QStringLiteral("\r\n") + msg("Mes031"));
    QVERIFY(!m_w->isVisible());
}

void TestEditor::tabs() {
    start();
    const ParDefs& d = m_w->parDefs();
    QTest::mouseClick(m_w->tabJiku(), Qt::LeftButton, {}, m_w->tabJiku()->tabRect(1).center());
    QCOMPARE(m_w->tabKind(), 1);
    QTableWidget* g = m_w->grdGrid();
    QCOMPARE(g->rowCount(), d.commonParCount);
    QCOMPARE(g->columnCount(), 3);
    QCOMPARE(g->horizontalHeaderItem(1)->text(), caption("Mes006"));
    QCOMPARE(g->item(rowOf(53), 1)->text(), d[53].defaultValue);
    // Only the value column can be edited.
    clickCell(rowOf(53), 2);
    QVERIFY(!m_w->isEditing());
    clickCell(rowOf(53), 0);
    QVERIFY(!m_w->isEditing());
    clickCell(rowOf(53), 1);
    QVERIFY(m_w->isEditing());
    QCOMPARE(m_w->lblLower()->text(), d[53].lowerLimit);
    QCOMPARE(m_w->lblUpper()->text(), d[53].upperLimit);

    QTest::mouseClick(m_w->tabJiku(), Qt::LeftButton, {}, m_w->tabJiku()->tabRect(0).center());
    QCOMPARE(m_w->tabKind(), 0);
    QCOMPARE(g->rowCount(), d.axisParCount);
    QVERIFY(!m_w->txtInput()->isVisible());
}

void TestEditor::editing_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused with `key`
    QTest::addColumn<QString>("key");
    QTest::newRow("plain value") << 0 << 8 << 2 << "20000"
                                 << "20000"
                                 << "";
    QTest::newRow("plus sign") << 0 << 3 << 1 << "+5"
                               << "5"
                               << "";
    QTest::newRow("trailing sign") << 0 << 3 << 3 << "5-"
                                   << "5"
                                   << "";
    QTest::newRow("leading zeros") << 0 << 8 << 1 << "00700"
                                   << "700"
                                   << "";
    QTest::newRow("empty reads 0") << 0 << 3 << 1 << ""
                                   << "0"
                                   << "";
    QTest::newRow("letter") << 0 << 8 << 1 << "1e3"
                            << ""
                            << "Mes011";
    QTest::newRow("above upper") << 0 << 8 << 1 << "500001"
                                 << ""
                                 << "Mes011";
    QTest::newRow("below lower") << 0 << 8 << 1 << "9"
                                 << ""
                                 << "Mes011";
    QTest::newRow("negative signed") << 0 << 11 << 1 << "-1500"
                                     << "-1500"
                                     << "";
    QTest::newRow("22 refuses 50") << 0 << 22 << 1 << "50"
                                   << ""
                                   << "Mes028";
    QTest::newRow("22 takes 0") << 0 << 22 << 1 << "0"
                                << "0"
                                << "";
    QTest::newRow("22 takes 250000") << 0 << 22 << 1 << "250000"
                                     << "250000"
                                     << "";
    QTest::newRow("53 takes 3121") << 1 << 53 << 1 << "3121"
                                   << "3121"
                                   << "";
    QTest::newRow("53 keeps leading zero") << 1 << 53 << 1 << "0101"
                                           << "0101"
                                           << "";
    QTest::newRow("53 first digit 4") << 1 << 53 << 1 << "4121"
                                      << ""
                                      << "Mes011";
    QTest::newRow("53 three digits") << 1 << 53 << 1 << "312"
                                     << ""
                                     << "Mes011";
    QTest::newRow("common value") << 1 << 60 << 1 << "1"
                                  << "1"
                                  << "";
}

void TestEditor::editing() {
    QFETCH(int, tab);
    QFETCH(int, n);
    QFETCH(int, col);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, key);
    start();
    if (tab == 1)
        QTest::mouseClick(m_w->tabJiku(), Qt::LeftButton, {}, m_w->tabJiku()->tabRect(1).center());
    const int row = rowOf(n);
    QVERIFY(row >= 0);
    const QString before = m_w->values().at(n, col);
    clickCell(row, col);
    QVERIFY(m_w->isEditing());
    QCOMPARE(m_w->txtInput()->text(), before);
    QCOMPARE(m_w->txtInput()->selectedText(), before);
    QCOMPARE(m_w->lblLower()->text(), m_w->parDefs()[n].lowerLimit);
    type(typed);
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    if (key.isEmpty()) {
        QVERIFY(m_rec->shown().isEmpty());
        QCOMPARE(m_w->values().at(n, col), stored);
        QCOMPARE(m_w->grdGrid()->item(row, col)->text(), stored);
    } else {
        QCOMPARE(m_rec->shown().size(), 1);
        QCOMPARE(m_rec->shown()[0].text, msg(qPrintable(key)));
        QCOMPARE(m_rec->shown()[0].icon, MsgIcon::Exclamation);
        QCOMPARE(m_w->values().at(n, col), before);
        // The input box opens again on the same cell with its previous text.
        QVERIFY(m_w->isEditing());
        QCOMPARE(m_w->grdGrid()->currentRow(), row);
        QCOMPARE(m_w->txtInput()->text(), before);
    }
}

void TestEditor::tenthCharacterCannotBeTyped() {
    start();
    clickCell(rowOf(11), 1);
    type(QStringLiteral("1234567890"));
    QCOMPARE(m_w->txtInput()->text(), QStringLiteral("123456789"));
}

void TestEditor::enterMovesDownAndOffTheLastRow() {
    start();
    QTableWidget* g = m_w->grdGrid();
    const int last = g->rowCount() - 1;
    clickCell(last - 1, 2);
    type(QStringLiteral("1"));
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    QCOMPARE(g->currentRow(), last);
    QCOMPARE(g->currentColumn(), 2);
    QVERIFY(m_w->isEditing());
    QVERIFY(m_w->txtInput()->isVisible());
    const int lastNo = g->item(last, 0)->text().toInt();
    QCOMPARE(m_w->lblUpper()->text(), m_w->parDefs()[lastNo].upperLimit);
    type(QStringLiteral("2"));
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    QCOMPARE(m_w->values().at(lastNo, 2), QStringLiteral("2"));
    QVERIFY(!m_w->txtInput()->isVisible());
    QVERIFY(!m_w->isEditing());
    QVERIFY(m_w->lblUpper()->text().isEmpty());
    QVERIFY(g->hasFocus());
}

void TestEditor::escapeDropsInput() {
    start();
    const QString before = m_w->values().at(8, 1);
    clickCell(rowOf(8), 1);
    type(QStringLiteral("12345"));
    QTest::keyClick(m_w->txtInput(), Qt::Key_Escape);
    QCOMPARE(m_w->grdGrid()->currentRow(), rowOf(8));
    QCOMPARE(m_w->grdGrid()->currentColumn(), 1);
    QVERIFY(!m_w->txtInput()->isVisible());
    QVERIFY(!m_w->isEditing());
    QCOMPARE(m_w->values().at(8, 1), before);
    QCOMPARE(m_w->grdGrid()->item(rowOf(8), 1)->text(), before);
    QVERIFY(m_w->lblLower()->text().isEmpty());
    QVERIFY(m_w->lblUpper()->text().isEmpty());
}

void TestEditor::enterInGridOpensInput() {
    start();
    QTableWidget* g = m_w->grdGrid();
    g->setCurrentCell(rowOf(9), 3);
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Return);
    QVERIFY(m_w->isEditing());
    QCOMPARE(m_w->lblLower()->text(), m_w->parDefs()[9].lowerLimit);
    g->setCurrentCell(rowOf(9), 4);
    m_w->endEdit();
    QTest::keyClick(g, Qt::Key_Return);
    QVERIFY(!m_w->isEditing()); // the name column is not edited
}

void TestEditor::focusLossDropsInput() {
    start();
    const QString before = m_w->values().at(8, 1);
    clickCell(rowOf(8), 1);
    type(QStringLiteral("777"));
    m_w->cmdEnd()->setFocus(Qt::MouseFocusReason);
    QVERIFY(!m_w->txtInput()->isVisible());
    QVERIFY(!m_w->isEditing());
    QCOMPARE(m_w->values().at(8, 1), before);
    QVERIFY(m_w->lblLower()->text().isEmpty());
}

void TestEditor::saveAndLoad() {
    start();
    clickCell(rowOf(8), 3);
    type(QStringLiteral("4321"));
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    m_w->txtInput()->clearFocus();
    m_rec->answerNext(MsgResult::Ok);
    QTest::mouseClick(m_w->cmdFile(), Qt::LeftButton);
    QCOMPARE(m_rec->shown().size(), 2);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes027"));
    QCOMPARE(m_rec->shown()[0].buttons, MsgButtons::OkCancel);
    QCOMPARE(m_rec->shown()[1].text, msg("Mes035"));
    const QString file = MdlFile::parFilePath(m_w->parDefs().parFileName);
    ParValueTable saved;
    QVERIFY(MdlFile::readParFile(file, saved));
    QCOMPARE(saved.at(8, 3), QStringLiteral("4321"));
    QVERIFY(saved == m_w->values());

    // Change the value, then load the file again from the menu, on the common tab.
    clickCell(rowOf(8), 3);
    type(QStringLiteral("10"));
    QTest::keyClick(m_w->txtInput(), Qt::Key_Return);
    QCOMPARE(m_w->values().at(8, 3), QStringLiteral("10"));
    QTest::mouseClick(m_w->tabJiku(), Qt::LeftButton, {}, m_w->tabJiku()->tabRect(1).center());
    m_rec->clear();
    m_rec->answerNext(MsgResult::Cancel);
    m_w->mnuParaFile()->trigger();
    QCOMPARE(m_w->values().at(8, 3), QStringLiteral("10"));
    QCOMPARE(m_w->tabKind(), 1);
    m_w->mnuParaFile()->trigger();
    QCOMPARE(m_rec->shown().size(), 2);
    QCOMPARE(m_rec->shown()[1].text, msg("Mes024"));
    QCOMPARE(m_w->values().at(8, 3), QStringLiteral("4321"));
    QCOMPARE(m_w->tabKind(), 0);
    QCOMPARE(m_w->tabJiku()->currentIndex(), 0);
    QCOMPARE(m_w->grdGrid()->item(rowOf(8), 3)->text(), QStringLiteral("4321"));
}

void TestEditor::writeCancelledChangesNothing() {
    start();
    m_rec->answerNext(MsgResult::Cancel);
    QTest::mouseClick(m_w->cmdCtrl(), Qt::LeftButton);
    QCOMPARE(m_rec->shown().size(), 1);
    QCOMPARE(m_rec->shown()[0].text, msg("Mes026"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// Baxwin's settings dialog has a name of its own but the captions of "dlgComSetup".
void TestEditor::settingsDialogCaptions() {
    start();
    QString name, title, okText;
    QTimer::singleShot(0, m_w, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        if (dlg == nullptr)
            return;
        name = dlg->objectName();
        title = dlg->windowTitle();
        if (auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("cmdOk")))
            okText = ok->text();
        if (auto* cancel = dlg->findChild<QPushButton*>(QStringLiteral("cmdCancel")))
            QTest::mouseClick(cancel, Qt::LeftButton);
    });
    m_w->mnuCommSet()->trigger();
    const QString section = QStringLiteral("dlgComSetup");
    QCOMPARE(name, QStringLiteral("frmComSet"));
    QCOMPARE(title, langFile().GetINIStr(section, QStringLiteral("Title001")));
    QVERIFY(!title.isEmpty());
    QCOMPARE(okText, langFile().GetINIStr(section, QStringLiteral("Cap010")));
    QCOMPARE(m_app->read(QStringLiteral("com.cfg")), QByteArray("02121\r\n"));
}

void TestEditor::scrollCommitsOrReopens_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("acceptable input is committed") << "20000" << true;
    QTest::newRow("refused input reopens the box") << "1e3" << false;
}

void TestEditor::scrollCommitsOrReopens() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    start();
    const QString before = m_w->values().at(8, 1);
    clickCell(rowOf(8), 1);
    type(typed);
    QScrollBar* bar = m_w->grdGrid()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->value() + 2);
    QCOMPARE(m_w->grdGrid()->currentRow(), rowOf(8));
    QCOMPARE(m_w->grdGrid()->currentColumn(), 1);
    if (accepted) {
        QVERIFY(m_rec->shown().isEmpty());
        QCOMPARE(m_w->values().at(8, 1), typed);
        QVERIFY(!m_w->txtInput()->isVisible());
        QVERIFY(!m_w->isEditing());
        QVERIFY(m_w->lblLower()->text().isEmpty());
    } else {
        QCOMPARE(m_rec->shown().size(), 1);
        QCOMPARE(m_rec->shown()[0].text, msg("Mes011"));
        QCOMPARE(m_w->values().at(8, 1), before);
        QVERIFY(m_w->txtInput()->isVisible());
        QVERIFY(m_w->isEditing());
        QCOMPARE(m_w->txtInput()->text(), before);
    }
}

QTEST_MAIN(TestEditor)
#include "test_editor.moc"
