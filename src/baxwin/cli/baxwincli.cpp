#include "baxwin/cli/baxwincli.h"

#include "baxwin/mdlfile.h"
#include "baxwin/paramlink.h"
#include "baxwin/paramtransfer.h"
#include "baxwin/transferwaiter.h"
#include "baxwin/valuemarks.h"
#include "shared/apppaths.h"
#include "shared/inifile.h"
#include "shared/lingeringport.h"
#include "shared/messagebox.h"
#include "shared/numbers.h"
#include "shared/portmap.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace BaxwinCli {

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}
QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

// Messages go to the terminal: information on stdout, everything else on stderr. A command
// whose output is data (diff) keeps stdout for the data.
class CliPresenter : public MessagePresenter {
public:
    MsgResult present(const MessageRequest& request) override {
        QString text = request.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const bool information = request.icon == MsgIcon::Information;
        (information && !informationToStderr ? out() : err()) << text << Qt::endl;
        failed = failed || !information;
        return request.defaultButton;
    }
    bool failed = false;
    bool informationToStderr = false;
};

// The exit status of a diff that found differences (0: all equal, 1: failure).
constexpr int ExitDifferent = 3;

struct Options {
    QString command;
    QString file;
    QString output;
    QString port;
    QString settings = QStringLiteral("9600,N,8,1");
    QString lang;
    QString defs;
    bool flash = false;
    int timeoutMs = ParamLink::DefaultReplyMs;
    int flashTimeoutMs = ParamLink::DefaultFlashReplyMs;
};

const char* const kHelp =
    "Usage: baxwin-cli COMMAND [OPTIONS]\n"
    "\n"
    "Reads and writes the controller's parameters on the same transfer logic as Baxwin.\n"
    "\n"
    "Commands:\n"
    "  read --output FILE     Read every used parameter and write them as a parameter file\n"
    "                         (99 lines \"n,axis1,axis2,axis3\").\n"
    "  write FILE [--flash]   Write every used parameter from FILE; with --flash, then make\n"
    "                         the controller store them in its flash memory.\n"
    "  diff FILE              Read every used parameter and compare it with FILE: one line\n"
    "                         \"number,axis,file value,controller value\" per value that\n"
    "                         differs (axis is the file's column, 1 for a common parameter;\n"
    "                         values the controller does not report are left out).\n"
    "  help                   Show this text.\n"
    "\n"
    "Options (after the command, in any order):\n"
    "  --port P            A device path such as /dev/ttyUSB0, or COM1..COM8 through the\n"
    "                      port map (ports.cfg). Required.\n"
    "  --settings S        Line parameters, default 9600,N,8,1.\n"
    "  --lang L            Language of the messages and of the default definition file:\n"
    "                      1 selects language 1, anything else language 0.\n"
    "  --defs FILE         Parameter definition file (default par0.ini or par1.ini beside\n"
    "                      the program, by the language).\n"
    "  --timeout MS        Wait MS ms for each reply (default 3000).\n"
    "  --flash-timeout MS  Wait MS ms for the flash store's reply (default 10000).\n"
    "\n"
    "Exit status: 0 on success; 1 with the message text on an error reply, a missing reply,\n"
    "a bad file or wrong arguments; for diff 0 when every value is equal and 3 when some\n"
    "differ. Values are equal when their texts are, or when both are numbers of the same\n"
    "value (010 and 10).\n";

int usage(const QString& problem) {
    err() << "baxwin-cli: " << problem << Qt::endl
          << "usage: baxwin-cli read --output FILE [options]" << Qt::endl
          << "       baxwin-cli write FILE [--flash] [options]" << Qt::endl
          << "       baxwin-cli diff FILE [options]" << Qt::endl
          << "options: --port DEVICE|COMn  --settings 9600,N,8,1  --lang N  --defs FILE" << Qt::endl
          << "         --timeout MS  --flash-timeout MS" << Qt::endl;
    return 1;
}

bool parse(const QStringList& args, Options& o, QString& problem) {
    if (args.isEmpty()) {
        problem = QStringLiteral("no command");
        return false;
    }
    o.command = args[0];
    const bool takesFile =
        o.command == QLatin1String("write") || o.command == QLatin1String("diff");
    if (o.command != QLatin1String("read") && !takesFile) {
        problem = QStringLiteral("unknown command ") + o.command;
        return false;
    }
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& target) {
            if (i + 1 >= args.size()) {
                problem = a + QStringLiteral(" needs a value");
                return false;
            }
            target = args[++i];
            return true;
        };
        auto number = [&](int& target) {
            QString v;
            if (!value(v))
                return false;
            bool ok = false;
            target = v.toInt(&ok);
            if (!ok || target <= 0) {
                problem = a + QStringLiteral(" needs a positive number");
                return false;
            }
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--output"))
            ok = value(o.output);
        else if (a == QLatin1String("--port"))
            ok = value(o.port);
        else if (a == QLatin1String("--settings"))
            ok = value(o.settings);
        else if (a == QLatin1String("--lang"))
            ok = value(o.lang);
        else if (a == QLatin1String("--defs"))
            ok = value(o.defs);
        else if (a == QLatin1String("--timeout"))
            ok = number(o.timeoutMs);
        else if (a == QLatin1String("--flash-timeout"))
            ok = number(o.flashTimeoutMs);
        else if (a == QLatin1String("--flash") && o.command == QLatin1String("write"))
            o.flash = true;
        else if (!a.startsWith(QLatin1String("--")) && takesFile && o.file.isEmpty())
            o.file = a;
        else {
            problem = QStringLiteral("unexpected argument ") + a;
            return false;
        }
        if (!ok)
            return false;
    }
    if (o.command == QLatin1String("read") && o.output.isEmpty()) {
        problem = QStringLiteral("read needs --output FILE");
        return false;
    }
    if (takesFile && o.file.isEmpty()) {
        problem = o.command + QStringLiteral(" needs a parameter file");
        return false;
    }
    if (o.port.isEmpty()) {
        problem = QStringLiteral("--port is missing");
        return false;
    }
    static const QRegularExpression settingsForm(
        QStringLiteral("^(4800|9600|19200|38400),[NEOneo],[78],[12]$"));
    if (!settingsForm.match(o.settings).hasMatch()) {
        problem = QStringLiteral("--settings must look like 9600,N,8,1");
        return false;
    }
    return true;
}

} // namespace

