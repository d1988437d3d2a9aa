#include "korvel/shell/commandpictures.h"

#include "korvel/model/commandtable.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <array>
#include <cmath>

namespace {

constexpr int kSide = 32;

// Code shown on the picture and its family colour, by command number.
struct Look {
    const char* label;
    QRgb colour;
};

constexpr QRgb kMotion = 0xff1f5fa8;
constexpr QRgb kSetting = 0xff2e7d32;
constexpr QRgb kFlow = 0xffc26a00;
constexpr QRgb kWait = 0xff6a3d9a;
constexpr QRgb kNote = 0xff5f6b73;

constexpr Look kLooks[Cmd::Count] = {
    {"AGO", kMotion}, {"BGO", kMotion}, {"MGO", kMotion}, {"H", kMotion},  {"P", kSetting},
    {"D", kSetting},  {"R", kMotion},   {"C", kSetting},  {"S", kSetting}, {"U00", kFlow},
    {"U01", kFlow},   {"U02", kFlow},   {"U03", kFlow},   {"U04", kWait},  {"U99", kFlow},
    {"W", kWait},     {"#", kNote},
};

QPixmap draw(int cmd) {
    const Look& look = kLooks[cmd - 1];
    QPixmap pm(kSide, kSide);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(look.colour).darker(140), 1));
    p.setBrush(QColor(look.colour));
    p.drawRoundedRect(QRectF(0.5, 0.5, kSide - 1, kSide - 1), 5, 5);
    const QString label = QString::fromLatin1(look.label);
    QFont f = QGuiApplication::font();
    f.setBold(true);
    f.setPixelSize(label.size() > 1 ? 11 : 18);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSide, kSide), Qt::AlignCenter, label);
    return pm;
}

const std::array<QPixmap, Cmd::Count>& pictures() {
    static const std::array<QPixmap, Cmd::Count> all = [] {
        std::array<QPixmap, Cmd::Count> a;
        for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd)
            a[static_cast<size_t>(cmd - 1)] = draw(cmd);
        return a;
    }();
    return all;
}

const QScreen* screenOf(const QWidget* widget) {
    if (widget && widget->screen())
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

int toPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

} // namespace

namespace CommandPictures {

QSize pictureSize() {
    return QSize(kSide, kSide);
}

QPixmap picture(int cmd) {
    if (cmd < Cmd::First || cmd > Cmd::Last)
        return QPixmap();
    return pictures()[static_cast<size_t>(cmd - 1)];
}

QIcon icon(int cmd) {
    return QIcon(picture(cmd));
}

} // namespace CommandPictures

int twipsToPixelsX(double twips, const QWidget* widget) {
    const QScreen* s = screenOf(widget);
    return toPixels(twips, s ? s->logicalDotsPerInchX() : 96.0);
}

int twipsToPixelsY(double twips, const QWidget* widget) {
    const QScreen* s = screenOf(widget);
    return toPixels(twips, s ? s->logicalDotsPerInchY() : 96.0);
}
