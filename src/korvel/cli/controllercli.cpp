#include "korvel/cli/controllercli.h"

#include "korvel/cli/options.h"
#include "korvel/controller/protocol.h"
#include "korvel/controller/trafficlog.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/model/uploadbuffer.h"
#include "korvel/shell/messages.h"
#include "korvel/shell/typcfg.h"
#include "shared/apppaths.h"
#include "shared/comsettings.h"
#include "shared/inifile.h"
#include "shared/linesplitter.h"
#include "shared/lingeringport.h"
#include "shared/numbers.h"
#include "shared/portmap.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTimer>

#include <cstdio>
#include <memory>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace ControllerCli {

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitUploadEnded = 1;
constexpr int ExitDiffers = 3;

bool stderrIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

const QStringList kCommands{
    QStringLiteral("check-connection"), QStringLiteral("chinf"), QStringLiteral("download"),
    QStringLiteral("upload"),           QStringLiteral("start"), QStringLiteral("stop")};

void out(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void err(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

int usageError(const QString& why) {
    err(QStringLiteral("korvel-cli: %1\nTry 'korvel-cli --help'.\n").arg(why));
    return ExitUsage;
}

struct Options {
    QString command;
    QString port;
    QString lang;
    QString settings = QStringLiteral("9600,N,8,1");
    int type = 0;
    int channel = 0;
    QString log;
    QString output;
    QString file;
    int replyTimeout = SerialLink::ReplyIntervalMs;
    bool wake = false;
    bool verify = false;
};

QString parse(const QStringList& args, Options& o) {
    o.command = args.front();
    bool onlyFiles = false;
    static const QStringList valued{
        QStringLiteral("--port"),   QStringLiteral("--lang"),         QStringLiteral("--settings"),
        QStringLiteral("--type"),   QStringLiteral("--channel"),      QStringLiteral("--log"),
        QStringLiteral("--output"), QStringLiteral("--reply-timeout")};
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        if (!onlyFiles && a == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        if (!onlyFiles && a == QLatin1String("--wake")) {
            o.wake = true;
            continue;
        }
        if (!onlyFiles && a == QLatin1String("--verify")) {
            if (o.command != QLatin1String("download"))
                return QStringLiteral("--verify belongs to download");
            o.verify = true;
            continue;
        }
        if (!onlyFiles && a.startsWith(QLatin1String("--"))) {
            QString name;
            QString value;
            const QString bad = CliOptions::split(args, i, valued, name, value);
            if (!bad.isEmpty())
                return bad;
            if (!valued.contains(name))
                return QStringLiteral("unknown option '%1'").arg(a);
            bool ok = false;
            if (name == QLatin1String("--port")) {
                o.port = value;
            } else if (name == QLatin1String("--lang")) {
                o.lang = value;
            } else if (name == QLatin1String("--settings")) {
                static const QRegularExpression form(
                    QStringLiteral("^(4800|9600|19200|38400),[NEO],[78],[12]$"));
                if (!form.match(value).hasMatch())
                    return QStringLiteral("--settings takes speed,parity,data bits,stop bits "
                                          "such as 9600,N,8,1, not '%1'")
                        .arg(value);
                o.settings = value;
            } else if (name == QLatin1String("--type")) {
                o.type = value.toInt(&ok);
                if (!ok || o.type < 1 || o.type > 3)
                    return QStringLiteral("--type must be 1, 2 or 3, not '%1'").arg(value);
            } else if (name == QLatin1String("--channel")) {
                o.channel = value.toInt(&ok);
                if (!ok || o.channel < 1 || o.channel > 15)
                    return QStringLiteral("--channel must be 1 to 15, not '%1'").arg(value);
            } else if (name == QLatin1String("--log")) {
                o.log = value;
            } else if (name == QLatin1String("--output")) {
                o.output = value;
            } else if (name == QLatin1String("--reply-timeout")) {
                o.replyTimeout = value.toInt(&ok);
                if (!ok || o.replyTimeout < 1)
                    return QStringLiteral("--reply-timeout takes milliseconds, not '%1'")
                        .arg(value);
            }
            continue;
        }
        if (o.command != QLatin1String("download"))
            return QStringLiteral("unexpected argument '%1'").arg(a);
        if (!o.file.isEmpty())
            return QStringLiteral("more than one file given");
        o.file = a;
    }
    const bool needsChannel =
        o.command == QLatin1String("chinf") || o.command == QLatin1String("download") ||
        o.command == QLatin1String("upload") || o.command == QLatin1String("start");
    if (needsChannel && o.channel == 0)
        return QStringLiteral("--channel is required");
    if (o.command == QLatin1String("download") && o.file.isEmpty())
        return QStringLiteral("no file given");
    if (o.command == QLatin1String("upload") && o.output.isEmpty())
        return QStringLiteral("--output is required");
    return QString();
}

// The port number COMn, or a device path put behind COM1 of a private port map.
QString choosePort(const Options& o, int* portNo, std::unique_ptr<QTemporaryFile>* map) {
    static const QRegularExpression com(QStringLiteral("^[Cc][Oo][Mm]([1-8])$"));
    if (o.port.isEmpty()) {
        QFile cfg(AppPaths::configReadPath(QStringLiteral("com.cfg")));
        QString code = ComCode::DefaultCode;
        if (cfg.open(QIODevice::ReadOnly))
            code = QString::fromLatin1(cfg.readLine()).trimmed();
        *portNo = ComCode::settingsFromCode(code).port;
        if (*portNo == 0)
            return QStringLiteral("no port configured in com.cfg; give --port");
        return QString();
    }
    const QRegularExpressionMatch m = com.match(o.port);
    if (m.hasMatch()) {
        *portNo = m.captured(1).toInt();
        return QString();
    }
    *map = std::make_unique<QTemporaryFile>();
    if (!(*map)->open())
        return QStringLiteral("cannot write a temporary port map");
    (*map)->write("COM1=" + o.port.toLocal8Bit() + "\n");
    (*map)->flush();
    qputenv(PortMap::OverrideVariable, (*map)->fileName().toLocal8Bit());
    *portNo = 1;
    return QString();
}

// The dialogs and message boxes of Korvel as the terminal sees them; records the message codes
// and notices when the running step of a command is over.
class Terminal : public DownloadView,
                 public ExecuteView,
                 public UploadView,
                 public WaitView,
                 public ProtocolMessenger,
                 public LinkMessenger,
                 public ProgramWindowMaker {
public:
    QEventLoop* loop = nullptr;
    int channel = 1;
    int failure = 0; // the code of a message that ends the command unsuccessfully
    QString status;
    int steps = 0;
    bool progressLine = false;
    bool informed = false;
    bool differs = false; // a verification found a step that differs
    std::unique_ptr<ProgramDoc> uploaded;

    void done() {
        if (loop)
            loop->quit();
    }
    // DownloadView
    void dispChInf(const QString& sMsg) override { status = sMsg; }
    void comWait(bool bSw, int) override {
        if (!bSw)
            done();
    }
    void setProgressbar(int iNum) override {
        if (progressLine)
            err(QStringLiteral("\rstep %1/%2").arg(iNum).arg(steps));
    }
    // ExecuteView
    void comWait(bool bSw) override {
        if (!bSw)
            done();
    }
    int selectedChannel() const override { return channel; }
    // UploadView
    void DispStatus(const QString& sMsg) override { status = sMsg; }
    void SetEnabled(bool blnSw) override {
        if (!blnSw)
            done();
    }
    void Plus1Progress() override {
        ++steps;
        if (progressLine)
            err(QStringLiteral("\rline %1").arg(steps));
    }
    void unloadDialog() override { done(); }
    // WaitView
    void closeWait() override { done(); }
    // Messages
    void showMessage(int code) override {
        endProgressLine();
        if (code == Msg::DownloadDone) {
            informed = true;
            out(messageRequest(code).text + QLatin1Char('\n'));
            return;
        }
        failure = code;
        err(messageRequest(code).text + QLatin1Char('\n'));
    }
    void showInformation(const QString& key) override {
        endProgressLine();
        const QString text = langFile().GetINIStr(QStringLiteral("MsgBox"), key);
        if (key == QLatin1String("Mes001")) {
            err(text + QLatin1Char('\n'));
            // The refused line ends the upload; the answer to "NG:" is awaited apart, bounded.
            done();
            return;
        }
        informed = true;
        out(text + QLatin1Char('\n'));
    }
    void showVerification(const VerifyResult& result) override {
        endProgressLine();
        if (result.kind == VerifyResult::Kind::Verified) {
            out(QStringLiteral("verified\n") + verificationText(result) + QLatin1Char('\n'));
            return;
        }
        err(verificationText(result) + QLatin1Char('\n'));
        if (result.kind == VerifyResult::Kind::Differs)
            differs = true;
        else if (failure == 0)
            failure = ExitUploadEnded; // a read-back that broke off without a message
    }
    void showLinkMessage(int code) override { showMessage(code); }
    // ProgramWindowMaker
    ProgramDoc* makeNewForm(int iAxisNum) override {
        uploaded = std::make_unique<ProgramDoc>(RunConfig::maxSteps());
        uploaded->setAxis(iAxisNum);
        uploaded->setDocNo(1);
        return uploaded.get();
    }
    void discardForm(ProgramDoc*) override {}

    void endProgressLine() {
        if (progressLine && steps > 0)
            err(QStringLiteral("\n"));
        progressLine = false;
    }
};

class Session {
public:
    explicit Session(const Options& o)
        : m_chain(&m_port), m_reply(&m_replyTimer), m_crLf(&m_crLfTimer),
          m_link(&m_chain, &m_reply, &m_crLf), m_protocol(&m_link) {
        m_link.setIntervals(o.replyTimeout, SerialLink::CrLfIntervalMs, SerialLink::WakeWaitMs);
        m_link.setMessenger(&term);
        m_protocol.attach();
        m_protocol.setMessenger(&term);
        m_protocol.setDownloadView(&term);
        m_protocol.setExecuteView(&term);
        m_protocol.setUploadView(&term);
        m_protocol.setWaitView(&term);
        m_protocol.setUploadBuffer(&uploadBuffer());
        m_protocol.setWindowMaker(&term);
        m_chain.setSettings(o.settings);
        m_chain.setReceiveNotifications(true);
        m_chain.setReceiveHandler([this] { m_link.onReceive(); });
        QObject::connect(&m_replyTimer, &QTimer::timeout, [this] { m_link.onReplyTimer(); });
        QObject::connect(&m_crLfTimer, &QTimer::timeout, [this] { m_link.onCrLfTimer(); });
        if (!o.log.isEmpty())
            m_link.setDownloadLog(&m_log);
    }
    ~Session() {
        m_link.endExchange();
        m_chain.releaseDevice();
    }

    void setPort(int n) { m_chain.setCommPort(n); }
    SerialLink& link() { return m_link; }
    KorvelProtocol& protocol() { return m_protocol; }
    const QStringList& logLines() const { return m_log.lines(); }

    // The wake-up exchange of the dialogs when asked for; the log; the line-end detection
    // armed, since a new process has never seen the controller's line end.
    void open(bool bWake) {
        if (bWake)
            m_link.wakeController();
        m_link.setDownOpen(true);
        m_link.setRxState(LineSplitter::Armed);
    }
    // Lets the exchange run until a view reports the step over.
    void run(const std::function<void()>& start) {
        QEventLoop loop;
        term.loop = &loop;
        QTimer::singleShot(0, [&start] { start(); });
        loop.exec();
        term.loop = nullptr;
    }
    QString portError() const { return m_port.lastError(); }

    Terminal term;

private:
    QtSerialPort m_port;
    LingeringPort m_chain;
    QTimer m_replyTimer;
    QTimer m_crLfTimer;
    QtLinkTimer m_reply;
    QtLinkTimer m_crLf;
    SerialLink m_link;
    KorvelProtocol m_protocol;
    TrafficLogLines m_log;
};

bool writeLog(const Options& o, const Session& s) {
    if (o.log.isEmpty())
        return true;
    return writeTrafficLog(o.log, QString(), s.logLines(), nullptr);
}

int finish(const Options& o, const Session& s, int status) {
    if (!writeLog(o, s)) {
        err(QStringLiteral("korvel-cli: cannot write the log %1\n").arg(o.log));
        if (status == 0)
            status = ExitUsage;
    }
    return status;
}

int failureCode(Session& s) {
    if (s.term.failure == Msg::NoReply && !s.portError().isEmpty())
        err(QStringLiteral("korvel-cli: %1\n").arg(s.portError()));
    return s.term.failure;
}

bool queryChannel(Session& s, int channel) {
    s.run([&] { s.protocol().sendChInfDown(channel); });
    return s.term.failure == 0;
}

} // namespace

bool isCommand(const QString& name) {
    return kCommands.contains(name);
}

const char* helpText() {
    return "\n"
           "Controller commands (talk to the controller on a serial port):\n"
           "  check-connection             Ask the controller whether it answers (\"?:\" then\n"
           "                               \"CHINF:01\").\n"
           "  chinf --channel C            Print the state of program channel C (1..15).\n"
           "  download --channel C [--type N] FILE\n"
           "                               Read FILE as 'check' does and transmit it into\n"
           "                               channel C; a progress line on a terminal. With\n"
           "                               --verify the channel is read back afterwards and\n"
           "                               compared step by step with what was sent.\n"
           "  upload --channel C [--type N] --output FILE\n"
           "                               Read channel C back and write it as a program file.\n"
           "  start --channel C            Start the program of channel C (\"LOAD:99\", \"Z:\").\n"
           "  stop                         Stop the running program (\"LOAD:99\", \"U07:\").\n"
           "Each sends its request chain alone; with --wake the wake-up \"?:\" that Korvel sends\n"
           "before showing a transfer dialog goes first, its answer ignored.\n"
           "\n"
           "Options of the controller commands (after the command, in any order):\n"
           "  --port P           A device path such as /dev/ttyUSB0, or COM1..COM8 through the\n"
           "                     port map (ports.cfg); default: the port of com.cfg.\n"
           "  --settings S       Line parameters, default 9600,N,8,1.\n"
           "  --lang L           Language of the messages, as for 'check'.\n"
           "  --type N           Controller type 1, 2 or 3. Default: for download the\n"
           "                     file's axis count, otherwise the type Korvel last\n"
           "                     used (typ.cfg).\n"
           "  --log FILE         Write the traffic log as the download dialog shows it.\n"
           "  --reply-timeout MS Wait MS ms for each reply (default 3000).\n"
           "  --wake             Send the wake-up \"?:\" first (not with check-connection).\n"
           "\n"
           "Exit status of the controller commands:\n"
           "   0  done (the completion message was printed; with --verify: verified)\n"
           "   3  download --verify: a step read back differs (it is printed, both texts)\n"
           "   4  no reply from the controller\n"
           "   7..16  the controller answered with an error (\"!0\" .. \"!8\", other)\n"
           "  18, 20  FILE is not a valid program (as for 'check')\n"
           "   1  an upload ended by an unexpected line or a line that could not be read\n"
           "   2  wrong arguments, or a file that cannot be read or written\n";
}

// Without --type a download takes the axis count of its file, and the other commands the
// controller type Korvel remembers in typ.cfg.
int defaultType(const Options& o) {
    if (o.command == QLatin1String("download")) {
        QFile f(o.file);
        if (f.open(QIODevice::ReadOnly)) {
            const ProgramHeader h = parseProgramHeader(programFileLines(f.read(4096)).value(0));
            if (h.valid)
                return h.axes;
        }
    }
    return readControllerType();
}

int run(const QStringList& args) {
    Options o;
    const QString bad = parse(args, o);
    if (!bad.isEmpty())
        return usageError(bad);

    const int languageNo = Numbers::languageNumberFromArgument(o.lang);
    RunConfig::setCommandLineArgument(o.lang);
    RunConfig::setLanguageNo(languageNo);
    langFile().setINIFile(AppPaths::appFilePath(QStringLiteral("LANG%1.DAT").arg(languageNo)));
    RunConfig::setControllerType(o.type == 0 ? defaultType(o) : o.type);
    buildCommandTable();
    buildParameterLimits();

    // The program is read before anything goes on the line.
    std::unique_ptr<ProgramDoc> doc;
    if (o.command == QLatin1String("download")) {
        const QFileInfo info(o.file);
        if (!info.exists() || info.isDir())
            return usageError(QStringLiteral("%1: no such file").arg(o.file));
        const ProgramLoad r = loadProgramFile(
            o.file, RunConfig::controllerType(), RunConfig::maxSteps(), [&](int axes) {
                doc = std::make_unique<ProgramDoc>(RunConfig::maxSteps());
                doc->setAxis(axes);
                return doc.get();
            });
        if (r.status == ProgramLoad::Unreadable)
            return usageError(QStringLiteral("cannot read %1").arg(r.detail));
        if (r.status != ProgramLoad::Ok) {
            err(messageRequest(r.messageCode()).text + QLatin1Char('\n'));
            err(QStringLiteral("%1: %2\n").arg(o.file, r.where()));
            return r.messageCode();
        }
        doc->setStep(r.steps);
        if (r.steps < 1)
            return usageError(QStringLiteral("%1 holds no step to download").arg(o.file));
    }

    std::unique_ptr<QTemporaryFile> map;
    int portNo = 0;
    const QString portProblem = choosePort(o, &portNo, &map);
    if (!portProblem.isEmpty())
        return usageError(portProblem);

    Session s(o);
    s.setPort(portNo);
    s.term.channel = o.channel == 0 ? 1 : o.channel;
    KorvelProtocol& p = s.protocol();

    if (o.command == QLatin1String("check-connection")) {
        s.open(false);
        s.run([&] { p.startConnectionCheck(); });
        return finish(o, s, s.term.informed ? 0 : failureCode(s));
    }

    s.open(o.wake);
    const int channel = s.term.channel;
    const bool upload = o.command == QLatin1String("upload");
    s.link().setUpOpen(upload);
    if (o.command == QLatin1String("chinf")) {
        if (!queryChannel(s, channel))
            return finish(o, s, failureCode(s));
        out(channelStatusText(s.term.status) + QLatin1Char('\n'));
        return finish(o, s, 0);
    }
    if (o.command == QLatin1String("start") || o.command == QLatin1String("stop")) {
        s.run([&] {
            if (o.command == QLatin1String("start"))
                p.startExecute();
            else
                p.stopExecute();
        });
        if (s.term.failure == 0) {
            // The reply to "Z:" or "U07:" is not awaited, but an error that comes with it at
            // once is still reported.
            QEventLoop wait;
            QTimer::singleShot(100, Qt::PreciseTimer, &wait, &QEventLoop::quit);
            wait.exec();
        }
        return finish(o, s, failureCode(s));
    }
    if (o.command == QLatin1String("download")) {
        p.setProgram(doc.get());
        s.term.steps = doc->getStep();
        s.term.progressLine = stderrIsTerminal();
        p.setVerifyAfterDownload(o.verify);
        s.run([&] { p.startDownload(channel); });
        s.term.endProgressLine();
        if (o.verify && s.term.informed && s.term.failure == 0)
            return finish(o, s, s.term.differs ? ExitDiffers : 0);
        return finish(o, s, s.term.informed && s.term.failure == 0 ? 0 : failureCode(s));
    }

    // upload
    s.term.steps = 0;
    s.term.progressLine = stderrIsTerminal();
    s.run([&] { p.startUpload(channel); });
    if (p.lastUploadEnd() == UploadEnd::Refused && p.waitNg()) {
        // The answer to "NG:" has no timer of its own; do not wait for it forever.
        QTimer guard;
        guard.setSingleShot(true);
        guard.setTimerType(Qt::PreciseTimer);
        QObject::connect(&guard, &QTimer::timeout, [&s] { s.term.done(); });
        s.run([&] { guard.start(o.replyTimeout); });
    }
    s.term.endProgressLine();
    s.link().setUpOpen(false);
    switch (p.lastUploadEnd()) {
    case UploadEnd::Completed:
        break;
    case UploadEnd::TimedOut:
        return finish(o, s, failureCode(s));
    default:
        if (s.term.failure != 0 && s.term.failure != Msg::NoReply)
            return finish(o, s, failureCode(s));
        err(QStringLiteral("korvel-cli: the upload ended before the end of the program\n"));
        return finish(o, s, ExitUploadEnded);
    }
    if (!s.term.uploaded)
        return finish(o, s, ExitUploadEnded);
    QString why;
    if (!writeProgramFile(*s.term.uploaded, o.output, &why)) {
        err(QStringLiteral("korvel-cli: cannot write %1: %2\n").arg(o.output, why));
        return finish(o, s, ExitUsage);
    }
    return finish(o, s, 0);
}

} // namespace ControllerCli
