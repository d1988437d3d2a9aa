#pragma once

#include "shared/seriallink.h"

#include <QDateTime>
#include <QStringList>

// The text of the communication log: character 6, CR and LF shown as marks.
QString trafficText(const QString& sMsg);

// The first line of a saved log: when, on which port and device, with which line settings.
QString trafficLogHeader(const QDateTime& when, int commPort, const QString& device,
                         const QString& settings);
// Writes the lines (after the header, when there is one) as UTF-8, one per line, replacing the
// file as a whole or not at all; false with the system's reason otherwise.
bool writeTrafficLog(const QString& path, const QString& header, const QStringList& lines,
                     QString* why);

// The communication log as lines of text, built as the download dialog builds its list: ">"
// for sent text, "<" for received text, chunks of one direction joined on one line, a blank
// line before the first text sent after an exchange has ended.
class TrafficLogLines : public TrafficLog {
public:
    void putMsg(const QString& sMsg, bool bDir) override;
    void setNewLine() override { m_bNewLine = true; }
    const QStringList& lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    QStringList m_lines;
    bool m_bNewLine = false;
};
