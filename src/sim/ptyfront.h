#pragma once

#include "sim/controller.h"
#include "sim/faults.h"
#include "sim/wire.h"

#include <QFile>
#include <QString>
#include <QVector>
#include <chrono>
#include <deque>

namespace Sim {

struct FrontOptions {
    LineEnd lineEnd = LineEnd::CrLf;
    int baud = 0; // 0: no pacing
    int latencyMs = 0;
    int exitAfterIdleMs = 0; // 0: run until a signal
    QVector<Fault> faults;
    QString linkPath;
    QString logPath;
    QString statePath;
    QString reportPath;
};

// The controller on a pseudo-terminal. It holds the slave side open itself, so that clients may
// close and reopen the device between exchanges without the master seeing a hang-up.
class PtyFront {
public:
    PtyFront(Controller& controller, const FrontOptions& options);
    ~PtyFront();
    PtyFront(const PtyFront&) = delete;
    PtyFront& operator=(const PtyFront&) = delete;

    bool open(QString* why);
    QString devicePath() const { return m_device; }
    // Serves requests until SIGTERM, SIGINT or SIGHUP, the idle time, or a hang-up fault.
    void run();
    // Totals of the session to stderr and the report file.
    void report();

private:
    using Clock = std::chrono::steady_clock;
    struct OutItem {
        bool hangup = false;
        char byte = 0;
        Clock::time_point notBefore;
        Clock::duration gap{};   // pause after the previous byte went out
        bool pieceStart = false; // written by a write of its own
    };

    void handleLine(const QByteArray& line, Clock::time_point now);
    void schedule(const QByteArray& bytes, Clock::time_point at, Clock::duration pieceGap,
                  int pieceSize);
    // Writes every byte that is due; returns the time the next one is due (or max).
    Clock::time_point flushOutput(Clock::time_point now);
    void readInput(Clock::time_point now);
    void hangUp();
    void log(const QString& text);
    void saveState();

    Controller& m_ctl;
    FrontOptions m_opt;
    int m_master = -1;
    int m_slave = -1;
    QString m_device;
    bool m_linkCreated = false;
    QFile m_log;

    Clock::duration m_byteTime{};
    std::deque<std::pair<char, Clock::time_point>> m_in;
    Clock::time_point m_inFree{};
    std::deque<OutItem> m_out;
    Clock::time_point m_lineFree{};
    bool m_outBlocked = false;
    bool m_hungUp = false;
    Clock::time_point m_lastActivity;
    RequestAssembler m_requests;

    int m_requestNo = 0;
    qint64 m_bytesIn = 0;
    qint64 m_bytesOut = 0;
};

} // namespace Sim
