#pragma once

#include "shared/messagebox.h"

#include <QString>

// Baxwin's message boxes: texts of section "MsgBox", an OK button (or OK and Cancel for the
// questions) and an empty title. Two keys give the first text, CR LF, then the second.
namespace BaxMsg {
QString text(const QString& key);
MsgResult show(const QString& key, MsgIcon icon);
MsgResult show(const QString& key1, const QString& key2, MsgIcon icon);
// A question with OK and Cancel; true when confirmed.
bool ask(const QString& key);
// A free text (a file error with the system's reason).
MsgResult showText(const QString& text, MsgIcon icon);
} // namespace BaxMsg
