#include "baxwin/editinput.h"

#include "baxwin/baxmessages.h"
#include "shared/numbers.h"

namespace EditInput {

namespace {

bool digitIn(QChar c, char last) {
    return c >= QLatin1Char('0') && c <= QLatin1Char(last);
}

} // namespace

QString refusalKey(int n, const QString& text, const ParDefs& defs) {
    const QString refused = QStringLiteral("Mes011");
    static const QString allowed = QStringLiteral("-+0.123456789");
    for (QChar c : text) {
        if (!allowed.contains(c))
            return refused;
    }
    if (n == 53) {
        const bool ok = text.size() == 4 && digitIn(text[0], '3') && digitIn(text[1], '1') &&
                        digitIn(text[2], '2') && digitIn(text[3], '1');
        return ok ? QString() : refused;
    }
    const double v = Numbers::numericValue(text);
    if (isParNo(n)) {
        if (v < Numbers::numericValue(defs[n].lowerLimit) ||
            v > Numbers::numericValue(defs[n].upperLimit))
            return refused;
    }
    if (n == 22 && v > 0 && v < 100)
        return QStringLiteral("Mes028");
    return QString();
}

bool checkInput(int n, const QString& text, const ParDefs& defs) {
    const QString key = refusalKey(n, text, defs);
    if (key.isEmpty())
        return true;
    BaxMsg::show(key, MsgIcon::Exclamation);
    return false;
}

QString committedText(int n, const QString& text) {
    return n == 53 ? text : Numbers::plainForm(text);
}

} // namespace EditInput
