// Reads, writes and compares all used parameters of a three-axis controller-sim at 38400 bit/s
// and prints the time of each transfer divided by the time its bytes need on the wire. Each
// transfer is timed from its start button to its last reply; the wake-up that opening the
// dialog sends is not part of it.
#include "baxwin/mdlfile.h"
#include "baxwin/paramlink.h"
#include "baxwin/paramtransfer.h"
#include "baxwin/transferwaiter.h"
#include "baxwin/valuemarks.h"
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
// The compare's target is stated for this many used parameters.
constexpr int ComparedParameters = 49;

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
    const int used = static_cast<int>(defs.usedOfKind(0).size() + defs.usedOfKind(1).size());
    std::printf("par1.ini: %d used parameters (%lld per-axis, %lld common)\n", used,
                static_cast<long long>(defs.usedOfKind(0).size()),
                static_cast<long long>(defs.usedOfKind(1).size()));
    if (used != ComparedParameters) {
        std::fprintf(stderr, "the compare is measured with %d used parameters, not %d\n",
                     ComparedParameters, used);
        return 1;
    }
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

    // A compare is a read into a table of its own followed by the differences from the values
    // in hand; `compareWith` is what the editor holds.
    ParValueTable compareWith;
    int differences = -1;
    auto run = [&](int mode, TransferState::Outcome expected, double* ratio) {
        const bool compare = mode == 2;
        transfer.prepare(compare ? 0 : mode);
        bytes = 0;
        turnaroundNs = 0;
        turnarounds = 0;
        lineEnded = false;
        QElapsedTimer clock;
        clock.start();
        transfer.cmdDo();
        driver.waitForOutcome(transfer);
        if (compare && transfer.state().outcome == expected) {
            ValueMarkState marks(defs);
            marks.setControllerValues(driver.values, ParamTransfer::unreadText());
            differences = static_cast<int>(marks.differentCells(compareWith).size());
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (transfer.state().outcome != expected)
            return false;
        const double wire = bytes * 10.0 / Baud;
        *ratio = seconds / wire;
        const char* names[] = {"read", "write", "compare"};
        std::printf("%-7s %3d requests %5lld bytes  %.3f s  wire %.3f s  ratio %.3f  "
                    "turnaround %.0f us\n",
                    names[mode], defs.transferCount() + (mode == 1 ? 2 : 1),
                    static_cast<long long>(bytes), seconds, wire, *ratio,
                    turnarounds > 0 ? turnaroundNs / 1e3 / turnarounds : 0.0);
        return true;
    };

    QVector<double> readRatios, writeRatios, compareRatios;
    for (int i = 0; i < rounds; ++i) {
        double r = 0;
        if (!run(0, TransferState::Outcome::ReadDone, &r))
            return std::fprintf(stderr, "read failed\n"), 1;
        readRatios << r;
        transfer.GetGridData(driver.values);
        if (!run(1, TransferState::Outcome::WriteDone, &r))
            return std::fprintf(stderr, "write failed\n"), 1;
        writeRatios << r;
        // Against what was written, with three values changed since: three differences.
        compareWith = driver.values;
        compareWith.at(8, 1) = QStringLiteral("12345");
        compareWith.at(11, 3) = QStringLiteral("-7");
        compareWith.at(90, 1) = QStringLiteral("9");
        if (!run(2, TransferState::Outcome::ReadDone, &r))
            return std::fprintf(stderr, "compare failed\n"), 1;
        if (differences != 3)
            return std::fprintf(stderr, "compare found %d differences, not 3\n", differences), 1;
        compareRatios << r;
    }
    std::sort(readRatios.begin(), readRatios.end());
    std::sort(writeRatios.begin(), writeRatios.end());
    std::sort(compareRatios.begin(), compareRatios.end());
    std::printf("ratio best/median: read %.3f/%.3f, write %.3f/%.3f, compare %.3f/%.3f "
                "(target <= 1.10)\n",
                readRatios.front(), readRatios[readRatios.size() / 2], writeRatios.front(),
                writeRatios[writeRatios.size() / 2], compareRatios.front(),
                compareRatios[compareRatios.size() / 2]);

    sim.terminate();
    sim.waitForFinished(5000);
    std::printf("controller-sim: %s", sim.readAllStandardError().constData());
    return 0;
}
