#pragma once

#include "shared/seriallink.h"

#include <QTimer>

// A link timer over a window's QTimer: one tick per start, delivered on the window thread to
// whatever the window connected to the QTimer's timeout. Precise: a coarse timer may fire 5 %
// early, and a reply at 2.9 s of 3 s is a reply.
class QtLinkTimer : public LinkTimer {
public:
    explicit QtLinkTimer(QTimer* timer) : m_timer(timer) {
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
    }
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
