#pragma once

#include "shared/seriallink.h"

#include <QTimer>

// A link timer over a window's QTimer: one tick per start, delivered on the window thread to
// whatever the window connected to the QTimer's timeout.
class QtLinkTimer : public LinkTimer {
public:
    explicit QtLinkTimer(QTimer* timer) : m_timer(timer) { m_timer->setSingleShot(true); }
    void start(int intervalMs) override {
        m_timer->setInterval(intervalMs);
        m_timer->start();
    }
    void stop() override { m_timer->stop(); }
    bool isActive() const override { return m_timer->isActive(); }
    int interval() const override { return m_timer->interval(); }
    QTimer* timer() const { return m_timer; }

private:
    QTimer* m_timer;
};
