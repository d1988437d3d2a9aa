#include "shared/ui/qtserialport.h"

#include "shared/portmap.h"

#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    close();
}

QString QtSerialPort::deviceName() const {
    return PortMap::devicePath(m_commPort);
}

void QtSerialPort::setSettings(const QString& settings) {
    m_settings = settings;
    if (m_port.isOpen())
        applyLineParameters();
}

void QtSerialPort::applyLineParameters() {
    const QStringList parts = m_settings.split(QLatin1Char(','));
    if (parts.size() != 4)
        return;
    bool ok = false;
    const int baud = parts.at(0).trimmed().toInt(&ok);
    if (ok && baud > 0)
        m_port.setBaudRate(baud);
    const QString parity = parts.at(1).trimmed().toUpper();
    if (parity == QLatin1String("N"))
        m_port.setParity(QSerialPort::NoParity);
    else if (parity == QLatin1String("E"))
        m_port.setParity(QSerialPort::EvenParity);
    else if (parity == QLatin1String("O"))
        m_port.setParity(QSerialPort::OddParity);
    const QString data = parts.at(2).trimmed();
    if (data == QLatin1String("7"))
        m_port.setDataBits(QSerialPort::Data7);
    else if (data == QLatin1String("8"))
        m_port.setDataBits(QSerialPort::Data8);
    const QString stop = parts.at(3).trimmed();
    if (stop == QLatin1String("1"))
        m_port.setStopBits(QSerialPort::OneStop);
    else if (stop == QLatin1String("2"))
        m_port.setStopBits(QSerialPort::TwoStop);
}

bool QtSerialPort::open() {
    if (m_port.isOpen()) {
        m_lastError = QStringLiteral("port already open");
        return false;
    }
    m_port.setPortName(deviceName());
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_lastError = deviceName() + QStringLiteral(": cannot open: ") + m_port.errorString();
        return false;
    }
    // The last failure's reason is about this device as it is now.
    m_lastError.clear();
    applyLineParameters();
    // A port that was closed has received nothing: drop what the device kept meanwhile.
    m_port.clear(QSerialPort::AllDirections);
    m_port.readAll();
    return true;
}

void QtSerialPort::close() {
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::write(const QByteArray& bytes) {
    if (!m_port.isOpen()) {
        m_lastError = QStringLiteral("write on a closed port");
        return false;
    }
    const qint64 written = m_port.write(bytes);
    if (written != bytes.size()) {
        m_lastError = m_port.errorString();
        return false;
    }
    m_port.flush();
    return true;
}

QByteArray QtSerialPort::readAll() {
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialPort::onReadyRead() {
    if (m_notify && m_handler)
        m_handler();
}

QString QtSerialPort::failureReason(QSerialPort::SerialPortError error) const {
    // The full path: the port's own name drops /dev/ and would not be found.
    const QString device = deviceName();
    if (!QFileInfo::exists(device))
        return device + QStringLiteral(": the device has gone");
#ifdef Q_OS_UNIX
    // A hung-up line reads as its end; the port's own text then names whatever error the system
    // saw last, not this one.
    if (m_port.isOpen() && error == QSerialPort::ReadError) {
        pollfd p{static_cast<int>(m_port.handle()), POLLIN, 0};
        if (::poll(&p, 1, 0) >= 0 && (p.revents & (POLLHUP | POLLERR)) != 0)
            return device + QStringLiteral(": hang-up (the line was closed at the other end)");
    }
#endif
    const QString kind = error == QSerialPort::WriteError  ? QStringLiteral("write error: ")
                         : error == QSerialPort::ReadError ? QStringLiteral("read error: ")
                                                           : QString();
    return device + QStringLiteral(": ") + kind + m_port.errorString();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError)
        return;
    m_lastError = failureReason(error);
    // A device that is gone, hung up or failing keeps reporting at every turn of the event
    // loop: closing it stops the watching. The exchange ends through its reply time-out, and
    // the next request opens the port afresh.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
         error == QSerialPort::WriteError) &&
        m_port.isOpen())
        m_port.close();
}
