#include "shared/ui/captions.h"

#include "shared/inifile.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QVariant>
#include <QWidget>

namespace Captions {

void setTag(QObject* control, const QString& key) {
    control->setProperty(TagProperty, key);
}

QString tag(const QObject* control) {
    return control->property(TagProperty).toString();
}

} // namespace Captions

namespace {

void setCaption(QObject* control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setText(text);
    else if (auto* widget = qobject_cast<QWidget*>(control))
        widget->setWindowTitle(text);
}

} // namespace

void CaptionSet(QWidget* frmForm, const QString& strSec) {
    const QList<QObject*> controls = frmForm->findChildren<QObject*>();
    for (QObject* control : controls) {
        const QString key = Captions::tag(control);
        if (key.isEmpty())
            continue;
        setCaption(control, langFile().GetINIStr(strSec, key, QString()));
    }
}

void CaptionChange(QWidget* frmForm) {
    CaptionSet(frmForm, frmForm->objectName());
}
