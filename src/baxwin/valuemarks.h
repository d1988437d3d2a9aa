#pragma once

#include "baxwin/partables.h"

#include <QList>
#include <QString>

// One value cell of the editor's grid: a parameter number and its axis column (always 1 for a
// common parameter).
struct ParCell {
    int parNo = 0;
    int axis = 0;

    bool operator==(const ParCell& o) const { return parNo == o.parNo && axis == o.axis; }
    bool operator!=(const ParCell& o) const { return !(*this == o); }
};

namespace ValueMarks {

// The axis columns the grid shows for a parameter: three per-axis, one common.
int shownAxes(const ParDef& def);
// Every shown cell of the used parameters, by ascending number and axis.
QList<ParCell> shownCells(const ParDefs& defs);
// Whether two value texts of parameter n hold the same value: texts that both read wholly as
// decimal numbers are compared by their value (010 and 10 are one speed); parameter 53 and
// everything else by the text.
bool sameValue(int n, const QString& a, const QString& b);

} // namespace ValueMarks

// What the editor marks beside its values: the values changed since the last load, completed
// write or save (against a reference table), and the values that differ from the controller's
// at the last completed compare.
class ValueMarkState {
public:
    explicit ValueMarkState(const ParDefs& defs) : m_defs(defs) {}

    // The values in hand become the reference: nothing is changed any more.
    void setReference(const ParValueTable& values) { m_reference = values; }
    const ParValueTable& reference() const { return m_reference; }
    bool isChanged(const ParValueTable& values, int n, int axis) const;
    QList<ParCell> changedCells(const ParValueTable& values) const;

    // The controller's values of a completed compare; `unread` stands for a value that the
    // controller did not report, which is never a difference.
    void setControllerValues(const ParValueTable& controller, const QString& unread);
    void dropControllerValues() { m_compared = false; }
    bool hasControllerValues() const { return m_compared; }
    const QString& controllerValue(int n, int axis) const { return m_controller.at(n, axis); }
    bool differsFromController(const ParValueTable& values, int n, int axis) const;
    QList<ParCell> differentCells(const ParValueTable& values) const;

private:
    const ParDefs& m_defs;
    ParValueTable m_reference;
    ParValueTable m_controller;
    QString m_unread;
    bool m_compared = false;
};

// The search of the editor's find command.
namespace ParSearch {

// Whether the parameter's number as the grid shows it ("08") or its name contains the text,
// without regard to case.
bool matches(int n, const ParDef& def, const QString& text);
// The first used parameter after number `after` (0: from the start) that matches, wrapping
// around to the start and ending with `after` itself; 0 when none matches or the text is blank.
int findParameter(const ParDefs& defs, const QString& text, int after);

} // namespace ParSearch
