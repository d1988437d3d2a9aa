#include "shared/inifile.h"
#include "shared/ui/captions.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class TestCaptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void captionChangeUsesWindowNameAsSection();
    void captionSetUsesGivenSection();

private:
    struct Window {
        QWidget w;
        QPushButton* button;
        QPushButton* untagged;
        QLabel* missing;
        QGroupBox* frame;
        QRadioButton* option;
        QMenu* menu;
        QAction* entry;
    };
    static void build(Window& win);
    QTemporaryDir m_dir;
};

void TestCaptions::initTestCase() {
    const QString path = m_dir.filePath(QStringLiteral("LANG.DAT"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Win]\nCap001=Button\nCap002=Frame\nCap003=Option\nCap004=&Menu\nCap005=&Entry\n"
            "[Other]\nCap001=Other button\nCap002=Other frame\n");
    f.close();
    langFile().setINIFile(path);
}

void TestCaptions::build(Window& win) {
    win.w.setObjectName(QStringLiteral("Win"));
    win.button = new QPushButton(QStringLiteral("design"), &win.w);
    Captions::setTag(win.button, QStringLiteral("Cap001"));
    win.untagged = new QPushButton(QStringLiteral("keeps design"), &win.w);
    win.missing = new QLabel(QStringLiteral("design"), &win.w);
    Captions::setTag(win.missing, QStringLiteral("Cap099"));
    win.frame = new QGroupBox(QStringLiteral("design"), &win.w);
    Captions::setTag(win.frame, QStringLiteral("Cap002"));
    win.option = new QRadioButton(QStringLiteral("design"), win.frame);
    Captions::setTag(win.option, QStringLiteral("Cap003"));
    auto* bar = new QMenuBar(&win.w);
    win.menu = bar->addMenu(QStringLiteral("design"));
    Captions::setTag(win.menu, QStringLiteral("Cap004"));
    win.entry = win.menu->addAction(QStringLiteral("design"));
    Captions::setTag(win.entry, QStringLiteral("Cap005"));
}

void TestCaptions::captionChangeUsesWindowNameAsSection() {
    Window win;
    build(win);
    CaptionChange(&win.w);
    QCOMPARE(win.button->text(), QStringLiteral("Button"));
    QCOMPARE(win.untagged->text(), QStringLiteral("keeps design"));
    QCOMPARE(win.missing->text(), QString());
    QCOMPARE(win.frame->title(), QStringLiteral("Frame"));
    QCOMPARE(win.option->text(), QStringLiteral("Option"));
    QCOMPARE(win.menu->title(), QStringLiteral("&Menu"));
    QCOMPARE(win.entry->text(), QStringLiteral("&Entry"));
    // Renaming the window changes the section its captions come from.
    win.w.setObjectName(QStringLiteral("Other"));
    CaptionChange(&win.w);
    QCOMPARE(win.button->text(), QStringLiteral("Other button"));
    QCOMPARE(win.option->text(), QString());
}

void TestCaptions::captionSetUsesGivenSection() {
    Window win;
    build(win);
    CaptionSet(&win.w, QStringLiteral("Other"));
    QCOMPARE(win.button->text(), QStringLiteral("Other button"));
    QCOMPARE(win.frame->title(), QStringLiteral("Other frame"));
    QCOMPARE(win.entry->text(), QString());
}

QTEST_MAIN(TestCaptions)
#include "test_captions.moc"
