#pragma once

#include <QMainWindow>

class FrmProg;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

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

    int docCounter() const { return m_docCounter; }
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

    // The File menu opens / the Communication menu opens.
    void mnuFile_Open();
    void mnuComm_Open();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addEntry(QMenu* menu, const char* name, const char* key, const char* design,
                      const QKeySequence& shortcut, void (MDIFormMain::*handler)());
    QMenu* addMenu(const char* name, const char* key, const char* design);
    bool configuredPortUsable() const;
    bool menuUsable(const char* menuName) const;

    QMdiArea* m_mdiArea;
    int m_docCounter = 1;
};
