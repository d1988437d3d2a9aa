#include "baxwin/baxmessages.h"

#include "shared/inifile.h"

namespace BaxMsg {

QString text(const QString& key) {
    return langFile().GetINIStr(QStringLiteral("MsgBox"), key, QString());
}

MsgResult showText(const QString& text, MsgIcon icon) {
    MessageRequest r;
    r.text = text;
    r.icon = icon;
    return presentMessage(r);
}

MsgResult show(const QString& key, MsgIcon icon) {
    return showText(text(key), icon);
}

MsgResult show(const QString& key1, const QString& key2, MsgIcon icon) {
    return showText(text(key1) + QStringLiteral("\r\n") + text(key2), icon);
}

bool ask(const QString& key) {
    MessageRequest r;
    r.text = text(key);
    r.icon = MsgIcon::Question;
    r.buttons = MsgButtons::OkCancel;
    r.defaultButton = MsgResult::Ok;
    return presentMessage(r) == MsgResult::Ok;
}

} // namespace BaxMsg
