#pragma once

#include "baxwin/paramlink.h"
#include "shared/serialport.h"

#include <QStringList>

#include <functional>

// A scripted controller behind a port double, for the protocol logic alone. Replies are queued
// when a request goes out and delivered by pump(), as the event loop would deliver them later.
class FakePort : public SerialPortService {
public:
    // The reply line(s) to a request without its CR LF; a null text sends nothing.
    std::function<QString(const QString& request)> responder;
    QStringList sent; // every request, CR LF removed
    bool failOpen = false;
    bool notifications = true;
    int opens = 0;

    void setCommPort(int n) override { m_port = n; }
    int commPort() const override { return m_port; }
    void setSettings(const QString& s) override { m_settings = s; }
    QString settings() const override { return m_settings; }
    bool open() override {
        ++opens;
        m_open = !failOpen;
        m_pending.clear();
        return m_open;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override {
        QString req = QString::fromLatin1(bytes);
        if (req.endsWith(QLatin1String("\r\n")))
            req.chop(2);
        sent.append(req);
        if (responder) {
            const QString reply = responder(req);
            if (!reply.isNull())
                m_queued.append(reply);
        }
        return true;
    }
    QByteArray readAll() override {
        const QByteArray b = m_pending;
        m_pending.clear();
        return b;
    }
    void setReceiveNotifications(bool on) override { notifications = on; }
    void setReceiveHandler(std::function<void()> handler) override {
        m_handler = std::move(handler);
    }
    QString lastError() const override { return QString(); }

    // Characters arriving from the controller.
    void arrive(const QString& text) {
        if (!m_open)
            return;
        m_pending += text.toLatin1();
        if (notifications && m_handler)
            m_handler();
    }
    // Delivers queued replies until none is left; returns how many were delivered.
    int pump() {
        int count = 0;
        while (!m_queued.isEmpty()) {
            arrive(m_queued.takeFirst());
            ++count;
        }
        return count;
    }

private:
    int m_port = 0;
    QString m_settings;
    bool m_open = false;
    QByteArray m_pending;
    QStringList m_queued;
    std::function<void()> m_handler;
};

class FakeTimer : public LinkTimer {
public:
    bool isActive() const override { return running; }
    int interval() const override { return interval_; }
    void start(int intervalMs) override {
        running = true;
        interval_ = intervalMs;
        intervals.append(intervalMs);
    }
    void stop() override { running = false; }
    bool running = false;
    int interval_ = 0;
    QList<int> intervals;
};
