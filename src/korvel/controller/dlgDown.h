#pragma once

#include "korvel/controller/channeldialog.h"
#include "korvel/controller/protocol.h"

class ProgramDoc;
class ProgramFileDialogs;
class QCheckBox;
class QComboBox;
class QListWidget;
class QProgressBar;
class QPushButton;

// The download dialog: sends the active program into a channel of the controller, shows the
// channel's state, the progress and the serial traffic.
class dlgDown : public ChannelDialog, public DownloadView, public TrafficLog {
    Q_OBJECT
public:
    explicit dlgDown(KorvelProtocol* protocol, QWidget* parent = nullptr);
    ~dlgDown() override;

    // The program to send and the caption of its window, before the dialog is shown.
    void setProgram(const ProgramDoc* doc, const QString& windowCaption);
    void vFormInitialize() { beginSession(); }

    // DownloadView
    void dispChInf(const QString& sMsg) override;
    void comWait(bool bSw, int iMode) override;
    void setProgressbar(int iNum) override;
    // TrafficLog
    void putMsg(const QString& sMsg, bool bDir) override;
    void setNewLine() override { m_bNewLine = true; }

    QComboBox* comboCh() const { return channelBox(); }
    QProgressBar* progressBar() const { return m_progressBar; }
    QListWidget* lstDbg() const { return m_lstDbg; }
    QPushButton* cmdTx() const { return m_cmdTx; }
    QCheckBox* chkVerify() const { return m_chkVerify; }
    QPushButton* cmdSaveLog() const { return m_cmdSaveLog; }
    // The file dialog of Save log; tests put a scripted one in place.
    void setFileDialogs(ProgramFileDialogs* dialogs) { m_dialogs = dialogs; }
    QStringList logLines() const;

    void cmdTx_Click();
    void cmdStop_Click();
    void cmdSaveLog_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void formLoad() override;
    void queryChannel(int channel) override;

private:
    void updateSaveLog();
    // Verify after download: the operator's choice, kept for the run.
    static bool& verifyChoice();

    const ProgramDoc* m_doc = nullptr;
    ProgramFileDialogs* m_dialogs = nullptr;
    bool m_busy = false;
    QString m_windowCaption;
    bool m_bNewLine = false;

    QProgressBar* m_progressBar;
    QListWidget* m_lstDbg;
    QPushButton* m_cmdTx;
    QCheckBox* m_chkVerify;
    QPushButton* m_cmdSaveLog;
};
