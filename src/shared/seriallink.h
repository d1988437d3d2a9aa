#pragma once

#include "shared/linesplitter.h"
#include "shared/serialport.h"

#include <QString>
#include <QtGlobal>
#include <functional>

namespace LineEnds {
inline const QString CR = QStringLiteral("\r");
inline const QString LF = QStringLiteral("\n");
inline const QString CRLF = QStringLiteral("\r\n");
} // namespace LineEnds

// A one-shot window timer: started with an interval, stopped, its tick delivered on the window
// thread to whoever owns it (the owner forwards it to the link).
class LinkTimer {
public:
    virtual ~LinkTimer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;
};

// Receives each complete reply line (the protocol layer's dispatcher).
class ReplyDispatcher {
public:
    virtual ~ReplyDispatcher() = default;
    virtual void dispatchReply(const QString& line) = 0;
};

// The download dialog's communication log: every sent text and received chunk while it is open.
class TrafficLog {
public:
    virtual ~TrafficLog() = default;
    // bDir false: sent; true: received.
    virtual void putMsg(const QString& sMsg, bool bDir) = 0;
    // The next sent text starts a new log line.
    virtual void setNewLine() = 0;
};

// The protocol layer's pending requests, as far as the end of an exchange and the reply
// time-out must touch them.
class PendingRequests {
public:
    virtual ~PendingRequests() = default;
    // Clears the pending flags; the upload group too when bUpOpen.
    virtual void clearPending(bool bUpOpen) = 0;
    // Time-out, before its message: a waiting connection check ends (closes its wait window).
    virtual void timeoutBeforeMessage() {}
    // Time-out, after its message: the dialog of the first pending flag returns to idle.
    virtual void timeoutResetWaiting() {}
    // Time-out, last step while the upload dialog is open: it returns to idle.
    virtual void timeoutUploadIdle() {}
};

// Shows a numbered message of the link (4: no reply; 7..16: error replies) and returns when
// the user has confirmed it.
class LinkMessenger {
public:
    virtual ~LinkMessenger() = default;
    virtual void showLinkMessage(int code) = 0;
};

// Keeps the user away from the main window during the wake-up exchange.
class WindowGate {
public:
    virtual ~WindowGate() = default;
    virtual void setMainWindowEnabled(bool bEnabled) = 0;
};

namespace LinkCodes {
inline constexpr int NoReply = 4;
inline constexpr int ErrorReply0 = 7; // "!0" .. "!8" give 7 .. 15
inline constexpr int ErrorReplyOther = 16;
} // namespace LinkCodes

// 0 when the line is not an error reply, otherwise its message code 7 .. 16.
int replyErrorCode(const QString& line);
// The "MsgBox" key of a link message code ("Mes006" for 4, "Mes009" .. "Mes018" for 7 .. 16).
QString linkMessageKey(int code);

// The link of one program: one request at a time over a port opened afresh for each request,
// the receive path with line-end detection, the reply and line-end timers, the echo to the
// download log and the routing of lines to the protocol layer. Korvel uses all of it; Baxwin
// leaves the detection unarmed (lines end at CR), sets no log and no upload dispatcher, passes
// its own reply interval per request, and brings its own time-out handling and error check.
class SerialLink {
public:
    static constexpr int ReplyIntervalMs = 3000;
    static constexpr int CrLfIntervalMs = 100;
    static constexpr int WakeWaitMs = 100;
    // Without a whole answer line after the wake-up wait, it goes on up to this many times the
    // wait in all, looking every WakePollMs.
    static constexpr int WakeLimitFactor = 10;
    static constexpr int WakePollMs = 10;

    SerialLink(SerialPortService* port, LinkTimer* replyTimer, LinkTimer* crLfTimer);

    void setDispatcher(ReplyDispatcher* dispatcher) { m_dispatcher = dispatcher; }
    void setUploadDispatcher(ReplyDispatcher* dispatcher) { m_uploadDispatcher = dispatcher; }
    void setPendingRequests(PendingRequests* pending) { m_pending = pending; }
    void setMessenger(LinkMessenger* messenger) { m_messenger = messenger; }
    void setWindowGate(WindowGate* gate) { m_gate = gate; }
    void setDownloadLog(TrafficLog* log) { m_log = log; }
    // Replaces replyTimeout as the action of the reply timer's tick (Baxwin's own handling).
    void setReplyTimeoutHandler(std::function<void()> handler) {
        m_timeoutHandler = std::move(handler);
    }
    // Tests shorten the waits.
    void setIntervals(int replyMs, int crLfMs, int wakeMs);
    int replyInterval() const { return m_replyMs; }

    SerialPortService* port() const { return m_port; }

    // text already carries CRLF. Failures are swallowed: they show up as a reply time-out.
    void sendText(const QString& text);
    void wakeController();
    void receiveText(const QString& data);
    void endExchange();
    void replyTimeout();
    // True when the line is an error reply; its message has then been shown.
    bool checkReplyError(const QString& line);

    // module timer
    void setReplyTimer(bool bOn);
    void setReplyTimer(bool bOn, int intervalMs);
    void setCrLfTimer(bool bOn);
    void stopTimers();

    // What the window holding the port and timers forwards.
    void onReceive();
    void onReplyTimer();
    void onCrLfTimer();

    bool downOpen() const { return m_downOpen; }
    void setDownOpen(bool bOpen) { m_downOpen = bOpen; }
    bool upOpen() const { return m_upOpen; }
    void setUpOpen(bool bOpen) { m_upOpen = bOpen; }
    qint16 rxState() const { return m_splitter.rxState(); }
    void setRxState(qint16 state) { m_splitter.setRxState(state); }
    qint16 lineEnd() const { return m_splitter.lineEnd(); }
    const QString& rxBuffer() const { return m_splitter.rxBuffer(); }

private:
    void echo(const QString& text, bool bDir);
    static void waitPrecisely(qint64 ms);
    QString replyLine(const QString& line) const;

    SerialPortService* m_port;
    LinkTimer* m_replyTimer;
    LinkTimer* m_crLfTimer;
    ReplyDispatcher* m_dispatcher = nullptr;
    ReplyDispatcher* m_uploadDispatcher = nullptr;
    PendingRequests* m_pending = nullptr;
    LinkMessenger* m_messenger = nullptr;
    WindowGate* m_gate = nullptr;
    TrafficLog* m_log = nullptr;
    std::function<void()> m_timeoutHandler;
    LineSplitter m_splitter;
    bool m_downOpen = false;
    bool m_upOpen = false;
    bool m_receiving = false;
    bool m_receiveAgain = false;
    int m_replyMs = ReplyIntervalMs;
    int m_crLfMs = CrLfIntervalMs;
    int m_wakeMs = WakeWaitMs;
    int m_wakeLimitMs = WakeLimitFactor * WakeWaitMs;
};
