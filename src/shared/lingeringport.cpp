#include "shared/lingeringport.h"

LingeringPort::LingeringPort(SerialPortService* device) : m_device(device) {
    m_release.setSingleShot(true);
    m_release.setInterval(0);
    QObject::connect(&m_release, &QTimer::timeout, [this] {
        if (!m_open)
            releaseDevice();
    });
    m_device->setReceiveHandler([this] {
        if (m_open) {
            if (m_handler)
                m_handler();
        } else {
            m_device->readAll(); // a closed port receives nothing
        }
    });
}

LingeringPort::~LingeringPort() {
    m_device->setReceiveHandler(nullptr);
    releaseDevice();
}

void LingeringPort::setCommPort(int n) {
    if (!m_open)
        releaseDevice();
    m_device->setCommPort(n);
}

void LingeringPort::setSettings(const QString& settings) {
    // New line parameters take effect at the next real opening.
    if (!m_open)
        releaseDevice();
    m_device->setSettings(settings);
}

bool LingeringPort::open() {
    if (m_open)
        return false;
    if (m_device->isOpen()) {
        m_release.stop();
        m_device->readAll();
        m_open = true;
        return true;
    }
    m_open = m_device->open();
    return m_open;
}

void LingeringPort::close() {
    if (!m_open)
        return;
    m_open = false;
    m_release.start();
}

void LingeringPort::releaseDevice() {
    m_release.stop();
    m_open = false;
    m_device->close();
}

bool LingeringPort::write(const QByteArray& bytes) {
    return m_open && m_device->write(bytes);
}

QByteArray LingeringPort::readAll() {
    const QByteArray bytes = m_device->readAll();
    return m_open ? bytes : QByteArray();
}

void LingeringPort::setReceiveHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}
