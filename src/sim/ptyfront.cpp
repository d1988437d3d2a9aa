#include "sim/ptyfront.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void onStopSignal(int) {
    g_stop = 1;
}

timespec toTimespec(std::chrono::nanoseconds d) {
    if (d.count() < 0)
        d = std::chrono::nanoseconds(0);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(d.count() / 1000000000);
    ts.tv_nsec = static_cast<long>(d.count() % 1000000000);
    return ts;
}

} // namespace

PtyFront::PtyFront(Controller& controller, const FrontOptions& options)
    : m_ctl(controller), m_opt(options), m_lastActivity(Clock::now()) {
    if (m_opt.baud > 0)
        m_byteTime = std::chrono::duration_cast<Clock::duration>(
            std::chrono::nanoseconds(static_cast<qint64>(10'000'000'000LL / m_opt.baud)));
}

PtyFront::~PtyFront() {
    if (m_linkCreated) {
        const QByteArray link = QFile::encodeName(m_opt.linkPath);
        ::unlink(link.constData());
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyFront::open(QString* why) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *why = QStringLiteral("cannot create a pseudo-terminal: ") +
               QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        *why = QStringLiteral("no name for the pseudo-terminal");
        return false;
    }
    m_device = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        *why = QStringLiteral("cannot open ") + m_device;
        return false;
    }
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    if (!m_opt.linkPath.isEmpty()) {
        const QByteArray link = QFile::encodeName(m_opt.linkPath);
        const QFileInfo info(m_opt.linkPath);
        if (info.isSymLink()) {
            ::unlink(link.constData());
        } else if (info.exists()) {
            *why = m_opt.linkPath + QStringLiteral(" exists and is not a symbolic link");
            return false;
        }
        if (::symlink(name, link.constData()) != 0) {
            *why = QStringLiteral("cannot create the link ") + m_opt.linkPath +
                   QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        m_linkCreated = true;
    }
    if (!m_opt.logPath.isEmpty()) {
        m_log.setFileName(m_opt.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            *why = QStringLiteral("cannot write the log ") + m_opt.logPath;
            return false;
        }
    }
    log(QStringLiteral("# %1, %2 axes").arg(m_device).arg(m_ctl.axisCount()));
    return true;
}

void PtyFront::log(const QString& text) {
    if (!m_log.isOpen())
        return;
    m_log.write(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")).toUtf8() +
        text.toUtf8() + '\n');
    m_log.flush();
}

void PtyFront::saveState() {
    if (m_opt.statePath.isEmpty())
        return;
    QSaveFile f(m_opt.statePath);
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(m_ctl.saveState()).toJson()) < 0 ||
        !f.commit())
        std::fprintf(stderr, "controller-sim: cannot write %s\n", qPrintable(m_opt.statePath));
}

void PtyFront::schedule(const QByteArray& bytes, Clock::time_point at, Clock::duration pieceGap,
                        int pieceSize) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        OutItem item;
        item.byte = bytes[i];
        item.notBefore = at;
        if (pieceSize > 0 && i > 0 && i % pieceSize == 0) {
            item.gap = pieceGap;
            item.pieceStart = true;
        }
        m_out.push_back(item);
    }
}

void PtyFront::handleLine(const QByteArray& line, Clock::time_point now) {
    ++m_requestNo;
    m_lastActivity = now;
    log(QStringLiteral("> ") + escapeForLog(line));

    const Fault* fault = nullptr;
    int delayMs = 0;
    for (const Fault& f : m_opt.faults) {
        if (!f.selects(m_requestNo, line))
            continue;
        if (f.kind == Fault::Kind::Delay)
            delayMs += f.delayMs;
        else if (!fault)
            fault = &f;
    }
    const QByteArray le = lineEndBytes(m_opt.lineEnd);
    Clock::time_point at = now + std::chrono::milliseconds(m_opt.latencyMs + delayMs);

    // A fault that replaces the reply stands for a request the controller never took in.
    if (fault && fault->kind != Fault::Kind::Split && fault->kind != Fault::Kind::Corrupt) {
        switch (fault->kind) {
        case Fault::Kind::Error:
        case Fault::Kind::Reply:
            schedule(fault->text + le, at, {}, 0);
            log(QStringLiteral("< ") + escapeForLog(fault->text + le) +
                QStringLiteral("  (fault)"));
            break;
        case Fault::Kind::NoReply:
            log(QStringLiteral("# no reply (fault)"));
            break;
        case Fault::Kind::Garbage:
            schedule(noiseBytes(fault->count), at, {}, 0);
            log(QStringLiteral("< ") + escapeForLog(noiseBytes(fault->count)) +
                QStringLiteral("  (fault: garbage)"));
            break;
        case Fault::Kind::Hangup: {
            OutItem item;
            item.hangup = true;
            item.notBefore = at;
            m_out.push_back(item);
            log(QStringLiteral("# hang-up (fault)"));
            break;
        }
        default:
            break;
        }
        return;
    }

    Response r = m_ctl.handle(line);
    if (fault && fault->kind == Fault::Kind::Corrupt) {
        r.note += m_ctl.corruptLastStep() ? QStringLiteral("fault: kept altered")
                                          : QStringLiteral("fault: nothing to alter");
        fault = nullptr;
    }
    if (r.stateChanged)
        saveState();
    at += std::chrono::milliseconds(r.extraDelayMs);
    const QByteArray bytes = r.line + le;
    QString note = r.note.isEmpty() ? QString() : QStringLiteral("  (") + r.note + QLatin1Char(')');
    if (fault) {
        schedule(bytes, at, std::chrono::milliseconds(fault->pauseMs), fault->pieceSize);
        note += QStringLiteral("  (fault: split %1,%2)").arg(fault->pieceSize).arg(fault->pauseMs);
    } else {
        schedule(bytes, at, {}, 0);
    }
    log(QStringLiteral("< ") + escapeForLog(bytes) + note);
}

