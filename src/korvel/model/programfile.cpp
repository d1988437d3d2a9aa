#include "korvel/model/programfile.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/numbers.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

bool isBlankLine(const QString& line) {
    for (QChar c : line) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}

// The first field of a line as a list-input read gives it: leading blanks skipped, up to the
// first "," or the line end, a quoted field taken without its quotes.
QString firstField(const QString& line) {
    qsizetype i = 0;
    while (i < line.size() && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')))
        ++i;
    if (i < line.size() && line[i] == QLatin1Char('"')) {
        const qsizetype end = line.indexOf(QLatin1Char('"'), i + 1);
        return end < 0 ? line.mid(i + 1) : line.mid(i + 1, end - i - 1);
    }
    const qsizetype comma = line.indexOf(QLatin1Char(','), i);
    QString field = comma < 0 ? line.mid(i) : line.mid(i, comma - i);
    while (!field.isEmpty() &&
           (field.back() == QLatin1Char(' ') || field.back() == QLatin1Char('\t')))
        field.chop(1);
    return field;
}

QString quoted(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// The command of a piece: the highest-numbered command whose code occurs in it.
int commandOfPiece(const QString& piece) {
    for (int cmd = Cmd::Last; cmd >= Cmd::First; --cmd) {
        if (piece.contains(cmdCode(cmd), Qt::CaseInsensitive))
            return cmd;
    }
    return 0;
}

// Checks the values of a piece as read; an empty result means they pass.
QString checkPieceValues(int cmd, const QStringList& vals) {
    const int n = cmdValueCount(cmd);
    if (n == 0)
        return QString();
    if (vals.size() < n)
        return QStringLiteral("%1 takes %2 value(s), the piece has %3")
            .arg(cmdCode(cmd))
            .arg(n)
            .arg(vals.size());
    const QStringList tokens = cmdRangeTokens(cmd);
    if (tokens.value(0).trimmed().startsWith(QLatin1Char('L'))) {
        if (!checkTextValue(vals[0], tokens.value(0), tokens.value(1)))
            return QStringLiteral("comment longer than %1 characters or with a character beyond "
                                  "code 255")
                .arg(tokens.value(1).mid(1));
        return QString();
    }
    for (int i = 1; i <= n; ++i) {
        const QString minToken = tokens.value(2 * i - 2);
        const QString maxToken = tokens.value(2 * i - 1);
        if (vals[i - 1].trimmed().isEmpty())
            return QStringLiteral("value %1 is missing").arg(i);
        if (!checkValue(vals[i - 1], minToken, maxToken, QLatin1Char('F'), true).accepted)
            return QStringLiteral("value %1 %2 is not within %3 to %4")
                .arg(i)
                .arg(quoted(vals[i - 1]), minToken, maxToken);
    }
    if (cmd == Cmd::Parameter && !checkParameterValue(vals[0], vals[1]))
        return QStringLiteral("value %1 is not allowed for parameter %2")
            .arg(quoted(vals[1]), vals[0].trimmed());
    if (cmd == Cmd::Speed && !checkSpeedOrder(vals[0], vals[1]))
        return QStringLiteral("start speed %1 is above top speed %2")
            .arg(vals[0].trimmed(), vals[1].trimmed());
    return QString();
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

ProgramHeader parseProgramHeader(const QString& firstLine) {
    ProgramHeader h;
    const QString field = firstField(firstLine);
    const qsizetype axis = field.indexOf(QLatin1String("axis"), 0, Qt::CaseInsensitive);
    if (axis < 0) {
        h.detail = QStringLiteral("header %1 has no \"AXIS\"").arg(quoted(field));
        return h;
    }
    const QString rest = field.mid(axis + 4);
    const qsizetype eq = rest.indexOf(QLatin1Char('='));
    if (eq < 0) {
        h.detail = QStringLiteral("header %1 has no \"=\" after \"AXIS\"").arg(quoted(field));
        return h;
    }
    const QString number = rest.mid(eq + 1);
    const double v = Numbers::numericValue(number);
    if (v != 1.0 && v != 2.0 && v != 3.0) {
        h.detail = QStringLiteral("axis count %1 is not 1, 2 or 3").arg(quoted(number.trimmed()));
        return h;
    }
    h.valid = true;
    h.axes = static_cast<int>(v);
    return h;
}

QStringList programFileLines(const QByteArray& bytes) {
    const QString text = QString::fromLatin1(bytes);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

int ProgramLoad::messageCode() const {
    switch (status) {
    case Ok:
        return 0;
    case StepInvalid:
        return Msg::FileStepInvalid;
    case Unreadable:
    case HeaderInvalid:
    case AxisMismatch:
        break;
    }
    return Msg::FileHeaderInvalid;
}

QString ProgramLoad::where() const {
    QString s = QStringLiteral("line %1").arg(line);
    if (piece > 0)
        s += QStringLiteral(", piece %1").arg(piece);
    return s + QStringLiteral(": ") + detail;
}

ProgramLoad loadProgramText(const QByteArray& bytes, int controllerType, int maxSteps,
                            const std::function<ProgramDoc*(int axes)>& makeDoc) {
    ProgramLoad r;
    const QStringList lines = programFileLines(bytes);
    r.line = 1;
    if (lines.isEmpty()) {
        r.status = ProgramLoad::HeaderInvalid;
        r.detail = QStringLiteral("the file is empty");
        return r;
    }
    const ProgramHeader header = parseProgramHeader(lines.front());
    if (!header.valid) {
        r.status = ProgramLoad::HeaderInvalid;
        r.detail = header.detail;
        return r;
    }
    r.axes = header.axes;
    if (header.axes != controllerType) {
        r.status = ProgramLoad::AxisMismatch;
        r.detail = QStringLiteral("the file has %1 axes, the controller type is %2")
                       .arg(header.axes)
                       .arg(controllerType);
        return r;
    }
    ProgramDoc* doc = makeDoc(header.axes);
    Q_ASSERT(doc);
    doc->setGridTact(false);
    int s = 0;
    for (qsizetype ln = 1; ln < lines.size(); ++ln) {
        const QString& line = lines[ln];
        if (isBlankLine(line))
            continue;
        if (s + 1 > maxSteps)
            break;
        ++s;
        r.line = static_cast<int>(ln + 1);
        r.piece = 0;
        const QStringList pieces = line.split(QLatin1Char(','));
        if (pieces.size() != header.axes) {
            r.status = ProgramLoad::StepInvalid;
            r.detail =
                QStringLiteral("%1 piece(s) for %2 axes").arg(pieces.size()).arg(header.axes);
            break;
        }
        for (int axis = 1; axis <= header.axes; ++axis) {
            const QString& piece = pieces[axis - 1];
            r.piece = axis;
            const int cmd = commandOfPiece(piece);
            if (cmd == 0) {
                r.status = ProgramLoad::StepInvalid;
                r.detail = QStringLiteral("%1 holds no known command code").arg(quoted(piece));
                break;
            }
            QStringList vals;
            if (cmd == Cmd::Comment) {
                const qsizetype at = piece.indexOf(cmdCode(cmd));
                vals.append(piece.mid(at + cmdCode(cmd).size()));
            } else {
                vals = piece.split(QLatin1Char(':')).mid(1);
            }
            const QString why = checkPieceValues(cmd, vals);
            if (!why.isEmpty()) {
                r.status = ProgramLoad::StepInvalid;
                r.detail = quoted(piece) + QStringLiteral(": ") + why;
                break;
            }
            vals.prepend(QString::number(cmd));
            if (!doc->bPutProgCell(axis, s, cmd, vals)) {
                r.status = ProgramLoad::StepInvalid;
                r.detail = QStringLiteral("%1 cannot be stored").arg(quoted(piece));
                break;
            }
        }
        if (r.status != ProgramLoad::Ok)
            break;
    }
    doc->setGridTact(true);
    if (r.status == ProgramLoad::Ok) {
        r.steps = s;
        r.line = 0;
        r.piece = 0;
    }
    return r;
}

ProgramLoad loadProgramFile(const QString& path, int controllerType, int maxSteps,
                            const std::function<ProgramDoc*(int axes)>& makeDoc) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ProgramLoad r;
        r.status = ProgramLoad::Unreadable;
        r.detail = QStringLiteral("%1: %2").arg(path, f.errorString());
        return r;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        ProgramLoad r;
        r.status = ProgramLoad::Unreadable;
        r.detail = QStringLiteral("%1: %2").arg(path, f.errorString());
        return r;
    }
    f.close();
    return loadProgramText(bytes, controllerType, maxSteps, makeDoc);
}

QByteArray programFileText(const ProgramDoc& doc) {
    QString text = QStringLiteral("AXIS=%1\r\n").arg(doc.getAxis());
    for (int s = 1; s <= doc.getStep(); ++s) {
        QStringList cells;
        for (int axis = 1; axis <= doc.getAxis(); ++axis) {
            const ValueArray v = doc.getProgCell(axis, s);
            const int cmd = static_cast<int>(Numbers::numericValue(v[0]));
            if (cmd < Cmd::First) {
                cells.append(QString());
                continue;
            }
            QString c = cmdCode(cmd);
            for (int i = 1; i < v.size(); ++i) {
                if (i > 1)
                    c += QLatin1Char(':');
                c += v[i].trimmed();
            }
            cells.append(c);
        }
        text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toLatin1();
}

bool writeProgramFile(const ProgramDoc& doc, const QString& path, QString* errorText) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    const QByteArray bytes = programFileText(doc);
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        if (errorText)
            *errorText = f.errorString();
        f.cancelWriting();
        return false;
    }
    return true;
}

QString openFileFilter() {
    return langFile().GetINIStr(QStringLiteral("Tool"), QStringLiteral("Mes000")) +
           QStringLiteral("|*.txt");
}

QString saveFileFilter() {
    return QStringLiteral("ﾃｷｽﾄ(*.txt)|*.txt");
}

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        const QString suffix = QLatin1Char('(') + pattern + QLatin1Char(')');
        out.append(desc.endsWith(suffix) ? desc : desc + QLatin1Char(' ') + suffix);
    }
    return out.join(QStringLiteral(";;"));
}

