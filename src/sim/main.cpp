// controller-sim: a motion controller of one to three axes on a pseudo-terminal, for the tests,
// the demonstrations and the benchmarks of Korvel and Baxwin.
#include "shared/apppaths.h"
#include "sim/controller.h"
#include "sim/paramdefs.h"
#include "sim/ptyfront.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>

namespace {

const char* const kDescription = R"(A simulated motion controller on a pseudo-terminal.

Prints the device path on the first line of stdout, then serves requests (each ended by CR LF)
until SIGTERM, SIGINT or SIGHUP, --exit-after-idle, or a hang-up fault; totals go to stderr.

Requests and replies (replies end with --line-end):
  ?:  REMOTE:  X:1  NG:  U07:       OK
  CHINF:nn (01..15)                 N (empty), or L, E or T and the number of program lines
  LOAD:nn (01..15)                  OK; then step texts, each answered OK; PGWRT: stores them
  LOAD:99                           OK (run control)
  Z:nn                              OK; !6 when channel nn holds no program
  UPLOAD:nn                         first program line; each empty request the next; then an
                                    empty line (at once for an empty channel)
  P:nnR                             parameter nn: per-axis "a" / "a,b" / "a,b,c,0" by the axis
                                    count (always so for P:01R), common "v", 53 "d,d,d,d"
  P:nnAvBvCv, P:nn,v, P:53,d,d,d,d  parameter write; OK
  F:                                OK after --flash-delay; the parameters are now kept
Upload lines are fixed-width: AGO:A+00001000, H:A, P:11A+00001000, P:90,+00000005,
P:53,1,0,2,1, D:A00000010,00600000,000100 (8, 8 and 6 digits), R:A-00000500, C:0120, S:A05,
U00:, U01:0007, U02:A,1,05, U03:0003,000000100 (4 and 9 digits), U04:, U99:, W:+00000010, #:text.

Error replies:
  !0 request not understood        !1 malformed step text or value out of range
  !2 parameter number, form or value refused (limits from the definition file)
  !3 bad channel number            !4 more steps than the controller holds (100 for one
                                      axis, 200 otherwise)
  !5 out of sequence (PGWRT: or a step without LOAD:, an empty request outside an upload)
  !6 start of an empty channel

Faults (--fault ACTION@SELECTOR, repeatable):
  ACTION   error[=C] ("!" and C, default !0) | reply=TEXT | noreply | split[=N[,MS]] (separate
           writes of N bytes, MS ms apart; 1,50) | garbage[=N] (N noise bytes, no line end; 8) |
           hangup (close the device like an unplugged adapter, then exit) | delay=MS |
           corrupt (a step text taken in and answered as usual but kept altered)
  SELECTOR request number (1 = first line received) | exact request text | TEXT* (prefix;
           "*" alone: every request) | nothing after @: the empty request
  error, reply, noreply, garbage and hangup stand for a request the controller never took in.)";

int fail(const QString& text) {
    std::fprintf(stderr, "controller-sim: %s\n", qPrintable(text));
    return 2;
}

