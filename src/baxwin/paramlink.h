#pragma once

#include <QString>

#include <functional>

class SerialPortService;
class ParamTransfer;

// The reply timer: one shot; its owner calls ParamLink::onReplyTimer when it expires.
class ReplyTimer {
public:
    virtual ~ReplyTimer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
};

// Baxwin's side of the serial link: one request at a time, lines split at CR, its own pending
// flags, dispatcher, error check, end of exchange and time-out handling.
class ParamLink {
public:
    static constexpr int DefaultReplyMs = 3000;
    static constexpr int DefaultFlashReplyMs = 10000;
    static constexpr int DefaultWakeMs = 100;

    ParamLink(SerialPortService& port, ReplyTimer& timer);
    ~ParamLink();
    ParamLink(const ParamLink&) = delete;
    ParamLink& operator=(const ParamLink&) = delete;

    // The dialog the dispatcher drives; null while none is open.
    void setTransfer(ParamTransfer* transfer) { m_transfer = transfer; }
    void setIntervals(int replyMs, int flashReplyMs);
    void setWakeDelay(int ms) { m_wakeMs = ms; }
    // wakeController keeps the editor window from taking input while it waits.
    void setWindowEnabler(std::function<void(bool)> enable) { m_enableWindow = std::move(enable); }
    // Sees every text sent and every chunk received (for logs and measurements).
    void setTrafficObserver(std::function<void(bool received, const QString&)> observer) {
        m_observer = std::move(observer);
    }

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
    void dispatchReply(const QString& line);
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
    void send(bool& flag, const QString& text, int intervalMs);

    SerialPortService& m_port;
    ReplyTimer& m_timer;
    ParamTransfer* m_transfer = nullptr;
    std::function<void(bool)> m_enableWindow;
    std::function<void(bool, const QString&)> m_observer;
    int m_replyMs = DefaultReplyMs;
    int m_flashReplyMs = DefaultFlashReplyMs;
    int m_wakeMs = DefaultWakeMs;

    QString m_rxBuffer;
    int m_axisCount = 0;
    bool m_waitProbeRead = false;
    bool m_waitParRead = false;
    bool m_waitProbeWrite = false;
    bool m_waitWriteStart = false;
    bool m_waitParWrite = false;
    bool m_waitFlash = false;
};
