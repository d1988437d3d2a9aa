#include "sim/stepcodec.h"

#include "shared/numbers.h"

#include <QRegularExpression>
#include <array>
#include <cmath>

namespace Sim {

namespace {

constexpr qint64 kTargetLimit = 99999999;

struct IntRule {
    qint64 min;
    qint64 max;
    int minDigits = 1;
    bool signAllowed = true;
    bool signRequired = false;
};

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The whole text must be the number: no blanks, no decimal point, nothing after the digits.
bool readInt(QStringView s, const IntRule& rule, qint64* value) {
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        if (!rule.signAllowed)
            return false;
        negative = s[i] == QLatin1Char('-');
        ++i;
    } else if (rule.signRequired) {
        return false;
    }
    const QStringView digits = s.mid(i);
    if (digits.size() < rule.minDigits || digits.isEmpty())
        return false;
    for (QChar c : digits)
        if (!isDigit(c))
            return false;
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == QLatin1Char('0'))
        ++first;
    if (digits.size() - first > 12)
        return false;
    qint64 v = digits.mid(first).toLongLong();
    if (negative)
        v = -v;
    if (v < rule.min || v > rule.max)
        return false;
    *value = v;
    return true;
}

QString number(qint64 v) {
    return QString::number(v);
}

struct CodeInfo {
    const char* code;
    bool stepWide;
    bool axisLetter;
};

// Indexed by command number - 1.
constexpr std::array<CodeInfo, 17> kCodes{{
    {"AGO:", false, true},
    {"BGO:", false, true},
    {"MGO:", false, true},
    {"H:", false, true},
    {"P:", false, false},
    {"D:", false, true},
    {"R:", false, true},
    {"C:", false, false},
    {"S:", false, true},
    {"U00:", false, false},
    {"U01:", true, false},
    {"U02:", true, false},
    {"U03:", true, false},
    {"U04:", false, false},
    {"U99:", false, false},
    {"W:", false, false},
    {"#:", true, false},
}};

QChar axisLetter(int axis) {
    return QChar(QLatin1Char('A').unicode() + axis - 1);
}

bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}

IntRule parameterValueRule(int p) {
    IntRule r{-kTargetLimit, kTargetLimit};
    switch (p) {
    case 4:
    case 52:
    case 90:
        r.minDigits = 2;
        break;
    case 22:
        r.minDigits = 3;
        break;
    case 11:
    case 14:
    case 15:
    case 25:
    case 26:
    case 73:
        r.minDigits = 8;
        r.signRequired = true;
        break;
    default:
        break;
    }
    return r;
}

