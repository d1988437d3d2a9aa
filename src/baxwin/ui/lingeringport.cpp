#include "baxwin/ui/lingeringport.h"

LingeringPort::LingeringPort(SerialPortService& device) : m_device(device) {
    m_release.setSingleShot(true);
    m_release.setInterval(0);
    QObject::connect(&m_release, &QTimer::timeout, [this] {
        if (!m_open)
            closeDevice();
    });
    m_device.setReceiveHandler([this] {
        if (m_open && m_handler)
            m_handler();
        else if (!m_open)
            m_device.readAll(); // a closed port receives nothing
    });
}

LingeringPort::~LingeringPort() {
    m_device.setReceiveHandler(nullptr);
    closeDevice();
}

void LingeringPort::setCommPort(int n) {
    if (n != m_device.commPort() && !m_open)
        closeDevice();
    m_device.setCommPort(n);
}

bool LingeringPort::open() {
    if (m_open)
        return false;
    if (m_device.isOpen()) {
        m_release.stop();
        m_device.readAll();
        m_open = true;
        return true;
    }
    m_open = m_device.open();
    return m_open;
}

void LingeringPort::close() {
    if (!m_open)
        return;
    m_open = false;
    m_release.start();
}

void LingeringPort::closeDevice() {
    m_release.stop();
    m_open = false;
    m_device.close();
}

bool LingeringPort::write(const QByteArray& bytes) {
    return m_open && m_device.write(bytes);
}

QByteArray LingeringPort::readAll() {
    QByteArray bytes = m_device.readAll();
    return m_open ? bytes : QByteArray();
}

void LingeringPort::setReceiveHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}
