#include "shared/comsettings.h"

#include "shared/apppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

const QStringList& fieldList(int iPos) {
    static const QStringList lists[] = {
        {},
        {QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
         QStringLiteral("38400")},
        {QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("O")},
        {QStringLiteral("7"), QStringLiteral("8")},
        {QStringLiteral("1"), QStringLiteral("2")},
    };
    return lists[iPos];
}

QString listEntry(int iList, qint16 index) {
    const QStringList& list = fieldList(iList);
    return index >= 1 && index <= list.size() ? list.at(index - 1) : QString();
}

qint16 digitValue(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? static_cast<qint16>(c.unicode() - '0')
                                                          : qint16(0);
}

qint16 fieldOrDefault(QChar c, int iPos) {
    const qint16 v = digitValue(c);
    return v >= 1 && v <= ComCode::fieldMaximum(iPos) ? v : SerialSettings::getDefaultDigit(iPos);
}

bool writeLine(const QString& path, const QString& line) {
    // The user's configuration folder may not exist before the first write.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = line.toLatin1() + "\r\n";
    return f.write(bytes) == bytes.size();
}

enum class ReadResult { Unreadable, Empty, Line };

ReadResult readFirstLine(const QString& path, QString* line) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return ReadResult::Unreadable;
    if (bytes.isEmpty())
        return ReadResult::Empty;
    qsizetype end = bytes.size();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\r' || bytes.at(i) == '\n') {
            end = i;
            break;
        }
    }
    *line = QString::fromLatin1(bytes.left(end));
    return ReadResult::Line;
}

} // namespace

namespace ComCode {

qint16 fieldMaximum(int iPos) {
    if (iPos == 1)
        return PortCount;
    if (iPos >= 2 && iPos <= 5)
        return static_cast<qint16>(fieldList(iPos - 1).size());
    return 0;
}

QString settingsCode(const ComSettings& s) {
    return QString::number(s.port) + QString::number(s.speed) + QString::number(s.parity) +
           QString::number(s.dataBits) + QString::number(s.stopBits);
}

ComSettings settingsFromCode(const QString& code) {
    const QString c = code.size() == 5 ? code : DefaultCode;
    ComSettings s;
    const qint16 port = digitValue(c.at(0));
    s.port = port >= 1 && port <= PortCount ? port : qint16(0);
    s.speed = fieldOrDefault(c.at(1), 2);
    s.parity = fieldOrDefault(c.at(2), 3);
    s.dataBits = fieldOrDefault(c.at(3), 4);
    s.stopBits = fieldOrDefault(c.at(4), 5);
    return s;
}

QString settingsString(const ComSettings& s) {
    return listEntry(1, s.speed) + QLatin1Char(',') + listEntry(2, s.parity) + QLatin1Char(',') +
           listEntry(3, s.dataBits) + QLatin1Char(',') + listEntry(4, s.stopBits);
}

} // namespace ComCode

void SerialSettings::comInit() {
    const QString path = getCfgPath();
    m_code = readComCfg(path, AppPaths::configFallbackPath(QStringLiteral("com.cfg")));
    loadPortNo();
    loadLineParams();
    writeComCfg(path);
    if (m_port)
        m_port->setReceiveNotifications(true);
    applySettings();
}

QString SerialSettings::getCfgPath() {
    return AppPaths::configFilePath(QStringLiteral("com.cfg"));
}

QString SerialSettings::readComCfg(const QString& path, const QString& fallback) {
    QString line;
    ReadResult r = readFirstLine(path, &line);
    if (r == ReadResult::Unreadable && !fallback.isEmpty() && !QFileInfo::exists(path))
        r = readFirstLine(fallback, &line);
    if (r == ReadResult::Unreadable) {
        // Create the missing file and try once more; a directory that cannot take the file
        // must not keep us here, the defaults serve then.
        writeDefaultCfg(path);
        r = readFirstLine(path, &line);
    }
    if (r == ReadResult::Line && line.size() == 5)
        return line;
    if (r != ReadResult::Unreadable)
        writeDefaultCfg(path);
    return ComCode::DefaultCode;
}

void SerialSettings::writeDefaultCfg(const QString& path) const {
    writeLine(path, QString::number(m_settings.port) + QStringLiteral("2121"));
}

void SerialSettings::loadPortNo() {
    probePorts();
    const qint16 port = digitValue(m_code.size() == 5 ? m_code.at(0) : QLatin1Char('0'));
    m_settings.port = port >= 1 && port <= ComCode::PortCount ? port : qint16(0);
}

void SerialSettings::loadLineParams() {
    const ComSettings s = ComCode::settingsFromCode(m_code);
    m_settings.speed = s.speed;
    m_settings.parity = s.parity;
    m_settings.dataBits = s.dataBits;
    m_settings.stopBits = s.stopBits;
}

qint16 SerialSettings::getDefaultDigit(int iPos) {
    if (iPos < 1 || iPos > 5)
        return 0;
    return digitValue(ComCode::DefaultCode.at(iPos - 1));
}

void SerialSettings::writeComCfg(const QString& path) const {
    writeLine(path, ComCode::settingsCode(m_settings));
}

void SerialSettings::probePorts() {
    if (!m_port)
        return;
    // The probe must not leave the port switched to COM8: while no port is configured the
    // serial port keeps the one it had.
    const int selected = m_port->commPort();
    for (int n = 1; n <= ComCode::PortCount; ++n) {
        m_port->setCommPort(n);
        const bool opened = m_port->open();
        m_port->close();
        m_portUsable[static_cast<size_t>(n)] = opened;
    }
    m_port->setCommPort(selected);
}

void SerialSettings::applySettings() {
    if (m_settings.port == 0 || !m_port)
        return;
    m_port->setCommPort(m_settings.port);
    m_port->setSettings(ComCode::settingsString(m_settings));
}

bool SerialSettings::isPortUsable(qint16 iPort) const {
    const qint16 n = iPort == 0 ? m_settings.port : iPort;
    return n >= 1 && n <= ComCode::PortCount && m_portUsable[static_cast<size_t>(n)];
}

void SerialSettings::setComSettings(const ComSettings& settings) {
    m_settings = settings;
    writeComCfg(getCfgPath());
}
