#include "simprocess.h"

SimProcess::SimProcess(const QStringList& args) {
    m_proc.start(executable(), args);
    if (!m_proc.waitForStarted(5000))
        return;
    while (!m_proc.canReadLine() && m_proc.waitForReadyRead(5000)) {
    }
    m_device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
}

SimProcess::~SimProcess() {
    stop();
}

QString SimProcess::stop() {
    if (m_proc.state() != QProcess::NotRunning) {
        m_proc.terminate();
        if (!m_proc.waitForFinished(5000)) {
            m_proc.kill();
            m_proc.waitForFinished(5000);
        }
    }
    m_stderr += QString::fromLocal8Bit(m_proc.readAllStandardError());
    return m_stderr;
}

QString SimProcess::executable() {
    return qEnvironmentVariable("KORVEL_APP_DIR") + QStringLiteral("/controller-sim");
}
