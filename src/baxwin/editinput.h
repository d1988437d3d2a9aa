#pragma once

#include "baxwin/partables.h"

#include <QString>

// The checks and the normalisation of a value typed into the editor.
namespace EditInput {

// The message key of the first rule the text breaks ("Mes011" or "Mes028"); empty when the text
// is acceptable for parameter n.
QString refusalKey(int n, const QString& text, const ParDefs& defs);
// checkInput: refusalKey, with the warning shown for a refused text.
bool checkInput(int n, const QString& text, const ParDefs& defs);
// The text commitEdit stores: parameter 53 unchanged, every other the plain form of its value.
QString committedText(int n, const QString& text);

} // namespace EditInput
