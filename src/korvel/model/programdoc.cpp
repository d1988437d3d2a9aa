#include "korvel/model/programdoc.h"

#include "korvel/shell/messages.h"
#include "shared/numbers.h"

#include <QDir>

namespace {

constexpr int kMaxAxes = 3;

struct WholeNumber {
    bool negative = false;
    QString digits; // without leading zeros, "0" for zero
};

WholeNumber wholeNumber(const QString& value) {
    const Numbers::LeadingNumber n = Numbers::scanLeadingNumber(value);
    WholeNumber w;
    w.digits = n.intDigits;
    while (w.digits.size() > 1 && w.digits.front() == QLatin1Char('0'))
        w.digits.remove(0, 1);
    if (w.digits.isEmpty())
        w.digits = QStringLiteral("0");
    w.negative = n.negative && w.digits != QLatin1String("0");
    return w;
}

// Padded with zeros to at least width digits; a negative number keeps its sign in front.
QString zeroPadded(const QString& value, int width) {
    const WholeNumber w = wholeNumber(value);
    const QString digits = w.digits.rightJustified(width, QLatin1Char('0'));
    return w.negative ? QLatin1Char('-') + digits : digits;
}

// "+" or "-", then the digits padded with zeros to at least width.
QString signedPadded(const QString& value, int width) {
    const WholeNumber w = wholeNumber(value);
    return (w.negative ? QLatin1Char('-') : QLatin1Char('+')) +
           w.digits.rightJustified(width, QLatin1Char('0'));
}

int readInt(const QString& text) {
    return static_cast<int>(Numbers::numericValue(text));
}

} // namespace

ProgramDoc::ProgramDoc(int maxSteps)
    : m_maxSteps(maxSteps), m_cells(static_cast<qsizetype>(maxSteps) * kMaxAxes) {}

void ProgramDoc::setAxis(int iNum) {
    m_axes = qBound(1, iNum, kMaxAxes);
}

void ProgramDoc::setStep(int iStep) {
    m_steps = qBound(0, iStep, m_maxSteps);
    if (m_view)
        m_view->stepsChanged(m_steps);
}

void ProgramDoc::setFileName(const QString& sName) {
    m_fileName = sName;
    m_title = getFileName(false);
    if (m_view)
        m_view->titleChanged(m_title);
}

QString ProgramDoc::getFileName(bool bFullPath) const {
    if (bFullPath)
        return m_fileName;
    const qsizetype sep = m_fileName.lastIndexOf(QDir::separator());
    return sep < 0 ? m_fileName : m_fileName.mid(sep + 1);
}

ProgramDoc::State ProgramDoc::state() const {
    return State{m_cells, m_steps, m_currentStep, m_currentCol};
}

void ProgramDoc::restoreState(const State& s) {
    setGridTact(false);
    m_cells = s.cells;
    m_currentStep = s.currentStep;
    m_currentCol = s.currentCol;
    setGridTact(true);
    setStep(s.steps);
}

void ProgramDoc::setDirty(bool bSw) {
    const bool changed = m_dirty != bSw;
    m_dirty = bSw;
    const QString before = m_title;
    if (bSw) {
        if (!m_title.endsWith(QLatin1Char('*')))
            m_title += QLatin1Char('*');
    } else if (m_title.endsWith(QLatin1Char('*'))) {
        m_title.chop(1);
    }
    if (m_view && m_title != before)
        m_view->titleChanged(m_title);
    if (m_view && changed)
        m_view->dirtyChanged(bSw);
}

const ProgramDoc::Cell& ProgramDoc::cell(int iAxis, int iStep) const {
    Q_ASSERT(iAxis >= 1 && iAxis <= kMaxAxes && iStep >= 1 && iStep <= m_maxSteps);
    return m_cells[static_cast<qsizetype>(iStep - 1) * kMaxAxes + (iAxis - 1)];
}

ProgramDoc::Cell& ProgramDoc::cellRef(int iAxis, int iStep) {
    Q_ASSERT(iAxis >= 1 && iAxis <= kMaxAxes && iStep >= 1 && iStep <= m_maxSteps);
    return m_cells[static_cast<qsizetype>(iStep - 1) * kMaxAxes + (iAxis - 1)];
}