bool saveProgram(ProgramDoc& doc, bool bSaveAs, ProgramFileDialogs& dialogs) {
    const QString name = doc.getFileName(true);
    QString path;
    if (name.contains(QDir::separator()) && !bSaveAs) {
        path = name;
    } else {
        const qsizetype sep = name.lastIndexOf(QDir::separator());
        const QString dir = sep < 0 ? QString() : name.left(sep);
        const QString file = sep < 0 ? name : name.mid(sep + 1);
        path = dialogs.getSaveFileName(saveFileFilter(), dir, file);
        if (path.isEmpty())
            return false;
        path = nativePath(path);
    }
    QString why;
    if (!writeProgramFile(doc, path, &why)) {
        MessageRequest r;
        r.title = programTitle();
        r.text = langFile().GetINIStr(QStringLiteral("MsgBox"), MsgKey::NotSaved) +
                 QStringLiteral("\n") + path + QStringLiteral("\n") + why;
        r.icon = MsgIcon::Critical;
        presentMessage(r);
        return false;
    }
    doc.setFileName(path);
    doc.setDirty(false);
    return true;
}

QString openProgram(ProgramFileDialogs& dialogs, ProgramWindowMaker& maker) {
    const QString chosen = dialogs.getOpenFileName(openFileFilter());
    if (chosen.isEmpty())
        return QString();
    const QString path = nativePath(chosen);
    return openProgramFile(path, maker) ? path : QString();
}

bool openProgramFile(const QString& path, ProgramWindowMaker& maker) {
    ProgramDoc* doc = nullptr;
    const ProgramLoad r =
        loadProgramFile(path, RunConfig::controllerType(), RunConfig::maxSteps(), [&](int axes) {
            doc = maker.makeNewForm(axes);
            doc->setFileName(path);
            return doc;
        });
    if (r.status == ProgramLoad::Ok) {
        doc->setStep(r.steps);
        doc->goToCell(1, ProgramDoc::axisColumn(1));
        return true;
    }
    showMessage(r.messageCode());
    if (doc)
        maker.discardForm(doc);
    return false;
}
