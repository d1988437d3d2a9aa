#include "baxwin/valuemarks.h"

#include "shared/numbers.h"

#include <QRegularExpression>

namespace ValueMarks {

namespace {

bool isNumberText(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)\\s*$"));
    return number.match(text).hasMatch();
}

} // namespace

int shownAxes(const ParDef& def) {
    return def.kind == 0 ? MaxAxis : 1;
}

QList<ParCell> shownCells(const ParDefs& defs) {
    QList<ParCell> cells;
    for (int n = 1; n <= MaxParNo; ++n) {
        if (defs[n].used != 1)
            continue;
        for (int a = 1; a <= shownAxes(defs[n]); ++a)
            cells.append({n, a});
    }
    return cells;
}

bool sameValue(int n, const QString& a, const QString& b) {
    if (a == b)
        return true;
    // Parameter 53 is four digits, each a setting of its own: 0101 is not 101.
    if (n == 53 || !isNumberText(a) || !isNumberText(b))
        return false;
    return Numbers::numericValue(a) == Numbers::numericValue(b);
}

} // namespace ValueMarks

bool ValueMarkState::isChanged(const ParValueTable& values, int n, int axis) const {
    return !ValueMarks::sameValue(n, m_reference.at(n, axis), values.at(n, axis));
}

QList<ParCell> ValueMarkState::changedCells(const ParValueTable& values) const {
    QList<ParCell> cells;
    for (const ParCell& c : ValueMarks::shownCells(m_defs)) {
        if (isChanged(values, c.parNo, c.axis))
            cells.append(c);
    }
    return cells;
}

void ValueMarkState::setControllerValues(const ParValueTable& controller, const QString& unread) {
    m_controller = controller;
    m_unread = unread;
    m_compared = true;
}

bool ValueMarkState::differsFromController(const ParValueTable& values, int n, int axis) const {
    if (!m_compared)
        return false;
    const QString& theirs = m_controller.at(n, axis);
    return theirs != m_unread && !ValueMarks::sameValue(n, values.at(n, axis), theirs);
}

QList<ParCell> ValueMarkState::differentCells(const ParValueTable& values) const {
    QList<ParCell> cells;
    if (!m_compared)
        return cells;
    for (const ParCell& c : ValueMarks::shownCells(m_defs)) {
        if (differsFromController(values, c.parNo, c.axis))
            cells.append(c);
    }
    return cells;
}

namespace ParSearch {

bool matches(int n, const ParDef& def, const QString& text) {
    const QString t = text.trimmed();
    return !t.isEmpty() && (parNoText(n).contains(t) || def.name.contains(t, Qt::CaseInsensitive));
}

int findParameter(const ParDefs& defs, const QString& text, int after) {
    if (text.trimmed().isEmpty())
        return 0;
    const int start = isParNo(after) ? after : 0;
    for (int i = 1; i <= MaxParNo; ++i) {
        const int n = (start + i - 1) % MaxParNo + 1;
        if (defs[n].used == 1 && matches(n, defs[n], text))
            return n;
    }
    return 0;
}

} // namespace ParSearch
