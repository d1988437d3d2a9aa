#pragma once

#include "shared/serialport.h"

#include <QString>
#include <QtGlobal>
#include <array>

// The five serial settings as list indices: port 1..8 (0 = none), speed 1..4 of
// "4800 9600 19200 38400", parity 1..3 of "N E O", data bits 1..2 of "7 8", stop bits 1..2 of
// "1 2". Copied as a whole between the module and the settings dialog.
struct ComSettings {
    qint16 port = 0;
    qint16 speed = 2;
    qint16 parity = 1;
    qint16 dataBits = 2;
    qint16 stopBits = 1;

    friend bool operator==(const ComSettings& a, const ComSettings& b) {
        return a.port == b.port && a.speed == b.speed && a.parity == b.parity &&
               a.dataBits == b.dataBits && a.stopBits == b.stopBits;
    }
    friend bool operator!=(const ComSettings& a, const ComSettings& b) { return !(a == b); }
};

namespace ComCode {
inline constexpr int PortCount = 8;
inline const QString DefaultCode = QStringLiteral("02121");
// Highest valid index of each digit position 1..5 (the port's lowest is 1, 0 meaning none).
qint16 fieldMaximum(int iPos);
// The settings code of a record: its five digits without separators.
QString settingsCode(const ComSettings& settings);
// A five-character code read digit by digit: a non-digit counts 0, a value outside its field's
// range takes the field's default (the port: 0).
ComSettings settingsFromCode(const QString& code);
// The serial port's settings string, such as 9600,N,8,1.
QString settingsString(const ComSettings& settings);
} // namespace ComCode

// The settings part of the link module: the current record, com.cfg (where AppPaths keeps the
// configuration files), the port probe, and handing the settings to the serial port.
class SerialSettings {
public:
    explicit SerialSettings(SerialPortService* port = nullptr) : m_port(port) {}

    void setPortService(SerialPortService* port) { m_port = port; }
    SerialPortService* portService() const { return m_port; }

    // Reads, normalises and rewrites com.cfg, probes the ports, configures receiving and applies
    // the settings to the port.
    void comInit();
    // Where com.cfg is written, and read first.
    static QString getCfgPath();
    // Reads the code from path, or from fallback while path does not exist; a missing or bad
    // file is replaced by the default at path only, never at fallback.
    QString readComCfg(const QString& path, const QString& fallback = QString());
    void writeDefaultCfg(const QString& path) const;
    void loadPortNo();
    void loadLineParams();
    // The value of digit iPos (1..5) of "02121"; 0 outside 1..5.
    static qint16 getDefaultDigit(int iPos);
    void writeComCfg(const QString& path) const;
    void probePorts();
    void applySettings();
    // iPort 0 asks about the configured port.
    bool isPortUsable(qint16 iPort) const;
    ComSettings getComSettings() const { return m_settings; }
    // Stores the record and writes com.cfg; the caller applies it afterwards.
    void setComSettings(const ComSettings& settings);

    // The code read by the last comInit, before normalising.
    QString lastCode() const { return m_code; }

private:
    SerialPortService* m_port = nullptr;
    ComSettings m_settings;
    std::array<bool, ComCode::PortCount + 1> m_portUsable{};
    QString m_code = ComCode::DefaultCode;
};
