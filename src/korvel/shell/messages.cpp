#include "korvel/shell/messages.h"

#include "shared/inifile.h"

namespace {

struct Row {
    MsgButtons buttons;
    MsgIcon icon;
    bool prefix; // the caller's text goes in front of the message
};

constexpr Row kRows[21] = {
    {MsgButtons::YesNoCancel, MsgIcon::Question, true}, // 0, built specially
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 1
    {MsgButtons::Ok, MsgIcon::Exclamation, false},      // 2
    {MsgButtons::Ok, MsgIcon::Exclamation, true},       // 3
    {MsgButtons::Ok, MsgIcon::Exclamation, false},      // 4
    {MsgButtons::Ok, MsgIcon::Information, false},      // 5
    {MsgButtons::Ok, MsgIcon::Information, false},      // 6
    {MsgButtons::Ok, MsgIcon::Exclamation, false},      // 7
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 8
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 9
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 10
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 11
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 12
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 13
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 14
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 15
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 16
    {MsgButtons::Ok, MsgIcon::Critical, true},          // 17
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 18
    {MsgButtons::Ok, MsgIcon::Critical, true},          // 19
    {MsgButtons::Ok, MsgIcon::Critical, false},         // 20
};

} // namespace

QString programTitle() {
    return QStringLiteral("Korvel");
}

QString messageKey(int code) {
    if (code == 19)
        return QStringLiteral("Mes050");
    if (code == 20)
        return QStringLiteral("Mes051");
    return QStringLiteral("Mes%1").arg(code + 2, 3, 10, QLatin1Char('0'));
}

MessageRequest messageRequest(int code, const QString& s) {
    Q_ASSERT(code >= 0 && code <= 20);
    const Row& row = kRows[code];
    const QString text = langFile().GetINIStr(QStringLiteral("MsgBox"), messageKey(code));
    MessageRequest r;
    r.title = programTitle();
    r.buttons = row.buttons;
    r.icon = row.icon;
    r.defaultButton = row.buttons == MsgButtons::YesNoCancel ? MsgResult::Yes : MsgResult::Ok;
    if (code == Msg::SaveChanges)
        r.text = QLatin1Char('\'') + s + QStringLiteral("'  ") + text;
    else if (row.prefix)
        r.text = s + text;
    else
        r.text = text;
    return r;
}

MsgResult showMessage(int code, const QString& s) {
    return presentMessage(messageRequest(code, s));
}

MsgResult showKeyedMessage(const QString& key, const QString& s, MsgIcon icon,
                           const QString& after) {
    MessageRequest r;
    r.title = programTitle();
    r.text = s + langFile().GetINIStr(QStringLiteral("MsgBox"), key) + after;
    r.icon = icon;
    return presentMessage(r);
}

MsgResult showInformation(const QString& key) {
    MessageRequest r;
    r.title = programTitle();
    r.text = langFile().GetINIStr(QStringLiteral("MsgBox"), key);
    r.icon = MsgIcon::Information;
    return presentMessage(r);
}
