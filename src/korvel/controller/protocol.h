#pragma once

#include "shared/seriallink.h"

#include <QString>
#include <QtGlobal>

#include <memory>

class ProgramDoc;
class ProgramWindowMaker;
class UploadBuffer;

// A channel number on the wire: two digits with a leading zero ("01" .. "15", "99").
QString channelText(int iChannel);
// The status text of a channel information reply ("L12" -> "LOAD  12" and the text of "Mes001"
// of section "dlgDown"; "N" -> "Mes002" alone; anything else empty).
QString channelStatusText(const QString& sMsg);
// The number after the reply's state letter; 0 when missing or not a number.
int channelLineCount(const QString& sMsg);

// The download dialog as the protocol drives it.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    virtual void dispChInf(const QString& sMsg) = 0;
    // iMode 1: channel query, 2: transfer.
    virtual void comWait(bool bSw, int iMode) = 0;
    virtual void setProgressbar(int iNum) = 0;
};

// The controller control dialog.
class ExecuteView {
public:
    virtual ~ExecuteView() = default;
    virtual void dispChInf(const QString& sMsg) = 0;
    virtual void comWait(bool bSw) = 0;
    // The channel chosen in its channel box (1 .. 15).
    virtual int selectedChannel() const = 0;
};

// The upload dialog.
class UploadView {
public:
    virtual ~UploadView() = default;
    virtual void DispStatus(const QString& sMsg) = 0;
    virtual void SetEnabled(bool blnSw) = 0;
    virtual void Plus1Progress() = 0;
    // The controller reported the end of the program: the dialog unloads.
    virtual void unloadDialog() = 0;
};

// The wait window of the connection check.
class WaitView {
public:
    virtual ~WaitView() = default;
    virtual void closeWait() = 0;
};

// How a verification after a download ended: the program read back from the channel equals
// the one sent, or differs first at a step (its text as sent and as read back; empty where
// one of the two has no such step), or the read-back failed on the line (its message has been
// shown by then).
struct VerifyResult {
    enum class Kind { None, Verified, Differs, Fault };
    Kind kind = Kind::None;
    int step = 0;
    QString sent;
    QString readBack;
};

// The protocol's own message boxes: numbered ones and the information boxes of "MsgBox".
class ProtocolMessenger {
public:
    virtual ~ProtocolMessenger() = default;
    virtual void showMessage(int code) = 0;
    virtual void showInformation(const QString& key) = 0;
    virtual void showVerification(const VerifyResult& result) = 0;
};

// The text of a verification's report (section "MsgBox" keys "Mes055" to "Mes057").
QString verificationText(const VerifyResult& result);
// Whether two steps hold the same program step: the same commands with the same values, a
// number compared by its value (a file may hold 0050 where the controller keeps 50).
bool sameStep(const ProgramDoc& a, int stepA, const ProgramDoc& b, int stepB);

// Korvel's numbered message boxes for both the link and the protocol.
class StandardMessenger : public ProtocolMessenger, public LinkMessenger {
public:
    void showMessage(int code) override;
    void showInformation(const QString& key) override;
    void showVerification(const VerifyResult& result) override;
    void showLinkMessage(int code) override;
};

// How the last upload ended.
enum class UploadEnd { None, Completed, Unexpected, Refused, Stopped, TimedOut };

// The requests of Korvel, their pending flags and the reply dispatchers that chain them into the
// connection check, the channel queries, the download, run control and the upload. Reaches the
// dialogs only through the views; a missing view is skipped.
class KorvelProtocol : public ReplyDispatcher, public PendingRequests {
public:
    static constexpr int LoadRunControl = 99;
    static constexpr int ModeQuery = 1;
    static constexpr int ModeTransfer = 2;

    explicit KorvelProtocol(SerialLink* link);
    ~KorvelProtocol() override;
    KorvelProtocol(const KorvelProtocol&) = delete;
    KorvelProtocol& operator=(const KorvelProtocol&) = delete;

    SerialLink* link() const { return m_link; }
    // Registers this object with the link as its dispatchers and pending requests.
    void attach();

    void setDownloadView(DownloadView* view) { m_down = view; }
    void setExecuteView(ExecuteView* view) { m_exe = view; }
    void setUploadView(UploadView* view) { m_up = view; }
    void setWaitView(WaitView* view) { m_wait = view; }
    void setMessenger(ProtocolMessenger* messenger) { m_messenger = messenger; }
    // The program that a download transmits (the active program window's document).
    void setProgram(const ProgramDoc* doc) { m_program = doc; }
    const ProgramDoc* program() const { return m_program; }
    void setUploadBuffer(UploadBuffer* buffer) { m_buffer = buffer; }
    UploadBuffer* uploadBuffer() const { return m_buffer; }
    void setWindowMaker(ProgramWindowMaker* maker) { m_maker = maker; }

