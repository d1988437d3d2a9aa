#pragma once

#include "shared/seriallink.h"

#include <QString>

#include <functional>

class ParamTransfer;

// Baxwin's side of the serial link: the shared link with its line-end detection never armed
// (lines end at CR), and Baxwin's own pending flags, dispatcher, error check and time-out
// handling. The owner of the reply timer calls onReplyTimer when it expires.
class ParamLink : private ReplyDispatcher,
                  private PendingRequests,
                  private WindowGate,
                  private TrafficLog {
public:
    static constexpr int DefaultReplyMs = 3000;
    static constexpr int DefaultFlashReplyMs = 10000;
    static constexpr int DefaultWakeMs = 100;

    ParamLink(SerialPortService& port, LinkTimer& replyTimer);
    ~ParamLink() override;
    ParamLink(const ParamLink&) = delete;
    ParamLink& operator=(const ParamLink&) = delete;

    // The dialog the dispatcher drives; null while none is open.
    void setTransfer(ParamTransfer* transfer) { m_transfer = transfer; }
    void setIntervals(int replyMs, int flashReplyMs);
    void setWakeDelay(int ms);
    // wakeController keeps the editor window from taking input while it waits.
    void setWindowEnabler(std::function<void(bool)> enable) { m_enableWindow = std::move(enable); }
    // Sees every text sent and every chunk received (for logs and measurements).
    void setTrafficObserver(std::function<void(bool received, const QString&)> observer);

    void wakeController();
    void sendParProbe(int mode);
    void sendParRead(int n);
    void sendWriteStart();
    void sendParWrite(const QString& text);
    void sendFlashStore();

    void sendText(const QString& text);
    void receiveText(const QString& data);
    // The port's receive notification: reads every waiting character.
    void onPortReadyRead();
    void dispatchReply(const QString& line) override;
    // True when the line is not an error reply; shows the error's message otherwise.
    bool checkReplyError(const QString& line);
    void endExchange();
    // The reply timer expired.
    void onReplyTimer();
    void replyTimeout();

    int axisCount() const { return m_axisCount; }
    void setAxisCount(int n) { m_axisCount = n; }
    bool isWaiting() const;
    bool isWaitingFlash() const { return m_waitFlash; }

private:
    // The line-end timer of the shared link; nothing starts it here.
    class IdleTimer : public LinkTimer {
    public:
        void start(int) override {}
        void stop() override {}
        bool isActive() const override { return false; }
        int interval() const override { return 0; }
    };

    void send(bool& flag, const QString& text, int intervalMs);
    void clearPending(bool bUpOpen) override;
    void setMainWindowEnabled(bool bEnabled) override;
    void putMsg(const QString& sMsg, bool bDir) override;
    void setNewLine() override {}

    SerialPortService& m_port;
    IdleTimer m_crLfTimer;
    SerialLink m_link;
    ParamTransfer* m_transfer = nullptr;
    std::function<void(bool)> m_enableWindow;
    std::function<void(bool, const QString&)> m_observer;
    int m_replyMs = DefaultReplyMs;
    int m_flashReplyMs = DefaultFlashReplyMs;

    int m_axisCount = 0;
    bool m_waitProbeRead = false;
    bool m_waitParRead = false;
    bool m_waitProbeWrite = false;
    bool m_waitWriteStart = false;
    bool m_waitParWrite = false;
    bool m_waitFlash = false;
};