bool parseElement(const QString& text, int position, StepElement* out, QString* why) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return fail(why, QStringLiteral("element without a command code: ") + text);
    const int cmd = commandForCode(text.left(colon + 1));
    if (cmd == 0)
        return fail(why, QStringLiteral("unknown command code: ") + text.left(colon + 1));
    const CodeInfo& info = kCodes[size_t(cmd - 1)];
    if (info.stepWide && position != 1)
        return fail(why, QStringLiteral("step-wide command after the first element"));

    QString rest = text.mid(colon + 1);
    StepElement e;
    e.command = cmd;
    e.axis = info.stepWide ? 0 : position;
    if (info.axisLetter) {
        if (rest.isEmpty() || rest[0] != axisLetter(position))
            return fail(why, QStringLiteral("expected axis letter ") + axisLetter(position));
        rest.remove(0, 1);
    }

    qint64 v = 0;
    const IntRule target{-kTargetLimit, kTargetLimit};
    switch (cmd) {
    case CmdAgo:
    case CmdBgo:
    case CmdMgo:
    case CmdRel:
        if (!readInt(rest, target, &v))
            return fail(why, QStringLiteral("bad target value: ") + rest);
        e.values << number(v);
        break;
    case CmdHome:
    case CmdFiller:
    case CmdU04:
    case CmdU99:
        if (!rest.isEmpty())
            return fail(why, QStringLiteral("unexpected text after ") + text.left(colon + 1));
        break;
    case CmdParam: {
        qsizetype n = 0;
        while (n < rest.size() && isDigit(rest[n]))
            ++n;
        qint64 p = 0;
        if (n < 2 || !readInt(QStringView(rest).left(n), IntRule{0, 99, 2, false}, &p))
            return fail(why, QStringLiteral("bad parameter number: ") + rest);
        const QString tail = rest.mid(n);
        const int pn = int(p);
        if (pn == 53) {
            QString digits;
            if (!tail.startsWith(QLatin1Char(',')) ||
                !readParam53(tail.mid(1).split(QLatin1Char(',')), &digits))
                return fail(why, QStringLiteral("bad value of parameter 53: ") + tail);
            e.values << number(p) << digits;
            break;
        }
        const QChar sep = isAxisParameter(pn) ? axisLetter(position) : QLatin1Char(',');
        if (tail.isEmpty() || tail[0] != sep)
            return fail(why, QStringLiteral("expected ") + sep + QStringLiteral(" after P:") +
                                 rest.left(n));
        QString plain;
        if (!readParameterValue(pn, tail.mid(1), false, &plain))
            return fail(why, QStringLiteral("bad parameter value: ") + tail.mid(1));
        e.values << number(p) << plain;
        break;
    }
    case CmdSpeed: {
        const QStringList f = rest.split(QLatin1Char(','));
        qint64 a = 0, b = 0, c = 0;
        if (f.size() != 3 || !readInt(f[0], IntRule{10, 600000}, &a) ||
            !readInt(f[1], IntRule{10, 600000}, &b) || !readInt(f[2], IntRule{1, 1000}, &c))
            return fail(why, QStringLiteral("bad speed values: ") + rest);
        if (a > b)
            return fail(why, QStringLiteral("start speed above top speed: ") + rest);
        e.values << number(a) << number(b) << number(c);
        break;
    }
    case CmdOutput:
        if (rest.size() != 4)
            return fail(why, QStringLiteral("expected four output digits: ") + rest);
        for (QChar c : rest) {
            if (c < QLatin1Char('0') || c > QLatin1Char('2'))
                return fail(why, QStringLiteral("output digit outside 0..2: ") + rest);
            e.values << QString(c);
        }
        break;
    case CmdSelect:
        if (!readInt(rest, IntRule{0, 15, 2, false}, &v))
            return fail(why, QStringLiteral("bad selection: ") + rest);
        e.values << number(v);
        break;
    case CmdU01:
        if (!readInt(rest, IntRule{0, 199, 2, false}, &v))
            return fail(why, QStringLiteral("bad U01 value: ") + rest);
        e.values << number(v);
        break;
    case CmdU02: {
        const QStringList f = rest.split(QLatin1Char(','));
        qint64 b = 0, c = 0;
        if (f.size() != 3 || f[0].isEmpty() ||
            !(f[0][0].toUpper() >= QLatin1Char('A') && f[0][0].toUpper() <= QLatin1Char('F')) ||
            f[0].contains(QLatin1Char(' ')) || !readInt(f[1], IntRule{0, 1}, &b) ||
            !readInt(f[2], IntRule{0, 199, 2, false}, &c))
            return fail(why, QStringLiteral("bad U02 values: ") + rest);
        e.values << f[0] << number(b) << number(c);
        break;
    }
    case CmdU03: {
        const QStringList f = rest.split(QLatin1Char(','));
        qint64 a = 0, b = 0;
        if (f.size() != 2 || !readInt(f[0], IntRule{0, 199, 2, false}, &a) ||
            !readInt(f[1], IntRule{1, 8388607}, &b))
            return fail(why, QStringLiteral("bad U03 values: ") + rest);
        e.values << number(a) << number(b);
        break;
    }
    case CmdWait:
        if (!readInt(rest, IntRule{1, 65535}, &v))
            return fail(why, QStringLiteral("bad wait time: ") + rest);
        e.values << number(v);
        break;
    case CmdComment:
        if (rest.size() > 45)
            return fail(why, QStringLiteral("comment longer than 45 characters"));
        for (QChar c : rest)
            if (c.unicode() > 0xFF)
                return fail(why, QStringLiteral("comment with a double-byte character"));
        e.values << rest;
        break;
    default:
        return fail(why, QStringLiteral("unknown command"));
    }
    *out = e;
    return true;
}

} // namespace

