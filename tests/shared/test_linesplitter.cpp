#include "shared/linesplitter.h"

#include <QStringList>
#include <QTest>

// A chunk sequence as the controller delivers it. "@" stands for the tick of the line-end timer,
// which the link answers by setting the state to due and feeding an empty chunk. Events are the
// lines handed on, written as [line], and "arm" for a request to start the line-end timer.
class TestLineSplitter : public QObject {
    Q_OBJECT

    static QStringList run(LineSplitter& s, const QStringList& chunks) {
        QStringList events;
        for (const QString& chunk : chunks) {
            QString data = chunk;
            if (chunk == QLatin1String("@")) {
                s.setRxState(LineSplitter::Due);
                data.clear();
            }
            const bool arm = s.feed(data, [&events](const QString& line) {
                events << QLatin1Char('[') + line + QLatin1Char(']');
            });
            if (arm)
                events << QStringLiteral("arm");
        }
        return events;
    }

    static QStringList bytes(const QString& text) {
        QStringList out;
        for (QChar c : text)
            out << QString(c);
        return out;
    }

private Q_SLOTS:
    void chunks_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("lineEnd");
        QTest::addColumn<int>("stateAfter");
        QTest::addColumn<QString>("rest");

        const int off = LineSplitter::NotArmed;
        const int armed = LineSplitter::Armed;
        const int detected = LineSplitter::Detected;
        const int waiting = LineSplitter::Waiting;
        const QStringList none;

