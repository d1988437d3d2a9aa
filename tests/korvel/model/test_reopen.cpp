#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/model/uploadbuffer.h"
#include "testenv.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <vector>

namespace {

class DocMaker : public ProgramWindowMaker {
public:
    ProgramDoc* makeNewForm(int iAxisNum) override {
        docs.push_back(std::make_unique<ProgramDoc>(RunConfig::maxSteps()));
        docs.back()->setAxis(iAxisNum);
        return docs.back().get();
    }
    void discardForm(ProgramDoc*) override {}
    std::vector<std::unique_ptr<ProgramDoc>> docs;
};

qint64 bound(const QString& token) {
    QString t = token;
    t.remove(QLatin1Char('A'));
    return t.toLongLong();
}

// Values as the data dialog accepts and stores them: candidates drawn at random, kept when the
// dialog's rules take them (the command table's checks with last letter "C", the letter form,
// the parameter and speed rules), in their normalised form.
class EditorValues {
public:
    explicit EditorValues(QRandomGenerator& rng) : m_rng(rng) {}

    ValueArray draw(int cmd) {
        for (;;) {
            ValueArray v = defaultValues(cmd);
            v[0] = QString::number(cmd);
            if (fill(cmd, v))
                return v;
        }
    }

private:
    bool fill(int cmd, ValueArray& v) {
        const QStringList tokens = cmdRangeTokens(cmd);
        if (cmd == Cmd::Comment) {
            QString text;
            const int length = m_rng.bounded(46);
            for (int i = 0; i < length; ++i) {
                const char16_t c = char16_t(0x20 + m_rng.bounded(0xE0));
                if (c != u',')
                    text += QChar(c);
            }
            v[1] = text.trimmed();
            return true;
        }
        for (int i = 1; i <= cmdValueCount(cmd); ++i) {
            const QString lo = tokens.value(2 * i - 2);
            const QString hi = tokens.value(2 * i - 1);
            QString candidate;
            if (isLetterToken(lo, hi)) {
                static const char* const letters[] = {"A",  "B",  "C",  "B5", "C12",
                                                      "B#", "Bw", "A-", "C,", "W"};
                candidate = QString::fromLatin1(letters[m_rng.bounded(10)]);
            } else {
                const qint64 a = bound(lo);
                const qint64 b = qMin<qint64>(bound(hi), a + 2000000);
                candidate = QString::number(a + qint64(m_rng.bounded(quint32(b - a + 1))));
                if (m_rng.bounded(4) == 0)
                    candidate = QStringLiteral("00") + candidate; // typed with leading zeros
            }
            const ValueCheck c = checkValue(candidate, lo, hi, QLatin1Char('C'), false);
            if (!c.accepted)
                return false;
            if (isLetterToken(lo, hi) && !isLetterValue(c.normalised))
                return false;
            v[i] = c.normalised;
        }
        if (cmd == Cmd::Parameter) {
            if (!isParamSettable(v[1]))
                return false;
            // Parameter values drawn from the parameter's own limits.
            const qint64 a = getParamMin(v[1].toInt()).toLongLong();
            const qint64 b = getParamMax(v[1].toInt()).toLongLong();
            v[2] = QString::number(a +
                                   qint64(m_rng.bounded(quint32(qMin<qint64>(b - a, 100000) + 1))));
            const double p22 = v[2].toDouble();
            if (!checkParameterValue(v[1], v[2]) ||
                (v[1] == QLatin1String("22") && p22 > 0 && p22 < 100))
                return false;
        }
        if (cmd == Cmd::Speed && !checkSpeedOrder(v[1], v[2]))
            return false;
        return true;
    }

    QRandomGenerator& m_rng;
};

// A controller's program line for a step, in its fixed-width notation, with values in range
// and letter values of every kind.
QString uploadElement(QRandomGenerator& rng, int cmd, int axis) {
    const QChar letter(QLatin1Char('A').unicode() + axis - 1);
    auto signed8 = [&rng](qint64 lo, qint64 hi) {
        const qint64 v = lo + qint64(rng.bounded(quint32(qMin<qint64>(hi - lo, 4000000) + 1)));
        return (v < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
               QStringLiteral("%1").arg(qAbs(v), 8, 10, QLatin1Char('0'));
    };
    auto digits = [](qint64 v, int width) {
        return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
    };
    switch (cmd) {
    case 1:
        return QStringLiteral("AGO:") + letter + signed8(-99999999, 99999999);
    case 2:
        return QStringLiteral("BGO:") + letter + signed8(-99999999, 99999999);
    case 3:
        return QStringLiteral("MGO:") + letter + signed8(-99999999, 99999999);
    case 4:
        return QStringLiteral("H:") + letter;
    case 6: {
        const qint64 a = 10 + rng.bounded(600000 - 10 + 1);
        const qint64 b = a + rng.bounded(quint32(600000 - a + 1));
        return QStringLiteral("D:") + letter + digits(a, 8) + QLatin1Char(',') + digits(b, 8) +
               QLatin1Char(',') + digits(1 + rng.bounded(1000), 6);
    }
    case 7:
        return QStringLiteral("R:") + letter + signed8(-99999999, 99999999);
    case 8:
        return QStringLiteral("C:%1%2%3%4")
            .arg(rng.bounded(3))
            .arg(rng.bounded(3))
            .arg(rng.bounded(3))
            .arg(rng.bounded(3));
    case 9:
        return QStringLiteral("S:") + letter + digits(rng.bounded(16), 2);
    case 11:
        return QStringLiteral("U01:") + digits(rng.bounded(200), 4);
    case 12: {
        static const char* const letters[] = {"A",  "B",  "C", "d",   "F", "B5", "e12",
                                              "B#", "Bw", "W", "U04", "G", "AB", ""};
        return QStringLiteral("U02:") + QString::fromLatin1(letters[rng.bounded(14)]) +
               QLatin1Char(',') + QString::number(rng.bounded(2)) + QLatin1Char(',') +
               digits(rng.bounded(200), 2);
    }
    case 13:
        return QStringLiteral("U03:") + digits(rng.bounded(200), 4) + QLatin1Char(',') +
               digits(1 + rng.bounded(8388607), 9);
    case 14:
        return QStringLiteral("U04:");
    case 15:
        return QStringLiteral("U99:");
    case 16:
        return QStringLiteral("W:+") + digits(1 + rng.bounded(65535), 8);
    case 17: {
        QString text;
        for (int i = rng.bounded(30); i > 0; --i)
            text += QChar(char16_t(0x21 + rng.bounded(0x5E)));
        return QStringLiteral("#:") + text;
    }
    default: // 5, 10
        return QStringLiteral("U00:");
    }
}

} // namespace

// Every program the editor or an upload can build is saved and opened again as it was: the
// same steps, cells and step texts.
class TestReopen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void editorProgramsReopen_data();
    void editorProgramsReopen();
    void uploadedProgramsReopen_data();
    void uploadedProgramsReopen();

private:
    void checkReopens(const ProgramDoc& doc, int type);
    std::unique_ptr<ScratchAppDir> m_app;
};

