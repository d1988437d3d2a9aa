#include "shared/ui/windowrules.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace WindowRules {

namespace {

class MinimiseRefuser : public QObject {
public:
    explicit MinimiseRefuser(QWidget* window) : QObject(window), m_window(window) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::WindowStateChange &&
            m_window->isMinimized()) {
            // The state change is reported before it has taken effect; undo it afterwards.
            QTimer::singleShot(0, m_window, [w = m_window] {
                if (w->isMinimized())
                    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            });
        }
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

void refuseMinimise(QWidget* window) {
    new MinimiseRefuser(window);
}

} // namespace WindowRules
