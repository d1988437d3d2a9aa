#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace Sim {

enum class LineEnd { Cr, Lf, CrLf };

bool parseLineEnd(const QString& name, LineEnd* out);
QByteArray lineEndBytes(LineEnd le);

// Collects received bytes into request lines. A request ends with LF; a CR just before it is
// part of the terminator. A lone CR stays in the line, so that a CR at the end of one chunk and
// the LF at the start of the next never make an extra empty request. Like the controller's
// receive buffer it holds a bounded line: the bytes of a longer one are dropped.
class RequestAssembler {
public:
    static constexpr int kMaxLine = 1024;

    void feed(char byte);
    bool hasLine() const { return !m_lines.isEmpty(); }
    QByteArray takeLine() { return m_lines.takeFirst(); }
    // Bytes of an incomplete request.
    const QByteArray& pending() const { return m_buffer; }
    // Over-long lines dropped so far.
    int droppedLines() const { return m_droppedLines; }

private:
    QByteArray m_buffer;
    int m_droppedLines = 0;
    bool m_overflow = false;
    QVector<QByteArray> m_lines;
};

// Control characters written visibly for the transcript: <CR>, <LF>, <ACK>, <xx>.
QString escapeForLog(const QByteArray& bytes);

} // namespace Sim