PtyFront::Clock::time_point PtyFront::flushOutput(Clock::time_point now) {
    QByteArray batch;
    size_t taken = 0;
    Clock::time_point lastAt = m_lineFree;
    Clock::time_point next = Clock::time_point::max();
    for (const OutItem& item : m_out) {
        const Clock::time_point ready = std::max(item.notBefore, lastAt + item.gap);
        if (item.hangup) {
            next = std::max(ready, now);
            break;
        }
        const Clock::time_point sendAt = ready + m_byteTime;
        if (item.pieceStart && !batch.isEmpty()) {
            next = std::max(sendAt, now);
            break;
        }
        if (sendAt > now) {
            next = sendAt;
            break;
        }
        batch += item.byte;
        lastAt = sendAt;
        ++taken;
    }
    if (!batch.isEmpty()) {
        ssize_t n = ::write(m_master, batch.constData(), size_t(batch.size()));
        if (n < 0 && errno == EAGAIN) {
            // Nobody reads the line: what a real wire would lose, the queue drops too.
            ::tcflush(m_slave, TCIFLUSH);
            n = ::write(m_master, batch.constData(), size_t(batch.size()));
        }
        if (n < 0 && errno == EAGAIN) {
            m_outBlocked = true;
            return Clock::time_point::max();
        }
        if (n < 0) {
            log(QStringLiteral("# write failed: ") + QString::fromLocal8Bit(std::strerror(errno)));
            n = ssize_t(taken); // lost on the wire
        }
        m_outBlocked = false;
        m_bytesOut += n;
        // The line stays busy until the last written byte was on the wire.
        if (size_t(n) == taken) {
            m_lineFree = lastAt;
        } else {
            m_lineFree = now;
            next = now;
        }
        m_out.erase(m_out.begin(), m_out.begin() + n);
        m_lastActivity = now;
    } else if (!m_out.empty() && m_out.front().hangup &&
               std::max(m_out.front().notBefore, m_lineFree) <= now) {
        hangUp();
    }
    return next;
}

void PtyFront::hangUp() {
    log(QStringLiteral("# device closed"));
    ::close(m_slave);
    ::close(m_master);
    m_slave = m_master = -1;
    m_out.clear();
    m_hungUp = true;
}

void PtyFront::readInput(Clock::time_point now) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            return;
        m_bytesIn += n;
        m_lastActivity = now;
        for (ssize_t i = 0; i < n; ++i) {
            // Each byte is taken in no earlier than the wire could have carried it.
            m_inFree = std::max(now, m_inFree) + m_byteTime;
            m_in.emplace_back(buf[i], m_inFree);
        }
    }
}

void PtyFront::run() {
    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGHUP);
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    while (!g_stop) {
        Clock::time_point now = Clock::now();
        while (!m_in.empty() && m_in.front().second <= now) {
            const int dropped = m_requests.droppedLines();
            m_requests.feed(m_in.front().first);
            if (m_requests.droppedLines() != dropped)
                log(QStringLiteral("# over-long request dropped"));
            m_in.pop_front();
            while (m_requests.hasLine())
                handleLine(m_requests.takeLine(), now);
        }
        Clock::time_point next = flushOutput(now);
        if (m_hungUp)
            break;
        if (!m_in.empty())
            next = std::min(next, m_in.front().second);
        if (m_opt.exitAfterIdleMs > 0 && m_in.empty() && m_out.empty()) {
            const auto idleEnd = m_lastActivity + std::chrono::milliseconds(m_opt.exitAfterIdleMs);
            if (idleEnd <= now)
                break;
            next = std::min(next, idleEnd);
        }
        pollfd pfd{m_master, short(POLLIN | (m_outBlocked ? POLLOUT : 0)), 0};
        timespec ts{};
        const timespec* timeout = nullptr;
        if (next != Clock::time_point::max()) {
            ts = toTimespec(next - now);
            timeout = &ts;
        }
        const int rc = ::ppoll(&pfd, 1, timeout, &waitMask);
        if (rc > 0 && (pfd.revents & POLLIN))
            readInput(Clock::now());
        if (rc > 0 && (pfd.revents & POLLHUP) && !(pfd.revents & POLLIN))
            ::usleep(1000); // no reader on the other side; never spin
    }
    log(g_stop ? QStringLiteral("# stopped by signal") : QStringLiteral("# end"));
}

void PtyFront::report() {
    const qint64 total = m_bytesIn + m_bytesOut;
    QString line = QStringLiteral("controller-sim: %1 requests, %2 bytes received, %3 bytes sent")
                       .arg(m_requestNo)
                       .arg(m_bytesIn)
                       .arg(m_bytesOut);
    QJsonObject o{{QStringLiteral("requests"), m_requestNo},
                  {QStringLiteral("bytesReceived"), m_bytesIn},
                  {QStringLiteral("bytesSent"), m_bytesOut}};
    if (m_opt.baud > 0) {
        const double seconds = double(total) * 10.0 / m_opt.baud;
        line += QStringLiteral("; wire time bound %1 s at %2 bit/s")
                    .arg(seconds, 0, 'f', 3)
                    .arg(m_opt.baud);
        o.insert(QStringLiteral("baud"), m_opt.baud);
        o.insert(QStringLiteral("wireTimeSeconds"), seconds);
    }
    std::fprintf(stderr, "%s\n", qPrintable(line));
    log(QStringLiteral("# ") + line);
    if (!m_opt.reportPath.isEmpty()) {
        QSaveFile f(m_opt.reportPath);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(QJsonDocument(o).toJson());
            f.commit();
        }
    }
}

} // namespace Sim
