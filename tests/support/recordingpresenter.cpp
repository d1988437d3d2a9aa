#include "recordingpresenter.h"

RecordingPresenter::RecordingPresenter() : m_previous(messagePresenter()) {
    setMessagePresenter(this);
}

RecordingPresenter::~RecordingPresenter() {
    setMessagePresenter(m_previous);
}

MsgResult RecordingPresenter::present(const MessageRequest& request) {
    m_shown.append(request);
    if (m_answers.isEmpty())
        return request.defaultButton;
    return m_answers.takeFirst();
}
