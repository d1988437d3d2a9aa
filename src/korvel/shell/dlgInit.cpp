#include "korvel/shell/dlgInit.h"

#include "shared/inifile.h"
#include "shared/ui/windowrules.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

namespace {
int& displayTimeMs() {
    static int ms = dlgInit::DisplayTimeMs;
    return ms;
}
} // namespace

QSize twipsToPixels(const QWidget* window, int widthTwips, int heightTwips) {
    const int dpiX = window->logicalDpiX();
    const int dpiY = window->logicalDpiY();
    return QSize(widthTwips * dpiX / 1440, heightTwips * dpiY / 1440);
}

void layoutWaitLabel(QLabel* label, QWidget* window, const QString& text) {
    QFont font = label->font();
    font.setPointSize(16);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setText(text);
    label->adjustSize();
    // A longer text than the design's widens the window instead of being cut.
    const int margin = label->fontMetrics().averageCharWidth() * 2;
    if (label->width() + margin > window->width())
        window->setFixedWidth(label->width() + margin);
    if (label->height() > window->height())
        window->setFixedHeight(label->height() + margin);
    label->move((window->width() - label->width()) / 2, (window->height() - label->height()) / 2);
}

void centreOnParent(QWidget* dialog) {
    const QWidget* parent = dialog->parentWidget();
    if (parent == nullptr)
        return;
    const QRect frame = parent->frameGeometry();
    dialog->move(frame.center() - dialog->rect().center());
}

dlgInit::dlgInit(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_lblMsg(new QLabel(this)),
      m_tmrInit(new QTimer(this)) {
    setObjectName(QStringLiteral("dlgInit"));
    m_lblMsg->setObjectName(QStringLiteral("lblMsg"));
    m_tmrInit->setObjectName(QStringLiteral("tmrInit"));
    m_tmrInit->setSingleShot(true);
    m_tmrInit->setTimerType(Qt::PreciseTimer);
    connect(m_tmrInit, &QTimer::timeout, this, &QDialog::accept);
    setFixedSize(twipsToPixels(this, 3405, 885));
    layoutWaitLabel(m_lblMsg, this,
                    langFile().GetINIStr(QStringLiteral("WaitLabel"), QStringLiteral("Mes001")));
    WindowRules::refuseMinimise(this);
}

void dlgInit::setDisplayTime(int ms) {
    displayTimeMs() = ms;
}

int dlgInit::displayTime() {
    return displayTimeMs();
}

void dlgInit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParent(this);
    m_tmrInit->start(displayTimeMs());
}

void dlgInit::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // Shape1: the borderless window's frame.
    QPainter painter(this);
    painter.setPen(QPen(palette().windowText().color(), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
