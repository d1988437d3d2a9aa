#pragma once

#include "shared/messagebox.h"

class QWidget;

// Shows requests in the platform's standard message box, modal for the whole program.
class QtMessagePresenter : public MessagePresenter {
public:
    explicit QtMessagePresenter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    MsgResult present(const MessageRequest& request) override;

private:
    QWidget* m_parent;
};
