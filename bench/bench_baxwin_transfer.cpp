// Reads and writes all used parameters of a three-axis controller-sim at 38400 bit/s and
// prints the time of each transfer divided by the time its bytes need on the wire.
#include "baxwin/mdlfile.h"
#include "baxwin/paramlink.h"
#include "baxwin/paramtransfer.h"
#include "baxwin/transferwaiter.h"
#include "shared/apppaths.h"
#include "shared/lingeringport.h"
#include "shared/portmap.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Baud = 38400;

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    AppPaths::setApplicationDirOverride(QStringLiteral(KORVEL_BENCH_APP_DIR));
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString appDir = AppPaths::applicationDir();

    QProcess sim;
    sim.start(appDir + QStringLiteral("/controller-sim"),
              {QStringLiteral("--axes"), QStringLiteral("3"), QStringLiteral("--baud"),
               QString::number(Baud)});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "controller-sim did not start\n");
        return 1;
    }
    const QString simDevice = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QTemporaryFile map;
    if (!map.open())
        return 1;
    map.write("COM1=" + simDevice.toLocal8Bit() + "\n");
    map.close();
    qputenv(PortMap::OverrideVariable, map.fileName().toLocal8Bit());

    ParDefs defs;
    if (!MdlFile::loadParDefs(AppPaths::appFilePath(QStringLiteral("par1.ini")), defs))
        return 1;
    QtSerialPort device;
    LingeringPort port(&device);
    port.setCommPort(1);
    port.setSettings(QStringLiteral("38400,N,8,1"));
    port.setReceiveNotifications(true);
    QTimer replyTimer;
    QtLinkTimer timer(&replyTimer);
    ParamLink link(port, timer);
    QObject::connect(&replyTimer, &QTimer::timeout, [&link] { link.onReplyTimer(); });
    // Bytes on the wire, and the program's own share of each exchange: from the arrival of a
    // reply's line end to the next request.
    qint64 bytes = 0;
    qint64 turnaroundNs = 0;
    int turnarounds = 0;
    QElapsedTimer since;
    bool lineEnded = false;
    link.setTrafficObserver([&](bool received, const QString& text) {
        bytes += text.size();
        if (received && text.contains(QLatin1Char('\r'))) {
            since.start();
            lineEnded = true;
        } else if (!received && lineEnded) {
            turnaroundNs += since.nsecsElapsed();
            ++turnarounds;
            lineEnded = false;
        }
    });
    ParamTransfer transfer(link, defs);
    TransferWaiter driver;
    transfer.setView(&driver);
    transfer.setReceiver(&driver);

    auto run = [&](int mode, TransferState::Outcome expected, double* ratio) {
        transfer.prepare(mode);
        bytes = 0;
        turnaroundNs = 0;
        turnarounds = 0;
        lineEnded = false;
        QElapsedTimer clock;
        clock.start();
        transfer.cmdDo();
        driver.waitForOutcome(transfer);
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (transfer.state().outcome != expected)
            return false;
        const double wire = bytes * 10.0 / Baud;
        *ratio = seconds / wire;
        std::printf("%-5s %3d requests %5lld bytes  %.3f s  wire %.3f s  ratio %.3f  "
                    "turnaround %.0f us\n",
                    mode == 0 ? "read" : "write", defs.transferCount() + (mode == 0 ? 1 : 2),
                    static_cast<long long>(bytes), seconds, wire, *ratio,
                    turnarounds > 0 ? turnaroundNs / 1e3 / turnarounds : 0.0);
        return true;
    };

    QVector<double> readRatios, writeRatios;
    for (int i = 0; i < rounds; ++i) {
        double r = 0;
        if (!run(0, TransferState::Outcome::ReadDone, &r))
            return std::fprintf(stderr, "read failed\n"), 1;
        readRatios << r;
        transfer.GetGridData(driver.values);
        if (!run(1, TransferState::Outcome::WriteDone, &r))
            return std::fprintf(stderr, "write failed\n"), 1;
        writeRatios << r;
    }
    std::sort(readRatios.begin(), readRatios.end());
    std::sort(writeRatios.begin(), writeRatios.end());
    std::printf("ratio best/median: read %.3f/%.3f, write %.3f/%.3f (target <= 1.10)\n",
                readRatios.front(), readRatios[readRatios.size() / 2], writeRatios.front(),
                writeRatios[writeRatios.size() / 2]);

    sim.terminate();
    sim.waitForFinished(5000);
    std::printf("controller-sim: %s", sim.readAllStandardError().constData());
    return 0;
}
