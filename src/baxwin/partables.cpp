#include "baxwin/partables.h"

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
    QString t = field.trimmed();
    if (t.isEmpty())
        return 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    // Leading zeros do not count; a number of more than two digits is out of range.
    while (t.size() > 1 && t.front() == QLatin1Char('0'))
        t.remove(0, 1);
    if (t.size() > 2)
        return 0;
    const int n = t.toInt();
    return isParNo(n) ? n : 0;
}

QString parNoText(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}