int run(const QStringList& args) {
    if (!args.isEmpty() &&
        (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") ||
         args[0] == QLatin1String("help") || args.contains(QStringLiteral("--help")))) {
        QTextStream(stdout) << kHelp;
        return 0;
    }
    Options o;
    QString problem;
    if (!parse(args, o, problem))
        return usage(problem);

    const int langNo = Numbers::languageNumberFromArgument(o.lang);
    langFile().setINIFile(AppPaths::appFilePath(QStringLiteral("LANG%1.DAT").arg(langNo)));
    CliPresenter presenter;
    presenter.informationToStderr = o.command == QLatin1String("diff");
    setMessagePresenter(&presenter);

    ParDefs defs;
    const QString defsPath = o.defs.isEmpty() ? MdlFile::definitionFilePath(langNo) : o.defs;
    if (!MdlFile::loadParDefs(defsPath, defs))
        return 1;

    ParValueTable values;
    if (o.command != QLatin1String("read") && !MdlFile::readParFile(o.file, values, false))
        return 1;

    // A device path is reached through a port map of its own that names it COM1.
    QTemporaryFile portMap;
    int commPort = 1;
    static const QRegularExpression comForm(QStringLiteral("^[Cc][Oo][Mm]([1-8])$"));
    const QRegularExpressionMatch com = comForm.match(o.port);
    if (com.hasMatch()) {
        commPort = com.captured(1).toInt();
    } else {
        if (!portMap.open())
            return usage(QStringLiteral("cannot create a port map: ") + portMap.errorString());
        portMap.write(QByteArrayLiteral("COM1=") + o.port.toLocal8Bit() + '\n');
        portMap.close();
        qputenv(PortMap::OverrideVariable, portMap.fileName().toLocal8Bit());
    }

    QtSerialPort device;
    LingeringPort port(&device);
    port.setCommPort(commPort);
    port.setSettings(o.settings.toUpper());
    port.setReceiveNotifications(true);
    QTimer replyTimer;
    QtLinkTimer linkTimer(&replyTimer);
    ParamLink link(port, linkTimer);
    link.setIntervals(o.timeoutMs, o.flashTimeoutMs);
    QObject::connect(&replyTimer, &QTimer::timeout, [&link] { link.onReplyTimer(); });

    ParamTransfer transfer(link, defs);
    TransferWaiter driver;
    transfer.setView(&driver);
    transfer.setReceiver(&driver);

    // After a failed transfer: why the device failed, when it did (a silent controller leaves
    // no reason of the device's own).
    auto failed = [&device] {
        if (!device.lastError().isEmpty())
            std::fprintf(stderr, "baxwin-cli: %s\n", qPrintable(device.lastError()));
        return 1;
    };
    if (o.command == QLatin1String("read")) {
        transfer.prepare(0);
        transfer.cmdDo();
        if (driver.waitForOutcome(transfer) != TransferState::Outcome::ReadDone)
            return failed();
        return MdlFile::writeParFile(o.output, driver.values, false) ? 0 : 1;
    }
    if (o.command == QLatin1String("diff")) {
        transfer.prepare(0);
        transfer.cmdDo();
        if (driver.waitForOutcome(transfer) != TransferState::Outcome::ReadDone)
            return failed();
        ValueMarkState marks(defs);
        marks.setControllerValues(driver.values, ParamTransfer::unreadText());
        const QList<ParCell> differ = marks.differentCells(values);
        for (const ParCell& c : differ) {
            out() << c.parNo << ',' << c.axis << ',' << values.at(c.parNo, c.axis) << ','
                  << driver.values.at(c.parNo, c.axis) << '\n';
        }
        out().flush();
        return differ.isEmpty() ? 0 : ExitDifferent;
    }

    transfer.GetGridData(values);
    transfer.prepare(1);
    transfer.cmdDo();
    if (driver.waitForOutcome(transfer) != TransferState::Outcome::WriteDone)
        return failed();
    if (!o.flash)
        return 0;
    transfer.cmdROM();
    return driver.waitForOutcome(transfer) == TransferState::Outcome::FlashDone ? 0 : failed();
}

} // namespace BaxwinCli
