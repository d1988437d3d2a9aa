#pragma once

#include "testenv.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// controller-sim on a pseudo-terminal for one test, with its transcript in a scratch folder.
class SimController {
public:
    // stateJson: programs to hold from the start ({"axes":n,"channels":{...}}), or empty.
    explicit SimController(QStringList args, const QByteArray& stateJson = QByteArray()) {
        args << QStringLiteral("--log") << logPath();
        if (!stateJson.isEmpty()) {
            QFile f(m_dir.filePath(QStringLiteral("state.json")));
            if (f.open(QIODevice::WriteOnly))
                f.write(stateJson);
            args << QStringLiteral("--state") << f.fileName();
        }
        m_proc.start(builtAppDir() + QStringLiteral("/controller-sim"), args);
        if (!m_proc.waitForStarted(5000))
            return;
        while (!m_proc.canReadLine() && m_proc.waitForReadyRead(5000)) {
        }
        m_device = QString::fromLocal8Bit(m_proc.readLine()).trimmed();
    }
    ~SimController() { stop(); }
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    void stop() {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.terminate();
            m_proc.waitForFinished(5000);
        }
    }
    QString device() const { return m_device; }
    QString logPath() const { return m_dir.filePath(QStringLiteral("sim.log")); }
    QByteArray stderrText() { return m_proc.readAllStandardError(); }

    // The requests the controller received, in order, as its transcript shows them.
    QStringList requests() const {
        QStringList out;
        QFile f(logPath());
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& raw : f.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            // "yyyy-MM-dd HH:mm:ss.zzz " then the entry
            const QString entry = line.mid(24);
            if (entry.startsWith(QLatin1String("> ")))
                out << entry.mid(2);
            else if (entry == QLatin1String(">"))
                out << QString();
        }
        return out;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_proc;
    QString m_device;
};
