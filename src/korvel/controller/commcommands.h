#pragma once

#include "korvel/controller/protocol.h"
#include "korvel/model/programfile.h"

#include <functional>
#include <memory>

class FrmProg;
class QWidget;
class dlgWait;

// The Communication menu's controller commands: the protocol of the program and the dialogs
// that drive it. The main window holds one and forwards its menu commands.
class CommCommands : public ProgramWindowMaker {
public:
    // makeForm creates, numbers and shows a program window (the main window's makeNewForm).
    CommCommands(SerialLink* link, QWidget* parent, std::function<FrmProg*(int)> makeForm);
    ~CommCommands() override;

    KorvelProtocol& protocol() { return *m_protocol; }

    // Download of the active program window's program.
    void download(FrmProg* form);
    void upload();
    void execute();
    void connectionCheck();

    // ProgramWindowMaker, for the end of an upload.
    ProgramDoc* makeNewForm(int iAxisNum) override;
    void discardForm(ProgramDoc* doc) override;

private:
    void showNotice();

    QWidget* m_parent;
    std::function<FrmProg*(int)> m_makeForm;
    StandardMessenger m_messenger;
    std::unique_ptr<KorvelProtocol> m_protocol;
};
