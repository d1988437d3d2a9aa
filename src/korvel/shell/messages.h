#pragma once

#include "shared/messagebox.h"

#include <QString>

// The numbered message boxes of Korvel: a code names the text key of section "MsgBox", the
// buttons and the icon; some codes put the caller's text in front of the message.
namespace Msg {
inline constexpr int SaveChanges = 0;
inline constexpr int ProgramFull = 1;
inline constexpr int BeyondLastStep = 2;
inline constexpr int ValueArrayShort = 3;
inline constexpr int NoReply = 4;
inline constexpr int DownloadStopped = 5;
inline constexpr int DownloadDone = 6;
inline constexpr int ErrorReply0 = 7; // "!0" .. "!8" are codes 7 .. 15
inline constexpr int ErrorReplyOther = 16;
inline constexpr int ValueRefused = 17;
inline constexpr int FileStepInvalid = 18;
inline constexpr int ParamNotSettable = 19;
inline constexpr int FileHeaderInvalid = 20;
} // namespace Msg

// The program's name, the title of every numbered message box.
QString programTitle();
// The request showMessage would present, without showing it (for the command-line tools).
MessageRequest messageRequest(int code, const QString& s = QString());
// The section "MsgBox" key of a code ("Mes002" for 0, ..., "Mes050" for 19, "Mes051" for 20).
QString messageKey(int code);
MsgResult showMessage(int code, const QString& s = QString());
// Direct information boxes of section "MsgBox" ("Mes000", "Mes001", "Mes021").
MsgResult showInformation(const QString& key);
// An OK box with the caller's text s in front of the text of a "MsgBox" key.
MsgResult showKeyedMessage(const QString& key, const QString& s, MsgIcon icon,
                           const QString& after = QString());
namespace MsgKey {
inline const QString CommentComma = QStringLiteral("Mes052"); // a comment cannot hold ","
inline const QString NotSaved = QStringLiteral("Mes053");     // the program was not saved
inline const QString RecentGone = QStringLiteral("Mes054");   // a recent file has gone
inline const QString LogNotSaved = QStringLiteral("Mes058");  // the traffic log was not saved
} // namespace MsgKey