QString formatParameterValue(int p, const QString& plain) {
    const qint64 v = qRound64(Numbers::numericValue(plain));
    switch (p) {
    case 4:
    case 52:
    case 90:
        return zeroPadded(v, 2);
    case 22:
        return zeroPadded(v, 3);
    case 11:
    case 14:
    case 15:
    case 25:
    case 26:
    case 73:
        return signedField(v, 8);
    default:
        return plain;
    }
}

bool readParam53(const QStringList& fields, QString* digits) {
    static constexpr std::array<int, 4> kMax{3, 1, 2, 1};
    if (fields.size() != 4)
        return false;
    QString out;
    for (int i = 0; i < 4; ++i) {
        const QString& f = fields[i];
        if (f.size() != 1 || !isDigit(f[0]) || f[0].digitValue() > kMax[size_t(i)])
            return false;
        out += f;
    }
    *digits = out;
    return true;
}

bool readParameterValue(int p, const QString& text, bool allowFraction, QString* plain) {
    const IntRule rule = parameterValueRule(p);
    qint64 v = 0;
    if (readInt(text, rule, &v)) {
        *plain = QString::number(v);
        return true;
    }
    if (!allowFraction || rule.minDigits > 1 || rule.signRequired)
        return false;
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!decimal.match(text).hasMatch() || std::abs(Numbers::numericValue(text)) > kTargetLimit)
        return false;
    *plain = Numbers::plainForm(text);
    return true;
}

QString commandCode(int command) {
    if (command < 1 || command > 17)
        return {};
    return QLatin1String(kCodes[size_t(command - 1)].code);
}

int commandForCode(const QString& codeWithColon) {
    for (size_t i = 0; i < kCodes.size(); ++i)
        if (codeWithColon == QLatin1String(kCodes[i].code))
            return int(i) + 1;
    return 0;
}

bool isStepWide(int command) {
    return command >= 1 && command <= 17 && kCodes[size_t(command - 1)].stepWide;
}

bool isAxisParameter(int p) {
    return p <= 49 || (p >= 70 && p <= 78) || (p >= 80 && p <= 88);
}

bool parseStepText(const QString& text, int axisCount, Step* step, QString* why) {
    Step out;
    // A comment runs to the end of the line, "|" included.
    if (text.startsWith(QLatin1String("#:"))) {
        StepElement e;
        if (!parseElement(text, 1, &e, why))
            return false;
        out << e;
        *step = out;
        return true;
    }
    const QStringList parts = text.split(QLatin1Char('|'));
    for (int i = 0; i < parts.size(); ++i) {
        if (i >= axisCount)
            return fail(why, QStringLiteral("more elements than axes"));
        StepElement e;
        if (!parseElement(parts[i], i + 1, &e, why))
            return false;
        out << e;
        if (e.axis == 0 && parts.size() != 1)
            return fail(why, QStringLiteral("step-wide command with further elements"));
    }
    if (out.size() == 1 && out[0].axis == 0) {
        *step = out;
        return true;
    }
    if (out.size() != axisCount)
        return fail(why,
                    QStringLiteral("expected %1 elements, got %2").arg(axisCount).arg(out.size()));
    *step = out;
    return true;
}

