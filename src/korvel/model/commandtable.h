#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The vocabulary of the seventeen controller commands and the limits of the controller
// parameters that the parameter command sets.

// A value array: element 0 the command number as decimal text (or empty where only values are
// meant), elements 1 to valueCount the values.
using ValueArray = QStringList;

namespace Cmd {
inline constexpr int First = 1;
inline constexpr int Last = 17;
inline constexpr int Count = 17;
inline constexpr int AbsoluteGo = 1; // "AGO:"
inline constexpr int BothGo = 2;     // "BGO:"
inline constexpr int Parameter = 5;  // "P:"
inline constexpr int Speed = 6;      // "D:"
inline constexpr int Filler = 10;    // "U00:"
inline constexpr int Comment = 17;   // "#:"
} // namespace Cmd

enum class CommandField {
    Name = 1,
    Code,
    SentOnce,
    AxisLetter,
    Labels,
    Units,
    Ranges,
    ValueCount,
    AllAxes,
    SameInStep
};

struct CommandDef {
    QString name;
    QString code;
    QString sentOnce;
    QString axisLetter;
    QString labels;
    QString units;
    QString ranges;
    QString valueCount;
    QString allAxes;
    QString sameInStep;
};

// Reads names, labels and units from section "Tool" of the language file.
void buildCommandTable();
void buildParameterLimits();

// Accessors by command number 1 to 17; other numbers are a program error.
const CommandDef& commandDef(int cmd);
QString commandField(int cmd, CommandField field);
QString cmdName(int cmd);
QString cmdCode(int cmd);
int cmdValueCount(int cmd);
bool cmdSentOnce(int cmd);
bool cmdAxisLetter(int cmd);
bool cmdAllAxes(int cmd);
bool cmdSameInStep(int cmd);
// The range tokens split at ",".
QStringList cmdRangeTokens(int cmd);

QString getParamMin(int n);
QString getParamMax(int n);

ValueArray defaultValues(int cmd);
// First command, in number order, whose name equals the text; 0 when none does.
int findCommandByName(const QString& text);

struct ValueCheck {
    bool accepted = false;
    QString normalised;
};

ValueCheck checkValue(const QString& text, const QString& minToken, const QString& maxToken,
                      QChar lastLetter, bool ignoreCase);
bool checkTextValue(const QString& text, const QString& minToken, const QString& maxToken);
// A letter value as the program file can hold it: one letter followed by digits only (B5 is
// one; B# and Bw are not: the file would read them back as other commands or refuse them).
bool isLetterValue(const QString& text);
// A letter value that a program file can hold and reopen: its form, and the reader's rule
// (a letter up to F in either case).
bool fileHoldsLetterValue(const QString& text);
// The token pair of a value that may be a letter (command 12's first value).
bool isLetterToken(const QString& minToken, const QString& maxToken);
bool checkParameterValue(const QString& paramNo, const QString& valueText);
// Command 6: the first value read as a number must not exceed the second.
bool checkSpeedOrder(const QString& first, const QString& second);
// Parameters that the parameter command may not set from a program.
bool isParamSettable(const QString& text);