    // After a completed download the program is read back from its channel and compared.
    void setVerifyAfterDownload(bool on) { m_verify = on; }
    bool verifyAfterDownload() const { return m_verify; }
    const VerifyResult& lastVerification() const { return m_verifyResult; }

    // The modes of the controller control dialog, kept here so they hold while it is closed.
    void SetStartMode(bool bSw) { m_startMode = bSw; }
    bool GetStartMode() const { return m_startMode; }
    void SetStopMode(bool bSw) { m_stopMode = bSw; }
    bool GetStopMode() const { return m_stopMode; }

    // Senders, in the order of the request table.
    void sendCheck();
    void sendCheckChInf();
    void sendChInfDown(int iChannel);
    void sendChInfExe(int iChannel);
    void sendChInfUp(int iChannel);
    void sendLoad(int iChannel);
    void sendStep(int iStep);
    void sendStart(int iChannel);
    void sendStop();
    void sendPgWrt();
    void sendRemote();
    void sendUpload(int iChannel);
    void sendNextLine();
    void sendNg();

    // Operations the dialogs' buttons start.
    void startConnectionCheck();
    void startDownload(int iChannel);
    void stopDownload();
    void startExecute();
    void stopExecute();
    void startUpload(int iChannel);
    void stopUpload();

    void dispatchReply(const QString& line) override;
    void dispatchUploadReply(const QString& line);
    static qint16 classifyUploadLine(const QString& line);
    void clearUploadFlags();

    // PendingRequests
    void clearPending(bool bUpOpen) override;
    void timeoutBeforeMessage() override;
    void timeoutResetWaiting() override;
    void timeoutUploadIdle() override;

    bool waitCheck() const { return m_waitCheck; }
    int checkPhase() const { return m_checkPhase; }
    bool waitChInfDown() const { return m_waitChInfDown; }
    bool waitChInfExe() const { return m_waitChInfExe; }
    bool waitLoad() const { return m_waitLoad; }
    bool waitStep() const { return m_waitStep; }
    bool waitPgWrt() const { return m_waitPgWrt; }
    bool waitRemote() const { return m_waitRemote; }
    bool waitChInfUp() const { return m_waitChInfUp; }
    bool waitUpload() const { return m_waitUpload; }
    bool waitNg() const { return m_waitNg; }
    bool waitVerify() const { return m_waitVerify; }
    bool anyPending() const;
    int sendStepNo() const { return m_sendStepNo; }
    UploadEnd lastUploadEnd() const { return m_uploadEnd; }

private:
    class UploadDispatcher : public ReplyDispatcher {
    public:
        explicit UploadDispatcher(KorvelProtocol* owner) : m_owner(owner) {}
        void dispatchReply(const QString& line) override { m_owner->dispatchUploadReply(line); }

    private:
        KorvelProtocol* m_owner;
    };

    void send(const QString& text, bool bTimer);
    void startVerify();
    void dispatchVerifyReply(const QString& line);
    void endVerify(VerifyResult result);
    void verification(const VerifyResult& result);
    void downIdle(int iMode);
    void exeIdle();
    void message(int code);
    void information(const QString& key);
    int stepCount() const;

    SerialLink* m_link;
    UploadDispatcher m_uploadDispatcher;
    DownloadView* m_down = nullptr;
    ExecuteView* m_exe = nullptr;
    UploadView* m_up = nullptr;
    WaitView* m_wait = nullptr;
    ProtocolMessenger* m_messenger = nullptr;
    const ProgramDoc* m_program = nullptr;
    UploadBuffer* m_buffer = nullptr;
    ProgramWindowMaker* m_maker = nullptr;

    bool m_startMode = false;
    bool m_stopMode = false;
    bool m_waitCheck = false;
    int m_checkPhase = 0;
    bool m_waitChInfDown = false;
    bool m_waitChInfExe = false;
    bool m_waitLoad = false;
    bool m_waitStep = false;
    bool m_waitPgWrt = false;
    bool m_waitRemote = false;
    bool m_waitChInfUp = false;
    bool m_waitUpload = false;
    bool m_waitNg = false;
    qint16 m_sendStepNo = 0;
    int m_downChannel = 0;
    bool m_verify = false;
    bool m_waitVerify = false;
    std::unique_ptr<UploadBuffer> m_verifyBuffer;
    int m_verifyLines = 0;
    VerifyResult m_verifyResult;
    UploadEnd m_uploadEnd = UploadEnd::None;
};