        QTest::newRow("unarmed: one line at CR")
            << off << QStringList{QStringLiteral("OK\r")} << QStringList{QStringLiteral("[OK]")}
            << 0 << off << QString();
        QTest::newRow("unarmed: error reply in three pieces dispatched once")
            << off << QStringList{QStringLiteral("!"), QStringLiteral("3"), QStringLiteral("\r\n")}
            << QStringList{QStringLiteral("[!3]")} << 0 << off << QStringLiteral("\n");
        QTest::newRow("unarmed: two lines in one chunk in arrival order")
            << off << QStringList{QStringLiteral("A1\rB2\rC")}
            << QStringList{QStringLiteral("[A1]"), QStringLiteral("[B2]")} << 0 << off
            << QStringLiteral("C");
        QTest::newRow("unarmed: CR LF controller leaves the LF in front")
            << off << QStringList{QStringLiteral("L 3\r\nN\r\n")}
            << QStringList{QStringLiteral("[L 3]"), QStringLiteral("[\nN]")} << 0 << off
            << QStringLiteral("\n");
        QTest::newRow("unarmed: LF alone is no line end")
            << off << QStringList{QStringLiteral("OK\n")} << none << 0 << off
            << QStringLiteral("OK\n");
        QTest::newRow("unarmed: empty line")
            << off << QStringList{QStringLiteral("\r")} << QStringList{QStringLiteral("[]")} << 0
            << off << QString();
        QTest::newRow("armed: chunk without line end waits")
            << armed << QStringList{QStringLiteral("L 12")} << none << 0 << armed
            << QStringLiteral("L 12");
        QTest::newRow("armed: CR held back until the tick, LF in time gives CR LF")
            << armed
            << QStringList{QStringLiteral("L 12\r"), QStringLiteral("\n"), QStringLiteral("@")}
            << QStringList{QStringLiteral("arm"), QStringLiteral("[L 12]")} << 2 << detected
            << QString();
        QTest::newRow("armed: only CR ever arrives")
            << armed << QStringList{QStringLiteral("E 4\r"), QStringLiteral("@")}
            << QStringList{QStringLiteral("arm"), QStringLiteral("[E 4]")} << 0 << detected
            << QString();
        QTest::newRow("armed: LF controller")
            << armed << QStringList{QStringLiteral("T 7\n"), QStringLiteral("@")}
            << QStringList{QStringLiteral("arm"), QStringLiteral("[T 7]")} << 1 << detected
            << QString();
        QTest::newRow("armed: CR LF beats LF and CR")
            << armed << QStringList{QStringLiteral("A\rB\nC\r\n"), QStringLiteral("@")}
            << QStringList{QStringLiteral("arm"), QStringLiteral("[A\rB\nC]")} << 2 << detected
            << QString();
        QTest::newRow("armed: waiting holds further lines back")
            << armed << QStringList{QStringLiteral("N\r\n"), QStringLiteral("L 1\r\n")}
            << QStringList{QStringLiteral("arm")} << 0 << waiting << QStringLiteral("N\r\nL 1\r\n");
        QTest::newRow("armed: all complete lines follow the tick in order")
            << armed
            << QStringList{QStringLiteral("N\r\n"), QStringLiteral("L 1\r\nE"), QStringLiteral("@")}
            << QStringList{QStringLiteral("arm"), QStringLiteral("[N]"), QStringLiteral("[L 1]")}
            << 2 << detected << QStringLiteral("E");
        QTest::newRow("detected CR LF: later replies in single bytes")
            << armed
            << (bytes(QStringLiteral("!\r\n"))
                << QStringLiteral("@") << bytes(QStringLiteral("OK\r\n")))
            << QStringList{QStringLiteral("arm"), QStringLiteral("[!]"), QStringLiteral("[OK]")}
            << 2 << detected << QString();
        QTest::newRow("armed CR LF: reply in single bytes")
            << armed << (bytes(QStringLiteral("L 15\r\n")) << QStringLiteral("@"))
            << QStringList{QStringLiteral("arm"), QStringLiteral("[L 15]")} << 2 << detected
            << QString();
        QTest::newRow("armed LF: reply in single bytes")
            << armed << (bytes(QStringLiteral("L 15\n")) << QStringLiteral("@"))
            << QStringList{QStringLiteral("arm"), QStringLiteral("[L 15]")} << 1 << detected
            << QString();
        QTest::newRow("armed CR: reply in single bytes, later LF-free lines split at CR")
            << armed
            << (bytes(QStringLiteral("L 15\r"))
                << QStringLiteral("@") << bytes(QStringLiteral("N\r")))
            << QStringList{QStringLiteral("arm"), QStringLiteral("[L 15]"), QStringLiteral("[N]")}
            << 0 << detected << QString();
    }

    void chunks() {
        QFETCH(int, state);
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, events);
        QFETCH(int, lineEnd);
        QFETCH(int, stateAfter);
        QFETCH(QString, rest);
        LineSplitter s;
        s.setRxState(static_cast<qint16>(state));
        QCOMPARE(run(s, chunks), events);
        QCOMPARE(int(s.lineEnd()), lineEnd);
        QCOMPARE(int(s.rxState()), stateAfter);
        QCOMPARE(s.rxBuffer(), rest);
    }

    // A receiver that sends the next request empties the buffer; lines after the one it handled
    // belong to the old exchange and must not reach it.
    void clearingTheBufferInsideTheHandOffStopsTheLoop() {
        LineSplitter s;
        QStringList lines;
        s.feed(QStringLiteral("A\rB\rC\r"), [&](const QString& line) {
            lines << line;
            s.clearBuffer();
        });
        QCOMPARE(lines, QStringList{QStringLiteral("A")});
        QVERIFY(s.rxBuffer().isEmpty());
    }

    // Text that arrives while a line is being handled (a message box lets events run) is kept.
    void textArrivingDuringTheHandOffIsKept() {
        LineSplitter s;
        QStringList lines;
        bool first = true;
        s.feed(QStringLiteral("A\r"), [&](const QString& line) {
            lines << line;
            if (first) {
                first = false;
                s.append(QStringLiteral("B\rC"));
            }
        });
        QCOMPARE(lines, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(s.rxBuffer(), QStringLiteral("C"));
    }
};

QTEST_GUILESS_MAIN(TestLineSplitter)
#include "test_linesplitter.moc"
