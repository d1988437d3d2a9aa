#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// What the settings and the link require of a serial port: select port n (COMn), line
// parameters from a settings string such as 9600,N,8,1, open, close, is-open, write, read all
// waiting bytes, and a notification per arrival delivered on the window thread. One character is
// one byte on the wire. The Qt implementation sits in the ui layer over QSerialPort.
class SerialPortService {
public:
    virtual ~SerialPortService() = default;

    virtual void setCommPort(int n) = 0;
    virtual int commPort() const = 0;
    virtual void setSettings(const QString& settings) = 0;
    virtual QString settings() const = 0;
    // Opening a port that does not exist or is held elsewhere fails; closing a closed port is
    // harmless. After opening, whatever the device had buffered is discarded.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Receive notifications on (threshold 1) or off (threshold 0).
    virtual void setReceiveNotifications(bool on) = 0;
    virtual void setReceiveHandler(std::function<void()> handler) = 0;
    // The system's reason for the last failure, for logs and tools.
    virtual QString lastError() const = 0;
};