int ProgramDoc::cellCommand(int iAxis, int iStep) const {
    const QString& text = cell(iAxis, iStep).text;
    if (text.isEmpty())
        return 0;
    const qsizetype cr = text.indexOf(QLatin1Char('\r'));
    return findCommandByName(cr < 0 ? text : text.left(cr));
}

ValueArray ProgramDoc::getProgCell(int iAxis, int iStep) const {
    QString text = cell(iAxis, iStep).text;
    if (text.isEmpty())
        return ValueArray{QString()};
    const qsizetype cr = text.indexOf(QLatin1Char('\r'));
    if (cr >= 0)
        text[cr] = QLatin1Char(',');
    ValueArray pieces = text.split(QLatin1Char(','));
    const int cmd = findCommandByName(pieces.front());
    if (cmd == 0)
        return ValueArray{QString()};
    const int n = cmdValueCount(cmd);
    while (pieces.size() > n + 1)
        pieces.removeLast();
    while (pieces.size() < n + 1)
        pieces.append(QString());
    pieces[0] = QString::number(cmd);
    return pieces;
}

bool ProgramDoc::bPutProgCell(int iAxis, int iStep, int iCmd, const ValueArray& sData) {
    const int n = cmdValueCount(iCmd);
    if (sData.size() - 1 < n)
        return false;
    QString text = cmdName(iCmd);
    if (n > 0) {
        text += QLatin1Char('\r');
        for (int i = 1; i <= n; ++i) {
            if (i > 1)
                text += QLatin1Char(',');
            text += sData[i].trimmed();
        }
    }
    Cell& c = cellRef(iAxis, iStep);
    c.text = text;
    c.picture = iCmd;
    goToCell(iStep, axisColumn(iAxis));
    if (m_view)
        m_view->cellChanged(iAxis, iStep);
    return true;
}

void ProgramDoc::clearCell(int iAxis, int iStep) {
    Cell& c = cellRef(iAxis, iStep);
    c.text.clear();
    c.picture = 0;
    goToCell(iStep, axisColumn(iAxis));
    if (m_view)
        m_view->cellChanged(iAxis, iStep);
}

void ProgramDoc::putFiller(int iAxis, int iStep) {
    bPutProgCell(iAxis, iStep, Cmd::Filler, ValueArray{QString()});
}

void ProgramDoc::applyCellEdit(int iAxis, int iStep, int iCmd, const ValueArray& sData) {
    if (iCmd == Cmd::BothGo && m_axes == 1)
        return;
    int fill = Cmd::Filler;
    bool spreading = false;
    if (cmdAllAxes(iCmd)) {
        fill = iCmd;
        spreading = true;
    } else {
        for (int i = 1; i <= m_axes; ++i) {
            const int k = cellCommand(i, iStep);
            if (k != 0 && cmdAllAxes(k)) {
                spreading = true;
                break;
            }
        }
    }
    setGridTact(false);
    for (int i = 1; i <= m_axes; ++i) {
        if (i == iAxis)
            continue;
        const int k = cellCommand(i, iStep);
        if (k == 0 || spreading) {
            bPutProgCell(i, iStep, fill, sData);
        } else if (!cmdSameInStep(iCmd)) {
            if (iCmd != Cmd::Filler && cmdSameInStep(k))
                putFiller(i, iStep);
        } else if (k != Cmd::Filler && k != iCmd) {
            putFiller(i, iStep);
        }
    }
    bPutProgCell(iAxis, iStep, iCmd, sData);
    goToCell(iStep, axisColumn(iAxis));
    setGridTact(true);
    if (m_steps < iStep)
        setStep(iStep);
    setDirty(true);
}

void ProgramDoc::fillSteps(int step) {
    setGridTact(false);
    for (int s = qMax(step, 1); s <= m_steps - 1; ++s) {
        for (int i = 1; i <= m_axes; ++i)
            putFiller(i, s);
    }
    setGridTact(true);
}

void ProgramDoc::insertStep() {
    const int r = m_currentStep;
    if (m_steps >= m_maxSteps) {
        showMessage(Msg::ProgramFull);
        return;
    }
    if (r > m_steps) {
        showMessage(Msg::BeyondLastStep);
        return;
    }
    const int row = m_currentStep;
    const int col = m_currentCol;
    setGridTact(false);
    for (int s = m_steps; s >= r; --s) {
        for (int i = 1; i <= m_axes; ++i) {
            const ValueArray v = getProgCell(i, s);
            bPutProgCell(i, s + 1, readInt(v[0]), v);
        }
    }
    for (int i = 1; i <= m_axes; ++i)
        putFiller(i, r);
    setGridTact(true);
    setStep(m_steps + 1);
    goToCell(row, col);
    setDirty(true);
}

