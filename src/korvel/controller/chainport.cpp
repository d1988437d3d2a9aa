#include "korvel/controller/chainport.h"

ChainPort::ChainPort(SerialPortService* device) : m_device(device) {
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

ChainPort::~ChainPort() {
    m_device->setReceiveHandler(nullptr);
    releaseDevice();
}

void ChainPort::setCommPort(int n) {
    if (!m_open)
        releaseDevice();
    m_device->setCommPort(n);
}

void ChainPort::setSettings(const QString& settings) {
    // New line parameters take effect at the next real opening.
    if (!m_open)
        releaseDevice();
    m_device->setSettings(settings);
}

bool ChainPort::open() {
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

void ChainPort::close() {
    if (!m_open)
        return;
    m_open = false;
    m_release.start();
}

void ChainPort::releaseDevice() {
    m_release.stop();
    m_open = false;
    m_device->close();
}

bool ChainPort::write(const QByteArray& bytes) {
    return m_open && m_device->write(bytes);
}

QByteArray ChainPort::readAll() {
    const QByteArray bytes = m_device->readAll();
    return m_open ? bytes : QByteArray();
}

void ChainPort::setReceiveHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}
