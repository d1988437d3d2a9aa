#pragma once

#include "shared/messagebox.h"

#include <QList>

// Records every message the logic shows and answers from a script; when the script is empty it
// answers the request's default button.
class RecordingPresenter : public MessagePresenter {
public:
    RecordingPresenter();
    ~RecordingPresenter() override;

    MsgResult present(const MessageRequest& request) override;

    void answerNext(MsgResult result) { m_answers.append(result); }
    const QList<MessageRequest>& shown() const { return m_shown; }
    void clear() {
        m_shown.clear();
        m_answers.clear();
    }

private:
    MessagePresenter* m_previous;
    QList<MessageRequest> m_shown;
    QList<MsgResult> m_answers;
};
