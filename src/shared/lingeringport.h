#pragma once

#include "shared/serialport.h"

#include <QTimer>

// The serial port as the link sees it, releasing the device only once the program is back in
// its event loop. The link closes the port at the end of every exchange and a chain of requests
// opens it again for the next one within the same event; that reopening keeps the device and
// drops what was received meanwhile, as a fresh opening does. Opening a device writes a lock
// file, which costs more than a whole exchange on a fast line.
class LingeringPort : public SerialPortService {
public:
    explicit LingeringPort(SerialPortService* device);
    ~LingeringPort() override;
    LingeringPort(const LingeringPort&) = delete;
    LingeringPort& operator=(const LingeringPort&) = delete;

    void setCommPort(int n) override;
    int commPort() const override { return m_device->commPort(); }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_device->settings(); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    void setReceiveNotifications(bool on) override { m_device->setReceiveNotifications(on); }
    void setReceiveHandler(std::function<void()> handler) override;
    QString lastError() const override { return m_device->lastError(); }

    // The device itself is open (in use, or closed but not yet released).
    bool deviceOpen() const { return m_device->isOpen(); }
    void releaseDevice();

private:
    SerialPortService* m_device;
    QTimer m_release;
    bool m_open = false;
    std::function<void()> m_handler;
};
