#include "korvel/shell/dlgWait.h"

#include "korvel/shell/dlgInit.h"
#include "shared/inifile.h"
#include "shared/ui/windowrules.h"

#include <QLabel>

dlgWait::dlgWait(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_lblMsg(new QLabel(this)) {
    setObjectName(QStringLiteral("dlgWait"));
    m_lblMsg->setObjectName(QStringLiteral("lblMsg"));
    setWindowTitle(QString());
    setFixedSize(twipsToPixels(this, 4245, 855));
    WindowRules::refuseMinimise(this);
}

void dlgWait::ShowDialog() {
    layoutWaitLabel(m_lblMsg, this,
                    langFile().GetINIStr(QStringLiteral("WaitLabel"), QStringLiteral("Mes002")));
    if (m_closed)
        return;
    centreOnParent(this);
    exec();
}

void dlgWait::closeDialog() {
    m_closed = true;
    if (isVisible())
        done(QDialog::Accepted);
}
