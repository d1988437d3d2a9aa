#pragma once

#include "korvel/shell/clsWindow.h"
#include "korvel/shell/recentfiles.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class LingeringPort;
class CommCommands;
class FrmCmd;
class FrmProg;
class LinkMessenger;
class ProgramFileDialogs;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QtLinkTimer;
class QtSerialPort;
class SerialLink;
class SerialSettings;

// The main window of Korvel: holds the program windows, carries the menus and starts
// everything else.
class MDIFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIFormMain(QWidget* parent = nullptr);
    ~MDIFormMain() override;

    void ShowMainDialog();

    FrmProg* makeNewForm(int iAxisNum);
    bool getLiveForm() const;
    // The program window that has the focus in the child area (nullptr when there is none).
    FrmProg* activeForm() const;
    QList<FrmProg*> programWindows() const;
    void setMenuEnabled();
    void setCloseMenu();
    void setMenuDispCmd(bool bSw);
    // The command palette while it is shown.
    FrmCmd* commandPalette() const;
    // The file dialog service (dlgCommon); tests put a scripted one in place.
    void setFileDialogs(ProgramFileDialogs* dialogs);
    ProgramFileDialogs* fileDialogs() const { return m_dialogs; }

    int docCounter() const { return m_docCounter; }
    // The serial port control, the link timers, the settings and the link.
    QtSerialPort* MSComm() const { return m_MSComm; }
    QTimer* Timer() const { return m_Timer; }
    QTimer* TimerCrLf() const { return m_TimerCrLf; }
    SerialSettings& comSettings() const { return *m_com; }
    SerialLink& link() const { return *m_link; }
    // The controller commands of the Communication menu.
    CommCommands& comm() const { return *m_comm; }
    QMdiArea* childArea() const { return m_mdiArea; }
    // A menu or menu entry by its name (mnuFile, mnuFileNew, ...).
    QAction* menuEntry(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // Menu commands.
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileClose_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFilePara_Click();
    void mnuFileEnd_Click();
    void mnuCut_Click();
    void mnuInsert_Click();
    void mnuDispCmd_Click();
    void mnuComParam_Click();
    void mnuComTx_Click();
    void mnuComUL_Click();
    void mnuComExe_Click();
    void mnuCommChk_Click();

    void mnuWinCascade_Click();
    void mnuWinTile_Click();
    void mnuWinNext_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    // A recent program chosen in the File menu.
    void openRecent(const QString& path);
    RecentFiles& recentFiles() { return m_recent; }

    // The File menu opens / the Communication menu opens / the Window menu opens.
    void mnuFile_Open();
    void mnuComm_Open();
    void mnuWindow_Open();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addEntry(QMenu* menu, const char* name, const char* key, const char* design,
                      const QKeySequence& shortcut, void (MDIFormMain::*handler)());
    QMenu* addMenu(const char* name, const char* key, const char* design);
    bool configuredPortUsable() const;
    QPoint nextCascadePosition(const QMdiSubWindow* fresh) const;
    bool menuUsable(const char* menuName) const;

    class ActiveKeeper;
    class Gate;

    QMdiArea* m_mdiArea;
    int m_docCounter = 1;
    std::unique_ptr<ProgramFileDialogs> m_ownDialogs;
    ProgramFileDialogs* m_dialogs;
    QPointer<FrmCmd> m_cmd;
    QtSerialPort* m_MSComm;
    QTimer* m_Timer;
    QTimer* m_TimerCrLf;
    std::unique_ptr<QtLinkTimer> m_replyTimer;
    std::unique_ptr<QtLinkTimer> m_crLfTimer;
    std::unique_ptr<SerialSettings> m_com;
    std::unique_ptr<LingeringPort> m_chainPort;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LinkMessenger> m_messenger;
    std::unique_ptr<Gate> m_gate;
    std::unique_ptr<clsWindow> m_appRunner;
    std::unique_ptr<CommCommands> m_comm;
    RecentFiles m_recent;
    QAction* m_recentEnd = nullptr;
    QList<QAction*> m_recentEntries;
    QList<QAction*> m_windowEntries;
};
