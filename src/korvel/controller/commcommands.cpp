#include "korvel/controller/commcommands.h"

#include "korvel/controller/dlgDown.h"
#include "korvel/controller/dlgExe.h"
#include "korvel/controller/dlgUP.h"
#include "korvel/model/FrmProg.h"
#include "korvel/model/uploadbuffer.h"
#include "korvel/shell/dlgInit.h"
#include "korvel/shell/dlgWait.h"

namespace {

class WaitCloser : public WaitView {
public:
    explicit WaitCloser(dlgWait* wait) : m_wait(wait) {}
    void closeWait() override { m_wait->closeDialog(); }

private:
    dlgWait* m_wait;
};

} // namespace

CommCommands::CommCommands(SerialLink* link, QWidget* parent, std::function<FrmProg*(int)> makeForm)
    : m_parent(parent), m_makeForm(std::move(makeForm)),
      m_protocol(std::make_unique<KorvelProtocol>(link)) {
    m_protocol->attach();
    m_protocol->setMessenger(&m_messenger);
    m_protocol->setUploadBuffer(&uploadBuffer());
    m_protocol->setWindowMaker(this);
}

CommCommands::~CommCommands() = default;

void CommCommands::showNotice() {
    dlgInit notice(m_parent);
    notice.exec();
}

void CommCommands::download(FrmProg* form) {
    if (form == nullptr)
        return;
    showNotice();
    dlgDown dialog(m_protocol.get(), m_parent);
    dialog.setProgram(&form->doc(), form->windowTitle());
    dialog.vFormInitialize();
    dialog.exec();
}

void CommCommands::upload() {
    showNotice();
    dlgUP dialog(m_protocol.get(), m_parent);
    dialog.InitUpLoad();
    dialog.ShowDialog();
}

void CommCommands::execute() {
    showNotice();
    dlgExe dialog(m_protocol.get(), m_parent);
    dialog.vFormInitialize();
    dialog.exec();
}

void CommCommands::connectionCheck() {
    dlgWait wait(m_parent);
    WaitCloser closer(&wait);
    m_protocol->setWaitView(&closer);
    m_protocol->startConnectionCheck();
    wait.ShowDialog();
    m_protocol->setWaitView(nullptr);
}

ProgramDoc* CommCommands::makeNewForm(int iAxisNum) {
    FrmProg* form = m_makeForm ? m_makeForm(iAxisNum) : nullptr;
    return form ? &form->doc() : nullptr;
}

void CommCommands::discardForm(ProgramDoc*) {}
