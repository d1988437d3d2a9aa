#include "korvel/shell/linkmessenger.h"

#include "korvel/shell/messages.h"

void KorvelLinkMessenger::showLinkMessage(int code) {
    showMessage(code);
}