bool readInt(const QCommandLineParser& p, const QCommandLineOption& o, int min, int max, int* out) {
    if (!p.isSet(o))
        return true;
    bool ok = false;
    const int v = p.value(o).toInt(&ok);
    if (!ok || v < min || v > max)
        return false;
    *out = v;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("controller-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    const QCommandLineOption axesOpt(QStringLiteral("axes"),
                                     QStringLiteral("Number of axes, 1, 2 or 3 (default 3)."),
                                     QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption defsOpt(
        QStringLiteral("defs"),
        QStringLiteral("Parameter definition file (default par0.ini beside the executable; "
                       "without it a built-in table is used)."),
        QStringLiteral("file"));
    const QCommandLineOption lineEndOpt(QStringLiteral("line-end"),
                                        QStringLiteral("Reply line end: cr, lf or crlf "
                                                       "(default crlf)."),
                                        QStringLiteral("end"), QStringLiteral("crlf"));
    const QCommandLineOption baudOpt(
        QStringLiteral("baud"),
        QStringLiteral("Pace every byte in both directions at N/10 bytes per second and "
                       "report the wire-time bound (bytes x 10 / N) at exit."),
        QStringLiteral("N"));
    const QCommandLineOption latencyOpt(QStringLiteral("latency"),
                                        QStringLiteral("Wait MS ms before each reply."),
                                        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption flashOpt(QStringLiteral("flash-delay"),
                                      QStringLiteral("Extra wait before the reply to F: "
                                                     "(default 0)."),
                                      QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption faultOpt(QStringLiteral("fault"),
                                      QStringLiteral("Inject a fault (see above); repeatable."),
                                      QStringLiteral("action@selector"));
    const QCommandLineOption logOpt(QStringLiteral("log"),
                                    QStringLiteral("Timestamped transcript of every request "
                                                   "and reply."),
                                    QStringLiteral("file"));
    const QCommandLineOption stateOpt(
        QStringLiteral("state"),
        QStringLiteral("Keep the programs and the flash-stored parameters in this JSON file "
                       "between runs (written at PGWRT: and F:)."),
        QStringLiteral("file"));
    const QCommandLineOption linkOpt(QStringLiteral("link"),
                                     QStringLiteral("Create a symbolic link to the device "
                                                    "(removed at exit)."),
                                     QStringLiteral("path"));
    const QCommandLineOption reportOpt(QStringLiteral("report"),
                                       QStringLiteral("Write the session totals as JSON at "
                                                      "exit."),
                                       QStringLiteral("file"));
    const QCommandLineOption idleOpt(QStringLiteral("exit-after-idle"),
                                     QStringLiteral("Exit after MS ms without traffic."),
                                     QStringLiteral("ms"));
    const QCommandLineOption ackOpt(QStringLiteral("ack-text"),
                                    QStringLiteral("Acknowledgement reply (default OK); F: "
                                                   "always answers OK."),
                                    QStringLiteral("text"), QStringLiteral("OK"));
    parser.addOptions({axesOpt, defsOpt, lineEndOpt, baudOpt, latencyOpt, flashOpt, faultOpt,
                       logOpt, stateOpt, linkOpt, reportOpt, idleOpt, ackOpt});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument ") + parser.positionalArguments().front());

    int axes = 3;
    if (!readInt(parser, axesOpt, 1, 3, &axes))
        return fail(QStringLiteral("--axes takes 1, 2 or 3"));
    Sim::FrontOptions opt;
    int flashDelay = 0;
    if (!Sim::parseLineEnd(parser.value(lineEndOpt), &opt.lineEnd))
        return fail(QStringLiteral("--line-end takes cr, lf or crlf"));
    if (!readInt(parser, baudOpt, 1, 10000000, &opt.baud))
        return fail(QStringLiteral("--baud takes a positive number"));
    if (!readInt(parser, latencyOpt, 0, 3600000, &opt.latencyMs) ||
        !readInt(parser, flashOpt, 0, 3600000, &flashDelay) ||
        !readInt(parser, idleOpt, 1, 86400000, &opt.exitAfterIdleMs))
        return fail(QStringLiteral("times are whole milliseconds"));
    for (const QString& option : parser.values(faultOpt)) {
        Sim::Fault f;
        QString why;
        if (!Sim::parseFault(option, &f, &why))
            return fail(why);
        opt.faults << f;
    }
    opt.linkPath = parser.value(linkOpt);
    opt.logPath = parser.value(logOpt);
    opt.statePath = parser.value(stateOpt);
    opt.reportPath = parser.value(reportOpt);

    Sim::ParamDefs defs;
    QString why;
    if (parser.isSet(defsOpt)) {
        if (!Sim::ParamDefs::load(parser.value(defsOpt), &defs, &why))
            return fail(why);
    } else {
        const QString path = AppPaths::appFilePath(QStringLiteral("par0.ini"));
        if (!QFile::exists(path)) {
            std::fprintf(stderr,
                         "controller-sim: %s not found; using the built-in parameter table\n",
                         qPrintable(path));
            defs = Sim::ParamDefs::builtIn();
        } else if (!Sim::ParamDefs::load(path, &defs, &why)) {
            return fail(why);
        }
    }

    Sim::Controller controller(axes, defs);
    controller.setFlashDelayMs(flashDelay);
    controller.setAckText(parser.value(ackOpt).toLatin1());
    if (!opt.statePath.isEmpty() && QFile::exists(opt.statePath)) {
        QFile f(opt.statePath);
        QJsonParseError err{};
        const QJsonDocument doc = f.open(QIODevice::ReadOnly)
                                      ? QJsonDocument::fromJson(f.readAll(), &err)
                                      : QJsonDocument();
        if (!doc.isObject()) {
            std::fprintf(stderr, "controller-sim: %s unreadable; starting empty\n",
                         qPrintable(opt.statePath));
        } else {
            QStringList warnings;
            controller.loadState(doc.object(), &warnings);
            for (const QString& w : warnings)
                std::fprintf(stderr, "controller-sim: %s\n", qPrintable(w));
        }
    }

    Sim::PtyFront front(controller, opt);
    if (!front.open(&why))
        return fail(why);
    std::fprintf(stdout, "%s\n", qPrintable(front.devicePath()));
    std::fflush(stdout);
    front.run();
    front.report();
    return 0;
}
