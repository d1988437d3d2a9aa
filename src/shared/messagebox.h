#pragma once

#include <QString>

// What a message box must show and which button was pressed. The logic asks through
// MessagePresenter; the windows show a real box, the command-line tools print, tests record.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Question, Critical, Exclamation, Information };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString title;
    QString text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgResult defaultButton = MsgResult::Ok;
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MsgResult present(const MessageRequest& request) = 0;
};

// The program-wide presenter; set once by each program's start (or by a test).
void setMessagePresenter(MessagePresenter* presenter);
MessagePresenter* messagePresenter();
// Shows the request through the current presenter; without one, answers the default button.
MsgResult presentMessage(const MessageRequest& request);
