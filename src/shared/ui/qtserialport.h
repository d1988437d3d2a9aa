#pragma once

#include "shared/serialport.h"

#include <QObject>
#include <QSerialPort>

// The serial port of a program over QSerialPort. COMn is the device PortMap names; the line
// parameters come from the settings string and are given to the device at every opening.
class QtSerialPort : public QObject, public SerialPortService {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setCommPort(int n) override { m_commPort = n; }
    int commPort() const override { return m_commPort; }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    void setReceiveNotifications(bool on) override { m_notify = on; }
    void setReceiveHandler(std::function<void()> handler) override {
        m_handler = std::move(handler);
    }
    QString lastError() const override { return m_lastError; }

    // The device behind the selected port.
    QString deviceName() const;

private:
    void applyLineParameters();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    QString failureReason(QSerialPort::SerialPortError error) const;

    QSerialPort m_port;
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    bool m_notify = false;
    std::function<void()> m_handler;
    QString m_lastError;
};
