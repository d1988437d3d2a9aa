#pragma once

#include "baxwin/partables.h"

#include <QString>

class ParamLink;

// What the transfer dialog shows.
struct TransferState {
    enum class Outcome { None, ReadDone, WriteDone, FlashDone, Stopped, Aborted };

    int transferMode = 0; // 0 read, 1 write
    QString title;
    QString status;
    int progress = 0;
    int progressMax = 0;
    bool busy = false;         // a read or write sequence runs
    bool dialogEnabled = true; // false while the flash store runs
    bool doEnabled = true;
    bool stopEnabled = false;
    bool closeEnabled = true;
    bool romVisible = false;
    bool romEnabled = false;
    Outcome outcome = Outcome::None; // how the last sequence ended
};

// The transfer dialog as the logic sees it: a window, the command-line tool or a test.
class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void transferChanged(const TransferState& state) = 0;
    virtual void closeTransfer() = 0;
};

// The editor's side of a completed read.
class ReadReceiver {
public:
    virtual ~ReadReceiver() = default;
    virtual void GetCtrlData(const ParValueTable& sULData) = 0;
    virtual void setButtonsEnabled(bool enabled) = 0;
};

// The receiver of a read that must not reach the editor (a compare): keeps the values of a
// completed read and leaves the editor's buttons as they are.
class KeptRead : public ReadReceiver {
public:
    void GetCtrlData(const ParValueTable& sULData) override {
        m_values = sULData;
        m_received = true;
    }
    void setButtonsEnabled(bool) override {}

    bool received() const { return m_received; }
    const ParValueTable& values() const { return m_values; }

private:
    ParValueTable m_values;
    bool m_received = false;
};

// One transfer of parameter values between the editor and the controller: reading all used
// parameters, writing them, and storing them in flash after a write.
class ParamTransfer {
public:
    ParamTransfer(ParamLink& link, const ParDefs& defs);
    ~ParamTransfer();
    ParamTransfer(const ParamTransfer&) = delete;
    ParamTransfer& operator=(const ParamTransfer&) = delete;

    void setView(TransferView* view);
    void setReceiver(ReadReceiver* receiver) { m_receiver = receiver; }

    void GetGridData(const ParValueTable& sGrdData) { m_table = sGrdData; }
    // The part of ShowDialog before the dialog is shown: wake-up, mode, title, progress.
    void prepare(int iCode);
    // A title other than the mode's (a read made for a compare).
    void setTitle(const QString& title);
    // The text a read puts in every value before the replies come: the controller did not
    // report the values that still hold it.
    static QString unreadText();

    // Buttons.
    void cmdDo();
    void cmdStop();
    void cmdClose();
    void cmdROM();
    // The window frame's close: a running sequence is aborted first.
    void frameClose();

    // Called by the dispatcher.
    void GetAxisNum(const QString& sMsg);
    bool Get1Par(const QString& sMsg);
    QString Edit1Par(int n) const;
    int NextParNo();
    void Progress1Plus();
    void CompleteComm(int iCode);
    void SetEnabled(bool blnSw);
    void setDialogEnabled(bool enabled);

    const TransferState& state() const { return m_state; }
    const ParValueTable& table() const { return m_table; }
    int curParNo() const { return m_curParNo; }
    // A write completed since the dialog was prepared: the controller holds the values given.
    bool writeCompleted() const { return m_writeCompleted; }

private:
    void changed();

    ParamLink& m_link;
    const ParDefs& m_defs;
    TransferView* m_view = nullptr;
    ReadReceiver* m_receiver = nullptr;
    ParValueTable m_table;
    TransferState m_state;
    int m_curParNo = 1;
    bool m_romEarned = false;
    bool m_storing = false;
    bool m_writeCompleted = false;
};
