#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

class QWidget;

// The palette's image list: one picture per command, drawn at run time from the command's code
// on a colour of its command family. All pictures have the same size.
namespace CommandPictures {
QSize pictureSize();
// Picture of command 1 to 17; a null pixmap for 0 (no picture).
QPixmap picture(int cmd);
QIcon icon(int cmd);
} // namespace CommandPictures

// Twips (1440 to the inch) to pixels at the logical resolution of the widget's screen (or the
// primary screen).
int twipsToPixelsX(double twips, const QWidget* widget = nullptr);
int twipsToPixelsY(double twips, const QWidget* widget = nullptr);
