#include "korvel/model/uploadbuffer.h"

#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "shared/numbers.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Blanks aside, a decimal number with an optional sign and an optional decimal point.
bool isNumeric(const QString& text, QString* plain) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    QString compact = text;
    compact.remove(QLatin1Char(' '));
    if (!number.match(compact).hasMatch())
        return false;
    if (plain)
        *plain = Numbers::plainForm(compact);
    return true;
}

enum class Form {
    AxisValue, // axis letter, then one number: AGO, BGO, MGO, R, S
    None,      // no values: H, U00, U04, U99
    Parameter,
    Speed,
    Counter,
    WholeNumber, // the whole text after ":" one number: U01, W
    U02,
    U03,
    Comment,
};

struct ElementRule {
    const char* code;
    int command;
    int length; // 0: any length
    Form form;
};

// In the order the codes are compared.
const ElementRule kRules[] = {
    {"AGO", 1, 14, Form::AxisValue},   {"BGO", 2, 14, Form::AxisValue},
    {"MGO", 3, 14, Form::AxisValue},   {"H", 4, 3, Form::None},
    {"P", 5, 14, Form::Parameter},     {"D", 6, 27, Form::Speed},
    {"R", 7, 12, Form::AxisValue},     {"C", 8, 6, Form::Counter},
    {"S", 9, 5, Form::AxisValue},      {"U00", 10, 4, Form::None},
    {"U01", 11, 8, Form::WholeNumber}, {"U02", 12, 0, Form::U02},
    {"U03", 13, 18, Form::U03},        {"U04", 14, 4, Form::None},
    {"U99", 15, 4, Form::None},        {"W", 16, 11, Form::WholeNumber},
    {"#", 17, 0, Form::Comment},
};

// Fields of a comma list, each numeric; false unless there are exactly `count`.
bool numericFields(const QString& text, int count, QStringList* values) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != count)
        return false;
    for (const QString& f : fields) {
        QString plain;
        if (!isNumeric(f, &plain))
            return false;
        values->append(plain);
    }
    return true;
}

} // namespace

bool UploadBuffer::convertUploadElement(const QString& element, int* iCmd, ValueArray* values) {
    const qsizetype colon = element.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    const QString code = element.left(colon);
    const QString after = element.mid(colon + 1);
    const ElementRule* rule = nullptr;
    for (const ElementRule& r : kRules) {
        if (code == QLatin1String(r.code)) {
            rule = &r;
            break;
        }
    }
    if (rule == nullptr)
        return false;

    QStringList v;
    QString plain;
    int length = rule->length;
    switch (rule->form) {
    case Form::AxisValue:
        if (!isNumeric(after.mid(1), &plain))
            return false;
        v << plain;
        break;
    case Form::None:
        break;
    case Form::Parameter: {
        if (!isNumeric(after.left(2), &plain))
            return false;
        v << plain;
        if (plain == QLatin1String("53")) {
            length = 12;
            const QStringList fields = after.split(QLatin1Char(','));
            if (fields.size() != 5)
                return false;
            QString joined;
            for (qsizetype i = 1; i < fields.size(); ++i) {
                if (!isNumeric(fields.at(i), nullptr))
                    return false;
                joined += fields.at(i);
            }
            v << joined;
        } else {
            if (!isNumeric(after.mid(3), &plain))
                return false;
            v << plain;
        }
        break;
    }
    case Form::Speed:
        if (!numericFields(after.mid(1), 3, &v))
            return false;
        break;
    case Form::Counter:
        for (int i = 0; i < 4; ++i) {
            if (!isNumeric(after.mid(i), nullptr))
                return false;
            v << after.mid(i, 1);
        }
        break;
    case Form::WholeNumber:
        if (!isNumeric(after, &plain))
            return false;
        v << plain;
        break;
    case Form::U02: {
        const QStringList fields = after.split(QLatin1Char(','));
        // The letter must be one the program file holds, or the program would not reopen.
        if (fields.size() != 3 || !fileHoldsLetterValue(fields.at(0)))
            return false;
        v << fields.at(0);
        for (int i = 1; i < 3; ++i) {
            if (!isNumeric(fields.at(i), &plain))
                return false;
            v << plain;
        }
        break;
    }
    case Form::U03:
        if (!numericFields(after, 2, &v))
            return false;
        break;
    case Form::Comment:
        v << after;
        break;
    }
    if (length != 0 && element.size() != length)
        return false;

    *iCmd = rule->command;
    *values = ValueArray{QString::number(rule->command)} + v;
    return true;
}

const UploadRecord& UploadBuffer::record(int iStep, int iAxis) const {
    return m_records[static_cast<size_t>((iStep - 1) * MaxAxes + (iAxis - 1))];
}

UploadRecord& UploadBuffer::recordRef(int iStep, int iAxis) {
    return m_records[static_cast<size_t>((iStep - 1) * MaxAxes + (iAxis - 1))];
}

void UploadBuffer::beginUpload(int iChannel) {
    for (UploadRecord& r : m_records)
        r.command = Cmd::Filler;
    m_nextStep = 1;
    m_axisCount = RunConfig::controllerType();
    m_channel = iChannel;
}

bool UploadBuffer::storeUploadLine(const QString& line) {
    if (m_nextStep > MaxSteps)
        return false;
    const QStringList elements = line.split(QLatin1Char('|'));
    if (elements.size() > MaxAxes)
        return false;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const int axis = static_cast<int>(i) + 1;
        int cmd = 0;
        ValueArray values;
        if (!convertUploadElement(elements.at(i), &cmd, &values)) {
            // A refused line leaves nothing of itself behind for a later line of this step.
            for (int a = 1; a <= MaxAxes; ++a)
                recordRef(m_nextStep, a).command = Cmd::Filler;
            return false;
        }
        UploadRecord& r = recordRef(m_nextStep, axis);
        r.command = cmd;
        for (int k = 1; k < static_cast<int>(r.values.size()); ++k)
            r.values[static_cast<size_t>(k)] = k < values.size() ? values.at(k) : QString();
        if (cmdAllAxes(cmd)) {
            for (int a = 2; a <= MaxAxes; ++a)
                recordRef(m_nextStep, a) = recordRef(m_nextStep, 1);
            break;
        }
    }
    ++m_nextStep;
    return true;
}

ProgramDoc* UploadBuffer::finishUpload(ProgramWindowMaker& maker) {
    if (m_axisCount == 1 && m_nextStep > 101)
        m_nextStep = 101;
    ProgramDoc* doc = maker.makeNewForm(m_axisCount);
    if (doc == nullptr)
        return nullptr;
    const int steps = m_nextStep - 1;
    doc->setStep(steps);
    doc->setGridTact(false);
    for (int s = 1; s <= doc->getStep(); ++s) {
        for (int a = 1; a <= m_axisCount; ++a) {
            const UploadRecord& r = record(s, a);
            ValueArray data{QString::number(r.command)};
            for (int k = 1; k <= cmdValueCount(r.command); ++k)
                data << r.values[static_cast<size_t>(k)];
            doc->bPutProgCell(a, s, r.command, data);
        }
    }
    doc->setGridTact(true);
    doc->setDirty(false);
    return doc;
}

UploadBuffer& uploadBuffer() {
    static UploadBuffer buffer;
    return buffer;
}
