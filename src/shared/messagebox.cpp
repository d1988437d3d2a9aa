#include "shared/messagebox.h"

namespace {
MessagePresenter* g_presenter = nullptr;
}

void setMessagePresenter(MessagePresenter* presenter) {
    g_presenter = presenter;
}

MessagePresenter* messagePresenter() {
    return g_presenter;
}

MsgResult presentMessage(const MessageRequest& request) {
    if (g_presenter == nullptr)
        return request.defaultButton;
    return g_presenter->present(request);
}
