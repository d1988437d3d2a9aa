// Line splitter fed random chunk sequences. Input layout:
//   byte 0        mode: bits 0-1 the line end (value % 3: CR, LF, CR LF), bits 2-3 the state at
//                 the start (0 not armed, 1 detected, 2 or 3 armed)
//   then chunks   a header byte, then that many data bytes (the last chunk may be shorter):
//                 bits 0-6 the chunk's length, bit 7 the line-end timer ticks before the chunk
//                 (only when it runs, as the link starts it only when the splitter asks)
// The data are the chunks' bytes, one character per byte as the link reads them. After the last
// chunk a running timer ticks, as it always does in the end.
#include "fuzzsupport.h"

#include "shared/linesplitter.h"

#include <QList>
#include <QStringList>

namespace {

struct Chunk {
    bool tickBefore = false;
    QString data;
};

struct Outcome {
    QStringList lines;
    QList<qint16> lineEnds; // the line end each line was split at
    QString rest;
    qint16 rxState = 0;
    qint16 lineEnd = 0;
    int timerStarts = 0;
};

QString terminator(qint16 lineEnd) {
    switch (lineEnd) {
    case LineSplitter::EndLf:
        return QStringLiteral("\n");
    case LineSplitter::EndCrLf:
        return QStringLiteral("\r\n");
    default:
        return QStringLiteral("\r");
    }
}

Outcome run(qint16 state, qint16 lineEnd, const QList<Chunk>& chunks) {
    LineSplitter s;
    s.setRxState(state);
    s.setLineEnd(lineEnd);
    Outcome o;
    const auto onLine = [&o, &s](const QString& line) {
        o.lines << line;
        o.lineEnds << s.lineEnd();
    };
    bool timerRunning = false;
    const auto tick = [&]() {
        timerRunning = false;
        s.setRxState(LineSplitter::Due);
        s.feed(QString(), onLine);
    };
    for (const Chunk& c : chunks) {
        if (c.tickBefore && timerRunning)
            tick();
        if (s.feed(c.data, onLine)) {
            FUZZ_CHECK(!timerRunning, QStringLiteral("the timer is started twice"));
            timerRunning = true;
            ++o.timerStarts;
        }
    }
    if (timerRunning)
        tick();
    o.rest = s.rxBuffer();
    o.rxState = s.rxState();
    o.lineEnd = s.lineEnd();
    return o;
}

QString describe(const Outcome& o) {
    QString s;
    for (qsizetype i = 0; i < o.lines.size(); ++i)
        s += QStringLiteral("[%1]%2 ").arg(Fuzz::escaped(o.lines[i])).arg(o.lineEnds[i]);
    return s + QStringLiteral("rest ") + Fuzz::escaped(o.rest);
}

bool sameLines(const Outcome& a, const Outcome& b) {
    return a.lines == b.lines && a.lineEnds == b.lineEnds && a.rest == b.rest;
}

// Holds for every chunking: nothing is lost, duplicated or reordered, and no line holds the end
// it was split at.
void checkAccounted(const Outcome& o, const QString& data) {
    QString rebuilt;
    for (qsizetype i = 0; i < o.lines.size(); ++i) {
        FUZZ_CHECK(!o.lines[i].contains(terminator(o.lineEnds[i])),
                   QStringLiteral("a line holds its end: ") + describe(o));
        rebuilt += o.lines[i] + terminator(o.lineEnds[i]);
    }
    rebuilt += o.rest;
    FUZZ_CHECK(rebuilt == data,
               QStringLiteral("data %1, lines and rest %2").arg(Fuzz::escaped(data), describe(o)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const qint16 lineEnd = static_cast<qint16>((data[0] & 3) % 3);
    static const qint16 kStates[4] = {LineSplitter::NotArmed, LineSplitter::Detected,
                                      LineSplitter::Armed, LineSplitter::Armed};
    const qint16 state = kStates[(data[0] >> 2) & 3];

    QList<Chunk> chunks;
    QString all;
    for (size_t i = 1; i < size;) {
        Chunk c;
        c.tickBefore = (data[i] & 0x80) != 0;
        const size_t length = qMin<size_t>(data[i] & 0x7F, size - i - 1);
        c.data = QString::fromLatin1(reinterpret_cast<const char*>(data + i + 1),
                                     static_cast<qsizetype>(length));
        all += c.data;
        chunks << c;
        i += 1 + length;
    }

    const Outcome o = run(state, lineEnd, chunks);
    checkAccounted(o, all);
    if (state != LineSplitter::Armed) {
        // Not armed: split at the fixed line end, whatever way the data arrive.
        FUZZ_CHECK(o.timerStarts == 0 && o.rxState == state && o.lineEnd == lineEnd, describe(o));
        FUZZ_CHECK(!o.rest.contains(terminator(lineEnd)),
                   QStringLiteral("a complete line is left: ") + describe(o));
        const Outcome whole = run(state, lineEnd, {Chunk{false, all}});
        FUZZ_CHECK(sameLines(o, whole),
                   describe(o) + QStringLiteral("\nin one chunk: ") + describe(whole));
        QList<Chunk> singles;
        for (QChar c : all)
            singles << Chunk{false, QString(c)};
        const Outcome bytewise = run(state, lineEnd, singles);
        FUZZ_CHECK(sameLines(o, bytewise),
                   describe(o) + QStringLiteral("\nbyte by byte: ") + describe(bytewise));
        return 0;
    }
    const bool lineEndArrived = all.contains(QLatin1Char('\r')) || all.contains(QLatin1Char('\n'));
    FUZZ_CHECK(o.timerStarts == (lineEndArrived ? 1 : 0), describe(o));
    if (lineEndArrived) {
        FUZZ_CHECK(o.rxState == LineSplitter::Detected, describe(o));
        FUZZ_CHECK(!o.rest.contains(terminator(o.lineEnd)),
                   QStringLiteral("a complete line is left after detection: ") + describe(o));
    } else {
        FUZZ_CHECK(o.rxState == LineSplitter::Armed && o.lines.isEmpty(), describe(o));
    }
    return 0;
}
