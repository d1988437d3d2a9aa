#pragma once

#include "shared/serialport.h"

#include <QTimer>

// A serial port that closes for real only when the program is back in its event loop. A chain
// of requests closes the port at the end of one exchange and opens it again for the next one
// within the same event; that reopening then keeps the device and only drops the characters
// received meanwhile, as a fresh opening would. Opening a device takes a lock file written to
// disk, which would cost more than the exchange itself on a fast line.
class LingeringPort : public SerialPortService {
public:
    explicit LingeringPort(SerialPortService& device);
    ~LingeringPort() override;
    LingeringPort(const LingeringPort&) = delete;
    LingeringPort& operator=(const LingeringPort&) = delete;

    void setCommPort(int n) override;
    int commPort() const override { return m_device.commPort(); }
    void setSettings(const QString& settings) override { m_device.setSettings(settings); }
    QString settings() const override { return m_device.settings(); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    void setReceiveNotifications(bool on) override { m_device.setReceiveNotifications(on); }
    void setReceiveHandler(std::function<void()> handler) override;
    QString lastError() const override { return m_device.lastError(); }

    // Whether the device itself is open (open, or closed but not yet released).
    bool deviceOpen() const { return m_device.isOpen(); }
    // Releases the device now.
    void closeDevice();

private:
    SerialPortService& m_device;
    QTimer m_release;
    bool m_open = false;
    std::function<void()> m_handler;
};
