#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The controller's view of one program step: what it accepts in the editor's transmission form
// and what it sends back, in its own fixed-width form, when a program is read back.
namespace Sim {

enum Command {
    CmdAgo = 1,
    CmdBgo,
    CmdMgo,
    CmdHome,
    CmdParam,
    CmdSpeed,
    CmdRel,
    CmdOutput,
    CmdSelect,
    CmdFiller,
    CmdU01,
    CmdU02,
    CmdU03,
    CmdU04,
    CmdU99,
    CmdWait,
    CmdComment
};

struct StepElement {
    int command = 0;
    // 1..3 for an axis element; 0 for an element that stands for the whole step.
    int axis = 0;
    // Numbers in plain decimal form; parameter 53 as its four digits; comment and the U02
    // letter value as received.
    QStringList values;

    bool operator==(const StepElement& o) const {
        return command == o.command && axis == o.axis && values == o.values;
    }
};
using Step = QVector<StepElement>;

// Code with its colon ("AGO:") of a command 1..17; empty outside that range.
QString commandCode(int command);
// Command whose code the request starts with (text up to and including the first ":"), or 0.
int commandForCode(const QString& codeWithColon);
bool isStepWide(int command); // transmitted once for the whole step
bool isAxisParameter(int paramNo);

// Accepts one step text as the editor transmits it for a controller of axisCount axes: either
// one element per axis joined by "|", the element of axis i carrying letter i where its command
// has one, or a single step-wide element. Every value is checked against the command's range.
bool parseStepText(const QString& text, int axisCount, Step* step, QString* why);

// The step in the editor's transmission form (normalised values).
QString renderStepText(const Step& step);

// The step as the controller sends it back: fixed-width elements joined by "|".
QString renderUploadLine(const Step& step);
QString renderUploadElement(const StepElement& element);

// The value text of parameter p in the fixed form the editor sends and the controller answers:
// at least two digits for 4, 52, 90; three for 22; sign and eight digits for 11, 14, 15, 25, 26,
// 73; the plain number otherwise.
QString formatParameterValue(int p, const QString& plain);
// Checks a parameter value text in that form (whole numbers only unless allowFraction, which
// applies to the parameters without a fixed form) and gives its plain decimal text.
bool readParameterValue(int p, const QString& text, bool allowFraction, QString* plain);
// The four digits of parameter 53 (each at most 3, 1, 2, 1), sent as four fields.
bool readParam53(const QStringList& fields, QString* digits);

// "+00001000" style: sign and at least `digits` digits.
QString signedField(qint64 value, int digits);
// Zero-padded to at least `digits` digits, "-" kept before the digits.
QString zeroPadded(qint64 value, int digits);

} // namespace Sim
