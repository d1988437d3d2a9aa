#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// Every value is held as text. Where a number is needed, the text is read by its longest leading
// part that forms a decimal number: leading blanks skipped, an optional sign, digits, an optional
// decimal point with further digits. A text without such a part reads as 0.
namespace Numbers {

struct LeadingNumber {
    bool negative = false;
    QString intDigits;  // may be empty (".5")
    QString fracDigits; // digits after the point, may be empty
    bool found = false; // at least one digit was read
};

LeadingNumber scanLeadingNumber(QStringView text);
double numericValue(QStringView text);
// Halves go to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
double roundHalfEven(double v);
// Shortest decimal text of the leading number: no "+", no leading zeros but a single "0" before
// the point, no trailing fractional zeros, "-" only for values other than zero.
QString plainForm(QStringView text);
// 1 when the command-line argument's numeric value rounds (half to even) to 1, else 0.
int languageNumberFromArgument(const QString& argument);

} // namespace Numbers
