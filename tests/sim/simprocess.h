#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The built controller-sim, started for one test: link `sim_process` and pass the simulator's
// options. The device path is known once the constructor returns; the destructor stops it.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Empty when the simulator did not start.
    QString device() const { return m_device; }
    // SIGTERM, then waits; returns everything it wrote to stderr (its totals among them).
    QString stop();
    QProcess& process() { return m_proc; }

    // KORVEL_APP_DIR/controller-sim.
    static QString executable();

private:
    QProcess m_proc;
    QString m_device;
    QString m_stderr;
};
