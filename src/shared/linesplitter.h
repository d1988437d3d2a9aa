#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// Cuts received text into reply lines and finds out by itself whether the controller ends its
// lines with CR, LF or CR LF. Pure: the link feeds it and acts on each step.
class LineSplitter {
public:
    // rxState values
    static constexpr qint16 NotArmed = 0;
    static constexpr qint16 Detected = 3;
    static constexpr qint16 Armed = 4;
    static constexpr qint16 Waiting = 5;
    static constexpr qint16 Due = 6;
    // lineEnd values
    static constexpr qint16 EndCr = 0;
    static constexpr qint16 EndLf = 1;
    static constexpr qint16 EndCrLf = 2;

    enum class Step {
        Line,           // a complete line was taken from the buffer
        NeedMore,       // nothing (more) to hand on now
        StartDetection, // the first line end arrived while armed: start the line-end timer
    };

    void append(const QString& data) { m_rxBuffer += data; }
    // One round of the receive loop. The line is removed from the buffer before it is handed
    // on, so whatever the receiver does to the buffer meanwhile stays intact.
    Step next(QString* line);
    // The whole receive path for one chunk: appends it and hands on every complete line in
    // order. True when the line-end timer must be started now.
    bool feed(const QString& data, const std::function<void(const QString&)>& onLine);
    void clearBuffer() { m_rxBuffer.clear(); }

    const QString& rxBuffer() const { return m_rxBuffer; }
    qint16 rxState() const { return m_rxState; }
    void setRxState(qint16 state) { m_rxState = state; }
    qint16 lineEnd() const { return m_lineEnd; }
    void setLineEnd(qint16 lineEnd) { m_lineEnd = lineEnd; }

private:
    QString m_rxBuffer;
    qint16 m_rxState = NotArmed;
    qint16 m_lineEnd = EndCr;
};
