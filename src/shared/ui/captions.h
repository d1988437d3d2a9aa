#pragma once

#include <QString>

class QObject;
class QWidget;

// A translated control carries its caption key in the dynamic property "Tag"; controls with an
// empty Tag keep their design caption. Buttons, group frames, labels, menus and menu entries
// (QAction) are handled.
namespace Captions {
inline constexpr const char* TagProperty = "Tag";
void setTag(QObject* control, const QString& key);
QString tag(const QObject* control);
} // namespace Captions

// Loads the captions of every tagged control of the window from the section named like the
// window (its objectName). A missing key gives an empty caption.
void CaptionChange(QWidget* frmForm);
// The same from the section strSec.
void CaptionSet(QWidget* frmForm, const QString& strSec);
