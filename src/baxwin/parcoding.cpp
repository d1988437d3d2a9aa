#include "baxwin/parcoding.h"

#include "shared/numbers.h"
#include "shared/seriallink.h"

#include <QStringList>

#include <cmath>

namespace ParCoding {

namespace {

QString head(int n) {
    return QStringLiteral("P:") + parNoText(n);
}

// Rounded magnitude in decimal with at least minDigits digits.
QString paddedDigits(double magnitude, int minDigits) {
    QString digits = QString::number(Numbers::roundHalfEven(magnitude), 'f', 0);
    while (digits.size() < minDigits)
        digits.prepend(QLatin1Char('0'));
    return digits;
}

QString fixedFormat(double v, int minDigits) {
    const double r = Numbers::roundHalfEven(v);
    const QString digits = paddedDigits(std::fabs(r), minDigits);
    return r < 0 ? QLatin1Char('-') + digits : digits;
}

QString valueText(int n, const QString& stored) {
    switch (n) {
    case 4:
    case 52:
    case 90:
        return fixedFormat(Numbers::numericValue(stored), 2);
    case 11:
    case 14:
    case 15:
    case 25:
    case 26:
    case 73: {
        const double v = Numbers::numericValue(stored);
        return (v >= 0 ? QLatin1Char('+') : QLatin1Char('-')) + paddedDigits(std::fabs(v), 8);
    }
    case 22:
        return fixedFormat(Numbers::numericValue(stored), 3);
    default:
        return stored;
    }
}

} // namespace

QString crlf() {
    return QStringLiteral("\r\n");
}
QString wakeText() {
    return QStringLiteral("?:") + crlf();
}
QString probeText() {
    return QStringLiteral("P:01R") + crlf();
}
QString readText(int n) {
    return head(n) + QLatin1Char('R') + crlf();
}
QString writeStartText() {
    return QStringLiteral("X:1") + crlf();
}
QString flashStoreText() {
    return QStringLiteral("F:") + crlf();
}

QString errorReplyKey(const QString& line) {
    // The error replies and their message keys are those of the link both programs share.
    const int code = replyErrorCode(line);
    return code == 0 ? QString() : linkMessageKey(code);
}

int axisCountFromProbe(const QString& reply, int current) {
    const qsizetype fields = reply.split(QLatin1Char(',')).size();
    // A one-axis controller answers its single axis value alone; a lone word such as OK is no
    // value and tells nothing.
    if (fields == 1)
        return Numbers::scanLeadingNumber(reply).found ? 1 : current;
    if (fields == 2)
        return 2;
    if (fields == 4 || fields == 6)
        return 3;
    return current;
}

bool decodeReadReply(int n, int kind, int axisCount, const QString& reply, ParValueTable& table) {
    if (n == 53) {
        const QStringList f = reply.split(QLatin1Char(','));
        if (f.size() < 4)
            return false;
        const QString value = f[0] + f[1] + f[2] + f[3];
        for (int a = 1; a <= axisCount && a <= MaxAxis; ++a)
            table.at(n, a) = value;
        return true;
    }
    if (kind == 0) {
        const QStringList f = reply.split(QLatin1Char(','));
        if (axisCount == 1) {
            table.at(n, 1) = Numbers::plainForm(f[0]);
            return true;
        }
        if (f.size() < 2)
            return false;
        const int taken = f.size() >= 4 ? 3 : 2;
        for (int a = 1; a <= taken; ++a)
            table.at(n, a) = Numbers::plainForm(f[a - 1]);
        return true;
    }
    const QString value = Numbers::plainForm(reply);
    for (int a = 1; a <= axisCount && a <= MaxAxis; ++a)
        table.at(n, a) = value;
    return true;
}

QString encodeWrite(int n, int kind, int axisCount, const ParValueTable& table) {
    QString text = head(n);
    if (n == 53) {
        const QString stored = table.at(53, 1);
        for (int i = 0; i < 4; ++i)
            text += QLatin1Char(',') + (i < stored.size() ? QString(stored[i]) : QString());
        return text + crlf();
    }
    const int axes = qMin(axisCount, MaxAxis);
    if (kind == 1) {
        text += QLatin1Char(',');
        if (axes >= 1)
            text += valueText(n, table.at(n, 1));
    } else {
        static const char letters[] = "ABC";
        for (int a = 1; a <= axes; ++a)
            text += QLatin1Char(letters[a - 1]) + valueText(n, table.at(n, a));
    }
    return text + crlf();
}

} // namespace ParCoding
