#include "baxwin/partables.h"

#include "shared/numbers.h"

#include <QRegularExpression>

QList<int> ParDefs::usedOfKind(int kind) const {
    QList<int> rows;
    for (int n = 1; n <= MaxParNo; ++n) {
        if ((*this)[n].kind == kind && (*this)[n].used == 1)
            rows.append(n);
    }
    return rows;
}

int ParDefs::transferCount() const {
    int count = (*this)[1].used == 1 ? 0 : 1;
    for (int n = 1; n <= MaxParNo; ++n) {
        if ((*this)[n].used == 1)
            ++count;
    }
    return count;
}

int parNoFromField(const QString& field) {
    // A whole number however it is written: blanks around, an optional sign, digits and an
    // optional decimal part of zeros (+5 and 5.0 name parameter 5). A fraction names none.
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString t = field.trimmed();
    if (!number.match(t).hasMatch())
        return 0;
    const double v = Numbers::numericValue(t);
    if (v != Numbers::roundHalfEven(v))
        return 0;
    return v >= 1 && v <= MaxParNo ? static_cast<int>(v) : 0;
}

QString parNoText(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}
