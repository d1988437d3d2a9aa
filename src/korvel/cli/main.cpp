#include "korvel/cli/controllercli.h"
#include "korvel/cli/options.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/messages.h"
#include "shared/apppaths.h"
#include "shared/inifile.h"
#include "shared/numbers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

constexpr int ExitUsage = 2;

const char* const kHelp =
    "Usage: korvel-cli COMMAND [OPTIONS] FILE\n"
    "\n"
    "Checks motion program files and shows what a download sends, reading the file exactly\n"
    "as Korvel's File Open does.\n"
    "\n"
    "Commands:\n"
    "  check   Read FILE as a program of the given controller type and print the number\n"
    "          of steps read.\n"
    "  steps   Read FILE the same way and print the text sent to the controller for every\n"
    "          step, one line per step.\n"
    "  help    Show this text.\n"
    "\n"
    "Options (after the command, in any order):\n"
    "  --type N   Controller type 1, 2 or 3 (number of axes; 100 steps for type 1, 200\n"
    "             otherwise). Required.\n"
    "  --lang L   Language of the messages, read like Korvel's argument: 1 selects\n"
    "             language 1, anything else language 0 (the default).\n"
    "  --help     Show this text.\n"
    "\n"
    "Exit status:\n"
    "   0  the file was read\n"
    "  18  a step line is not valid (message 18; the line and piece are printed)\n"
    "  20  the header is not valid or its axis count differs from the controller type\n"
    "      (message 20)\n"
    "   2  wrong arguments, or the file is missing or cannot be read\n";

void out(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void err(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

int usageError(const QString& why) {
    err(QStringLiteral("korvel-cli: %1\nTry 'korvel-cli --help'.\n").arg(why));
    return ExitUsage;
}

struct Options {
    QString command;
    int type = 0;
    QString lang;
    QString file;
    bool help = false;
};

// Parses "COMMAND [--type N] [--lang L] FILE" with the options in any order; an empty result
// means the arguments are fine, otherwise it says what is wrong.
QString parseArguments(const QStringList& args, Options& o) {
    if (args.isEmpty())
        return QStringLiteral("no command given");
    o.command = args.front();
    if (o.command == QLatin1String("--help") || o.command == QLatin1String("-h") ||
        o.command == QLatin1String("help")) {
        o.help = true;
        return QString();
    }
    if (o.command != QLatin1String("check") && o.command != QLatin1String("steps"))
        return QStringLiteral("unknown command '%1'").arg(o.command);
    bool typeGiven = false;
    bool onlyFiles = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString a = args[i];
        if (!onlyFiles && a == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        if (!onlyFiles && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            o.help = true;
            continue;
        }
        if (!onlyFiles && a.startsWith(QLatin1String("--"))) {
            static const QStringList valued{QStringLiteral("--type"), QStringLiteral("--lang")};
            QString name;
            QString value;
            const QString bad = CliOptions::split(args, i, valued, name, value);
            if (!bad.isEmpty())
                return bad;
            if (name == QLatin1String("--type")) {
                bool ok = false;
                const int t = value.toInt(&ok);
                if (!ok || t < 1 || t > 3)
                    return QStringLiteral("--type must be 1, 2 or 3, not '%1'").arg(value);
                o.type = t;
                typeGiven = true;
            } else if (name == QLatin1String("--lang")) {
                o.lang = value;
            } else {
                return QStringLiteral("unknown option '%1'").arg(a);
            }
            continue;
        }
        if (!o.file.isEmpty())
            return QStringLiteral("more than one file given");
        o.file = a;
    }
    if (o.help)
        return QString();
    if (!typeGiven)
        return QStringLiteral("--type is required");
    if (o.file.isEmpty())
        return QStringLiteral("no file given");
    return QString();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && ControllerCli::isCommand(args.front()))
        return ControllerCli::run(args);
    Options o;
    const QString bad = parseArguments(app.arguments().mid(1), o);
    if (!bad.isEmpty())
        return usageError(bad);
    if (o.help) {
        out(QString::fromLatin1(kHelp) + QString::fromLatin1(ControllerCli::helpText()));
        return 0;
    }

    const int languageNo = Numbers::languageNumberFromArgument(o.lang);
    RunConfig::setCommandLineArgument(o.lang);
    RunConfig::setLanguageNo(languageNo);
    langFile().setINIFile(AppPaths::appFilePath(QStringLiteral("LANG%1.DAT").arg(languageNo)));
    RunConfig::setControllerType(o.type);
    buildCommandTable();
    buildParameterLimits();

    const QFileInfo info(o.file);
    if (!info.exists()) {
        err(QStringLiteral("korvel-cli: %1: no such file\n").arg(o.file));
        return ExitUsage;
    }
    if (info.isDir()) {
        err(QStringLiteral("korvel-cli: %1: is a folder, not a file\n").arg(o.file));
        return ExitUsage;
    }

    std::unique_ptr<ProgramDoc> doc;
    const ProgramLoad r =
        loadProgramFile(o.file, RunConfig::controllerType(), RunConfig::maxSteps(), [&](int axes) {
            doc = std::make_unique<ProgramDoc>(RunConfig::maxSteps());
            doc->setAxis(axes);
            return doc.get();
        });
    switch (r.status) {
    case ProgramLoad::Ok:
        break;
    case ProgramLoad::Unreadable:
        err(QStringLiteral("korvel-cli: cannot read %1\n").arg(r.detail));
        return ExitUsage;
    case ProgramLoad::HeaderInvalid:
    case ProgramLoad::AxisMismatch:
    case ProgramLoad::StepInvalid:
        err(messageRequest(r.messageCode()).text + QLatin1Char('\n'));
        err(QStringLiteral("%1: %2\n").arg(o.file, r.where()));
        return r.messageCode();
    }

    doc->setStep(r.steps);
    if (o.command == QLatin1String("check")) {
        out(QStringLiteral("%1\n").arg(r.steps));
        return 0;
    }
    for (int s = 1; s <= r.steps; ++s)
        out(doc->getSendStep(s) + QLatin1Char('\n'));
    return 0;
}
