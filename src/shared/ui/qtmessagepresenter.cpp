#include "shared/ui/qtmessagepresenter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton toStandard(MsgResult r) {
    switch (r) {
    case MsgResult::Ok:
        return QMessageBox::Ok;
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

} // namespace

MsgResult QtMessagePresenter::present(const MessageRequest& request) {
    QMessageBox box(m_parent != nullptr ? m_parent : QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(request.title);
    box.setText(request.text);
    switch (request.icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    QMessageBox::StandardButtons buttons;
    switch (request.buttons) {
    case MsgButtons::Ok:
        buttons = QMessageBox::Ok;
        break;
    case MsgButtons::OkCancel:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MsgButtons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    case MsgButtons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(buttons);
    box.setDefaultButton(toStandard(request.defaultButton));
    // exec() gives the pressed button; Escape and the close box give the box's escape button
    // (Cancel, else No, else the only button).
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        break;
    }
    // Closed without any button (the box was destroyed by its parent): the safe answer.
    if (request.buttons == MsgButtons::YesNoCancel || request.buttons == MsgButtons::OkCancel)
        return MsgResult::Cancel;
    if (request.buttons == MsgButtons::YesNo)
        return MsgResult::No;
    return MsgResult::Ok;
}
