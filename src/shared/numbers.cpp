#include "shared/numbers.h"

#include <cmath>

namespace Numbers {

namespace {
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

LeadingNumber scanLeadingNumber(QStringView text) {
    LeadingNumber n;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        n.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    while (i < text.size() && isDigit(text[i]))
        n.intDigits += text[i++];
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            n.fracDigits += text[i++];
    }
    n.found = !n.intDigits.isEmpty() || !n.fracDigits.isEmpty();
    if (!n.found)
        n.negative = false;
    return n;
}

double numericValue(QStringView text) {
    const LeadingNumber n = scanLeadingNumber(text);
    if (!n.found)
        return 0.0;
    QString s = n.intDigits.isEmpty() ? QStringLiteral("0") : n.intDigits;
    if (!n.fracDigits.isEmpty())
        s += QLatin1Char('.') + n.fracDigits;
    const double v = s.toDouble();
    return n.negative ? -v : v;
}

double roundHalfEven(double v) {
    return std::nearbyint(v);
}

QString plainForm(QStringView text) {
    const LeadingNumber n = scanLeadingNumber(text);
    QString intPart = n.intDigits;
    while (intPart.size() > 1 && intPart.front() == QLatin1Char('0'))
        intPart.remove(0, 1);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
    QString frac = n.fracDigits;
    while (!frac.isEmpty() && frac.back() == QLatin1Char('0'))
        frac.chop(1);
    QString out = intPart;
    if (!frac.isEmpty())
        out += QLatin1Char('.') + frac;
    if (n.negative && out != QLatin1String("0"))
        out.prepend(QLatin1Char('-'));
    return out;
}

int languageNumberFromArgument(const QString& argument) {
    return roundHalfEven(numericValue(argument)) == 1.0 ? 1 : 0;
}

} // namespace Numbers
