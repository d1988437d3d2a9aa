#pragma once

#include "shared/seriallink.h"

#include <QStringList>

// The text of the communication log: character 6, CR and LF shown as marks.
QString trafficText(const QString& sMsg);

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
