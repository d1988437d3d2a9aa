#include "korvel/shell/clsWindow.h"

#include "shared/apppaths.h"
#include "shared/numbers.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace {

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString clsWindow::findProgram(const QString& name) {
    if (name.isEmpty())
        return QString();
    QStringList candidates{name};
#ifndef Q_OS_WIN
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        const QString bare = name.left(name.size() - 4);
        candidates << bare << bare.toLower();
    }
#endif
    const bool hasDirectory = name.contains(QLatin1Char('/')) || name.contains(QDir::separator());
    for (const QString& candidate : candidates) {
        const QString path = hasDirectory ? candidate : AppPaths::appFilePath(candidate);
        if (isExecutableFile(path))
            return path;
    }
    if (hasDirectory)
        return QString();
    for (const QString& candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(candidate);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void clsWindow::AppWait(const QString& strApp) {
    QStringList parts = QProcess::splitCommand(strApp);
    if (parts.isEmpty())
        return;
    const QString program = findProgram(parts.takeFirst());
    if (program.isEmpty())
        return;

    QProcess process;
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            ended = true;
            loop.quit();
        }
    });
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, parts);
    if (!ended && process.state() != QProcess::NotRunning)
        loop.exec();
}

QString baxwinCommandLine(const QString& korvelArgument) {
    return QStringLiteral("Baxwin.exe ") + Numbers::plainForm(korvelArgument);
}