void ProgramDoc::deleteStep() {
    const int r = m_currentStep;
    if (r > m_steps) {
        showMessage(Msg::BeyondLastStep);
        return;
    }
    const int row = m_currentStep;
    const int col = m_currentCol;
    setGridTact(false);
    for (int s = r; s <= m_steps - 1; ++s) {
        for (int i = 1; i <= m_axes; ++i) {
            const ValueArray v = getProgCell(i, s + 1);
            bPutProgCell(i, s, readInt(v[0]), v);
        }
    }
    for (int i = 1; i <= m_axes; ++i)
        clearCell(i, m_steps);
    setGridTact(true);
    setStep(m_steps - 1);
    goToCell(row, col);
    setDirty(true);
}

QString ProgramDoc::getSendStep(int iStep) const {
    if (iStep > m_steps || iStep < 1)
        return QString();
    const ValueArray first = getProgCell(1, iStep);
    const int cmd = readInt(first[0]);
    if (cmd >= Cmd::First && cmdSentOnce(cmd))
        return makeStepText(0, first);
    QStringList parts;
    for (int i = 1; i <= m_axes; ++i)
        parts.append(makeStepText(i, i == 1 ? first : getProgCell(i, iStep)));
    return parts.join(QLatin1Char('|'));
}

bool ProgramDoc::isAxisParameter(int paramNo) {
    return paramNo <= 49 || (paramNo >= 70 && paramNo <= 78) || (paramNo >= 80 && paramNo <= 88);
}

QString ProgramDoc::makeStepText(int axis, const ValueArray& cell) {
    const int cmd = readInt(cell.value(0));
    if (cmd < Cmd::First || cmd > Cmd::Last)
        return QString();
    const QString letter = QString(QChar(u'A' + axis - 1));
    QString out = cmdCode(cmd);
    if (cmdAxisLetter(cmd))
        out += letter;
    const int n = cmdValueCount(cmd);
    if (n == 0)
        return out;
    auto value = [&cell](int i) { return cell.value(i).trimmed(); };
    switch (cmd) {
    case 8:
        for (int i = 1; i <= 4; ++i)
            out += value(i);
        break;
    case Cmd::Parameter: {
        out += zeroPadded(value(1), 2);
        const int p = readInt(value(1));
        if (p == 53) {
            const QString v = value(2);
            for (int i = 0; i < v.size(); ++i) {
                out += QLatin1Char(',');
                out += v[i];
            }
            break;
        }
        QString v = value(2);
        switch (p) {
        case 4:
        case 52:
        case 90:
            v = zeroPadded(v, 2);
            break;
        case 22:
            v = zeroPadded(v, 3);
            break;
        case 11:
        case 14:
        case 15:
        case 25:
        case 26:
        case 73:
            v = signedPadded(v, 8);
            break;
        default:
            break;
        }
        out += isAxisParameter(p) ? letter + v.trimmed() : QLatin1Char(',') + v.trimmed();
        break;
    }
    case 9:
    case 11:
    case 13:
        out += zeroPadded(value(1), 2);
        for (int i = 2; i <= n; ++i)
            out += QLatin1Char(',') + value(i);
        break;
    case 12:
        out += value(1) + QLatin1Char(',') + value(2) + QLatin1Char(',') + zeroPadded(value(3), 2);
        break;
    default:
        out += value(1);
        for (int i = 2; i <= n; ++i)
            out += QLatin1Char(',') + value(i);
        break;
    }
    return out;
}

void ProgramDoc::setGridTact(bool bSw) {
    if (m_view)
        m_view->setGridTact(bSw);
}

void ProgramDoc::setCurrentCell(int iStep, int iCol) {
    m_currentStep = iStep;
    m_currentCol = iCol;
}

void ProgramDoc::goToCell(int iStep, int iCol) {
    if (m_currentStep == iStep && m_currentCol == iCol)
        return;
    m_currentStep = iStep;
    m_currentCol = iCol;
    if (m_view)
        m_view->currentCellChanged(iStep, iCol);
}
