#include "shared/ui/qtmessagepresenter.h"

#include "modalboxes.h"

#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgResult)

// The real message presenter: each button set answered through the box itself.
class TestMessagePresenter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answers_data();
    void answers();
    void showsTextIconAndDefault();
};

void TestMessagePresenter::answers_data() {
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgResult>("defaultButton");
    QTest::addColumn<QString>("how");
    QTest::addColumn<MsgResult>("expected");

    struct Row {
        const char* name;
        MsgButtons buttons;
        MsgResult def;
        const char* how;
        MsgResult expected;
    };
    const Row rows[] = {
        {"OK: OK", MsgButtons::Ok, MsgResult::Ok, "Ok", MsgResult::Ok},
        {"OK: Enter", MsgButtons::Ok, MsgResult::Ok, "Enter", MsgResult::Ok},
        {"OK: Escape", MsgButtons::Ok, MsgResult::Ok, "Escape", MsgResult::Ok},
        {"OK: close box", MsgButtons::Ok, MsgResult::Ok, "close", MsgResult::Ok},
        {"OK/Cancel: OK", MsgButtons::OkCancel, MsgResult::Ok, "Ok", MsgResult::Ok},
        {"OK/Cancel: Cancel", MsgButtons::OkCancel, MsgResult::Ok, "Cancel", MsgResult::Cancel},
        {"OK/Cancel: Enter", MsgButtons::OkCancel, MsgResult::Ok, "Enter", MsgResult::Ok},
        {"OK/Cancel: Escape", MsgButtons::OkCancel, MsgResult::Ok, "Escape", MsgResult::Cancel},
        {"OK/Cancel: close box", MsgButtons::OkCancel, MsgResult::Ok, "close", MsgResult::Cancel},
        {"Yes/No: Yes", MsgButtons::YesNo, MsgResult::Yes, "Yes", MsgResult::Yes},
        {"Yes/No: No", MsgButtons::YesNo, MsgResult::Yes, "No", MsgResult::No},
        {"Yes/No: Enter", MsgButtons::YesNo, MsgResult::Yes, "Enter", MsgResult::Yes},
        {"Yes/No: Escape", MsgButtons::YesNo, MsgResult::Yes, "Escape", MsgResult::No},
        {"Yes/No: close box", MsgButtons::YesNo, MsgResult::Yes, "close", MsgResult::No},
        {"Yes/No/Cancel: Yes", MsgButtons::YesNoCancel, MsgResult::Yes, "Yes", MsgResult::Yes},
        {"Yes/No/Cancel: No", MsgButtons::YesNoCancel, MsgResult::Yes, "No", MsgResult::No},
        {"Yes/No/Cancel: Cancel", MsgButtons::YesNoCancel, MsgResult::Yes, "Cancel",
         MsgResult::Cancel},
        {"Yes/No/Cancel: Enter", MsgButtons::YesNoCancel, MsgResult::Yes, "Enter", MsgResult::Yes},
        {"Yes/No/Cancel: Escape", MsgButtons::YesNoCancel, MsgResult::Yes, "Escape",
         MsgResult::Cancel},
        {"Yes/No/Cancel: close box", MsgButtons::YesNoCancel, MsgResult::Yes, "close",
         MsgResult::Cancel},
    };
    for (const Row& r : rows)
        QTest::newRow(r.name) << r.buttons << r.def << QString::fromLatin1(r.how) << r.expected;
}

void TestMessagePresenter::answers() {
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgResult, defaultButton);
    QFETCH(QString, how);
    QFETCH(MsgResult, expected);

    ModalBoxes boxes;
    if (how == QLatin1String("Enter"))
        boxes.answer(ModalBoxes::key(Qt::Key_Return));
    else if (how == QLatin1String("Escape"))
        boxes.answer(ModalBoxes::key(Qt::Key_Escape));
    else if (how == QLatin1String("close"))
        boxes.answer(ModalBoxes::closeBox());
    else if (how == QLatin1String("Ok"))
        boxes.answer(QMessageBox::Ok);
    else if (how == QLatin1String("Cancel"))
        boxes.answer(QMessageBox::Cancel);
    else if (how == QLatin1String("Yes"))
        boxes.answer(QMessageBox::Yes);
    else if (how == QLatin1String("No"))
        boxes.answer(QMessageBox::No);

    QtMessagePresenter presenter;
    MessageRequest r;
    r.title = QStringLiteral("Korvel");
    r.text = QStringLiteral("Go on?");
    r.buttons = buttons;
    r.icon = MsgIcon::Question;
    r.defaultButton = defaultButton;
    QCOMPARE(presenter.present(r), expected);
    QCOMPARE(boxes.count(), 1);
}

void TestMessagePresenter::showsTextIconAndDefault() {
    ModalBoxes boxes;
    bool defaultIsNo = false;
    QString title;
    boxes.answer([&](QMessageBox* box) {
        defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
        title = box->windowTitle();
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    QtMessagePresenter presenter;
    MessageRequest r;
    r.title = QStringLiteral("Korvel");
    r.text = QStringLiteral("'C:\\a.txt'  changed");
    r.buttons = MsgButtons::YesNoCancel;
    r.icon = MsgIcon::Exclamation;
    r.defaultButton = MsgResult::No;
    QCOMPARE(presenter.present(r), MsgResult::No);
    QCOMPARE(boxes.texts(), QStringList{r.text});
    QCOMPARE(boxes.icons(), QList<QMessageBox::Icon>{QMessageBox::Warning});
    QVERIFY(defaultIsNo);
    QCOMPARE(title, QStringLiteral("Korvel"));
}

QTEST_MAIN(TestMessagePresenter)
#include "test_messagepresenter.moc"
