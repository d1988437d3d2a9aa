#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal whose device end the programs open as a serial port; the test plays the
// controller on the other end. The test keeps the device end open itself, as the simulator
// does, so that the programs can close and reopen it between exchanges.
class PtyPair {
public:
    PtyPair() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        const char* name = ptsname(m_master);
        if (!name)
            return;
        m_path = QString::fromLocal8Bit(name);
        m_keeper = ::open(name, O_RDWR | O_NOCTTY);
        if (m_keeper >= 0) {
            termios t{};
            tcgetattr(m_keeper, &t);
            cfmakeraw(&t);
            tcsetattr(m_keeper, TCSANOW, &t);
        }
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        if (m_keeper >= 0)
            ::close(m_keeper);
        if (m_master >= 0)
            ::close(m_master);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0 && m_keeper >= 0; }
    // The controller's side goes away, as an unplugged adapter does.
    void closeMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    QString path() const { return m_path; }

    // The controller answers.
    void send(const QByteArray& bytes) const {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;
            if (n > 0)
                done += n;
        }
    }
    // Everything the program has sent so far.
    QByteArray take() {
        char buf[512];
        for (;;) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            m_received.append(buf, static_cast<qsizetype>(n));
        }
        QByteArray out = m_received;
        m_received.clear();
        return out;
    }
    // Lets events run until the program has sent a text ending with `end`, or time is up.
    QByteArray waitForRequest(const QByteArray& end = QByteArrayLiteral("\r\n"),
                              int timeoutMs = 3000) {
        QElapsedTimer clock;
        clock.start();
        QByteArray got;
        while (clock.elapsed() < timeoutMs) {
            got += take();
            if (got.endsWith(end))
                break;
            QTest::qWait(2);
        }
        return got;
    }

private:
    int m_master = -1;
    int m_keeper = -1;
    QString m_path;
    QByteArray m_received;
};
