#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTest>

// controller-sim of the build, started for one test and stopped with SIGTERM when it goes.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args) {
        m_proc.start(qEnvironmentVariable("KORVEL_APP_DIR") + QStringLiteral("/controller-sim"),
                     args);
        if (m_proc.waitForStarted(5000) && m_proc.waitForReadyRead(5000))
            device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Ends the simulator; its totals are on stderr then.
    QString stop() {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.terminate();
            if (!m_proc.waitForFinished(5000))
                m_proc.kill();
            m_proc.waitForFinished(5000);
        }
        return QString::fromLocal8Bit(m_proc.readAllStandardError());
    }

    QString device;

private:
    QProcess m_proc;
};

// One run of baxwin-cli of the build.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliRun runCli(const QStringList& args, const QString& workDir = QString(),
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(qEnvironmentVariable("KORVEL_APP_DIR") + QStringLiteral("/baxwin-cli"), args);
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