void TestReopen::initTestCase() {
    m_app = std::make_unique<ScratchAppDir>();
    m_app->useLanguage(1);
    buildCommandTable();
    buildParameterLimits();
}

void TestReopen::checkReopens(const ProgramDoc& doc, int type) {
    const QByteArray text = programFileText(doc);
    ProgramDoc back(RunConfig::maxStepsForType(type));
    const ProgramLoad r = loadProgramText(text, type, RunConfig::maxStepsForType(type), [&](int a) {
        back.setAxis(a);
        return &back;
    });
    QVERIFY2(r.status == ProgramLoad::Ok,
             qPrintable(r.where() + QLatin1Char('\n') + QString::fromLatin1(text)));
    QCOMPARE(r.steps, doc.getStep());
    back.setStep(r.steps);
    for (int s = 1; s <= doc.getStep(); ++s) {
        QCOMPARE(back.getSendStep(s), doc.getSendStep(s));
        for (int a = 1; a <= type; ++a)
            QCOMPARE(back.getProgCell(a, s), doc.getProgCell(a, s));
    }
}

void TestReopen::editorProgramsReopen_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("one axis") << 1;
    QTest::newRow("two axes") << 2;
    QTest::newRow("three axes") << 3;
}

void TestReopen::editorProgramsReopen() {
    QFETCH(int, type);
    RunConfig::setControllerType(type);
    QRandomGenerator rng(quint32(1000 + type));
    EditorValues values(rng);
    for (int program = 0; program < 150; ++program) {
        ProgramDoc doc(RunConfig::maxSteps());
        doc.setAxis(type);
        // Commands placed as the window places them: a cell edit and the gap steps filled.
        for (int edit = rng.bounded(25); edit > 0; --edit) {
            int cmd = Cmd::First + rng.bounded(Cmd::Count);
            if (cmd == Cmd::BothGo && type == 1)
                cmd = Cmd::AbsoluteGo;
            const int axis = 1 + rng.bounded(type);
            const int step = 1 + rng.bounded(qMin(doc.getStep() + 3, RunConfig::maxSteps()));
            const int before = doc.getStep();
            doc.applyCellEdit(axis, step, cmd, values.draw(cmd));
            doc.fillSteps(before + 1);
            if (rng.bounded(8) == 0 && doc.getStep() > 0) {
                doc.setCurrentCell(1 + rng.bounded(doc.getStep()), ProgramDoc::axisColumn(1));
                if (rng.bounded(2) == 0)
                    doc.insertStep();
                else
                    doc.deleteStep();
            }
        }
        checkReopens(doc, type);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestReopen::uploadedProgramsReopen_data() {
    editorProgramsReopen_data();
}

void TestReopen::uploadedProgramsReopen() {
    QFETCH(int, type);
    RunConfig::setControllerType(type);
    QRandomGenerator rng(quint32(2000 + type));
    int refused = 0;
    for (int program = 0; program < 150; ++program) {
        UploadBuffer buffer;
        buffer.beginUpload(1);
        for (int line = rng.bounded(20); line > 0; --line) {
            int cmd = Cmd::First + rng.bounded(Cmd::Count);
            if (cmd == Cmd::BothGo && type == 1)
                cmd = Cmd::AbsoluteGo;
            QStringList elements;
            if (cmdSentOnce(cmd)) {
                elements << uploadElement(rng, cmd, 1);
            } else {
                for (int a = 1; a <= type; ++a) {
                    const int c = a == 1 ? cmd : (rng.bounded(2) ? cmd : Cmd::Filler);
                    elements << uploadElement(rng, cmdSentOnce(c) ? Cmd::Filler : c, a);
                }
            }
            if (!buffer.storeUploadLine(elements.join(QLatin1Char('|'))))
                ++refused; // answered with "NG:" by the upload; never becomes a program
        }
        DocMaker maker;
        ProgramDoc* doc = buffer.finishUpload(maker);
        QVERIFY(doc);
        checkReopens(*doc, type);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY(refused > 0); // the letter values a file cannot hold were among them
}

QTEST_GUILESS_MAIN(TestReopen)
#include "test_reopen.moc"