QString signedField(qint64 value, int digits) {
    return (value < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
           QStringLiteral("%1").arg(value < 0 ? -value : value, digits, 10, QLatin1Char('0'));
}

QString zeroPadded(qint64 value, int digits) {
    return (value < 0 ? QStringLiteral("-") : QString()) +
           QStringLiteral("%1").arg(value < 0 ? -value : value, digits, 10, QLatin1Char('0'));
}

namespace {

qint64 num(const StepElement& e, int i) {
    return e.values.value(i).toLongLong();
}

QString renderSendElement(const StepElement& e) {
    QString s = commandCode(e.command);
    if (e.axis > 0 && kCodes[size_t(e.command - 1)].axisLetter)
        s += axisLetter(e.axis);
    switch (e.command) {
    case CmdParam: {
        const int p = int(num(e, 0));
        s += zeroPadded(p, 2);
        if (p == 53) {
            for (QChar c : e.values.value(1))
                s += QLatin1Char(',') + QString(c);
        } else {
            s += isAxisParameter(p) ? axisLetter(e.axis) : QLatin1Char(',');
            s += formatParameterValue(p, e.values.value(1));
        }
        break;
    }
    case CmdOutput:
        s += e.values.join(QString());
        break;
    case CmdSelect:
    case CmdU01:
        s += zeroPadded(num(e, 0), 2);
        break;
    case CmdU02:
        s += e.values.value(0) + QLatin1Char(',') + e.values.value(1) + QLatin1Char(',') +
             zeroPadded(num(e, 2), 2);
        break;
    case CmdU03:
        s += zeroPadded(num(e, 0), 2) + QLatin1Char(',') + e.values.value(1);
        break;
    default:
        s += e.values.join(QLatin1Char(','));
        break;
    }
    return s;
}

} // namespace

QString renderStepText(const Step& step) {
    QStringList parts;
    for (const StepElement& e : step)
        parts << renderSendElement(e);
    return parts.join(QLatin1Char('|'));
}

QString renderUploadElement(const StepElement& e) {
    const QString code = commandCode(e.command);
    const QChar letter = e.axis > 0 ? axisLetter(e.axis) : QLatin1Char('A');
    switch (e.command) {
    case CmdAgo:
    case CmdBgo:
    case CmdMgo:
    case CmdRel:
        return code + letter + signedField(num(e, 0), 8);
    case CmdHome:
        return code + letter;
    case CmdParam: {
        const int p = int(num(e, 0));
        if (p == 53) {
            QStringList digits;
            for (QChar c : e.values.value(1))
                digits << QString(c);
            return code + QStringLiteral("53,") + digits.join(QLatin1Char(','));
        }
        return code + zeroPadded(p, 2) + (isAxisParameter(p) ? letter : QLatin1Char(',')) +
               signedField(num(e, 1), 8);
    }
    case CmdSpeed:
        return code + letter + zeroPadded(num(e, 0), 8) + QLatin1Char(',') +
               zeroPadded(num(e, 1), 8) + QLatin1Char(',') + zeroPadded(num(e, 2), 6);
    case CmdOutput:
        return code + e.values.join(QString());
    case CmdSelect:
        return code + letter + zeroPadded(num(e, 0), 2);
    case CmdU01:
        return code + zeroPadded(num(e, 0), 4);
    case CmdU02:
        return code + e.values.value(0) + QLatin1Char(',') + e.values.value(1) + QLatin1Char(',') +
               zeroPadded(num(e, 2), 2);
    case CmdU03:
        return code + zeroPadded(num(e, 0), 4) + QLatin1Char(',') + zeroPadded(num(e, 1), 9);
    case CmdWait:
        return code + signedField(num(e, 0), 8);
    case CmdComment:
        return code + e.values.value(0);
    default:
        return code;
    }
}

QString renderUploadLine(const Step& step) {
    QStringList parts;
    for (const StepElement& e : step)
        parts << renderUploadElement(e);
    return parts.join(QLatin1Char('|'));
}

} // namespace Sim
