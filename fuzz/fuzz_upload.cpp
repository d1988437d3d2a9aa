// Upload conversion: random program lines from the controller, then the program window built from
// them. Input: lines separated by LF, one byte per character. The first byte of the first line
// picks the controller type ("1", "2" and "3" their own, any other byte one of the three by its
// value); the other lines are the program lines.
#include "fuzzsupport.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programdoc.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/model/uploadbuffer.h"
#include "shared/numbers.h"

#include <array>
#include <memory>

namespace {

class DocMaker : public ProgramWindowMaker {
public:
    ProgramDoc* makeNewForm(int iAxisNum) override {
        doc = std::make_unique<ProgramDoc>(RunConfig::maxSteps());
        doc->setAxis(iAxisNum);
        return doc.get();
    }
    void discardForm(ProgramDoc*) override {}
    std::unique_ptr<ProgramDoc> doc;
};

constexpr int kRecords = UploadBuffer::MaxSteps * UploadBuffer::MaxAxes;

// The value counts by command number, read once: the table reads them from text, and they are
// asked for every record of every line.
std::array<int, Cmd::Last + 1> g_valueCount{};

int valueCount(int cmd) {
    return cmd >= Cmd::First && cmd <= Cmd::Last ? g_valueCount[static_cast<size_t>(cmd)] : 0;
}

ValueArray meaningOf(const UploadRecord& r) {
    ValueArray v{QString::number(r.command)};
    for (int k = 1; k <= valueCount(r.command); ++k)
        v << r.values[static_cast<size_t>(k)];
    return v;
}

// What a record means: its command and the values that command has. Value texts beyond the
// command's count are leftovers that nothing reads.
bool sameMeaning(const UploadRecord& x, const UploadRecord& y) {
    if (x.command != y.command)
        return false;
    for (int k = 1; k <= valueCount(x.command); ++k) {
        if (x.values[static_cast<size_t>(k)] != y.values[static_cast<size_t>(k)])
            return false;
    }
    return true;
}

// What the buffer should hold: the records as they were after the last accepted line.
struct Shadow {
    int nextStep = 1;
    std::array<UploadRecord, kRecords> records;

    UploadRecord& at(int s, int a) {
        return records[static_cast<size_t>((s - 1) * UploadBuffer::MaxAxes + a - 1)];
    }
    void take(const UploadBuffer& b, int s) {
        for (int a = 1; a <= UploadBuffer::MaxAxes; ++a)
            at(s, a) = b.record(s, a);
    }
    // The first step from `from` to `to`, other than `except`, whose records differ from the
    // buffer's; 0 for none.
    int changedStep(const UploadBuffer& b, int except, int from = 1,
                    int to = UploadBuffer::MaxSteps) {
        for (int s = qMax(from, 1); s <= qMin(to, UploadBuffer::MaxSteps); ++s) {
            if (s == except)
                continue;
            for (int a = 1; a <= UploadBuffer::MaxAxes; ++a) {
                if (!sameMeaning(at(s, a), b.record(s, a)))
                    return s;
            }
        }
        return 0;
    }
};

// The values that the controller's notation gives as numbers, by command; they are stored as
// plain decimal text.
bool isNumericValue(int cmd, int k, const ValueArray& values) {
    switch (cmd) {
    case 1:
    case 2:
    case 3:
    case 7:
    case 9:
    case 11:
    case 16:
        return k == 1;
    case 5:
        return k == 1 || values.value(1) != QLatin1String("53");
    case 6:
    case 13:
        return true;
    case 12:
        return k >= 2;
    default:
        return false;
    }
}

struct Conversion {
    bool ok = false;
    int cmd = 0;
    ValueArray values;
};

Conversion convert(const QString& element) {
    Conversion c;
    c.cmd = -1;
    c.values = ValueArray{QStringLiteral("untouched")};
    c.ok = UploadBuffer::convertUploadElement(element, &c.cmd, &c.values);
    const auto what = [&]() {
        return Fuzz::escaped(element) + QStringLiteral(" -> ") +
               Fuzz::escaped(c.values.join(QLatin1Char('|')));
    };
    if (!c.ok) {
        FUZZ_CHECK(c.cmd == -1 && c.values == ValueArray{QStringLiteral("untouched")},
                   QStringLiteral("a refused element changed its results: ") + what());
        return c;
    }
    FUZZ_CHECK(c.cmd >= Cmd::First && c.cmd <= Cmd::Last, what());
    FUZZ_CHECK(c.values.size() == valueCount(c.cmd) + 1, what());
    FUZZ_CHECK(c.values.front() == QString::number(c.cmd), what());
    for (int k = 1; k < c.values.size(); ++k) {
        if (isNumericValue(c.cmd, k, c.values))
            FUZZ_CHECK(Numbers::plainForm(c.values[k]) == c.values[k], what());
    }
    return c;
}

void checkLine(UploadBuffer& buffer, Shadow& shadow, const QString& line) {
    const QStringList elements = line.split(QLatin1Char('|'));
    QList<Conversion> conversions;
    bool allConvert = true;
    for (const QString& e : elements) {
        conversions << convert(e);
        allConvert = allConvert && conversions.back().ok;
    }
    const bool roomLeft = buffer.nextStep() <= UploadBuffer::MaxSteps;
    const bool accepted = buffer.storeUploadLine(line);
    const auto what = [&line]() { return Fuzz::escaped(line); };
    // A line writes to its own step; the neighbours are where a slip would land. The whole
    // buffer is compared once the input has been read.
    const int step = shadow.nextStep;
    if (!accepted) {
        FUZZ_CHECK(buffer.nextStep() == step &&
                       shadow.changedStep(buffer, 0, step - 1, step + 1) == 0,
                   QStringLiteral("refused and changed: ") + what());
        FUZZ_CHECK(!allConvert || !roomLeft || elements.size() > UploadBuffer::MaxAxes,
                   QStringLiteral("refused although every element converts: ") + what());
        return;
    }
    FUZZ_CHECK(roomLeft && elements.size() <= UploadBuffer::MaxAxes, what());
    FUZZ_CHECK(buffer.nextStep() == step + 1, what());
    FUZZ_CHECK(shadow.changedStep(buffer, step, step - 1, step + 1) == 0,
               QStringLiteral("another step changed: ") + what());
    shadow.take(buffer, step);
    shadow.nextStep = step + 1;
    // The elements taken: up to the first step-wide command, which then fills every axis.
    int taken = 0;
    bool stepWide = false;
    for (const Conversion& c : conversions) {
        ++taken;
        FUZZ_CHECK(c.ok, QStringLiteral("accepted with a refused element: ") + what());
        if (cmdAllAxes(c.cmd)) {
            stepWide = true;
            break;
        }
    }
    for (int a = 1; a <= UploadBuffer::MaxAxes; ++a) {
        const UploadRecord& r = buffer.record(step, a);
        FUZZ_CHECK(r.command >= Cmd::First && r.command <= Cmd::Last, what());
        if (stepWide && a > 1) {
            FUZZ_CHECK(sameMeaning(r, buffer.record(step, 1)),
                       QStringLiteral("a step-wide command is not in every axis: ") + what());
        } else if (a > taken) {
            // The filler may keep texts that a refused line left; it shows none.
            FUZZ_CHECK(r.command == Cmd::Filler,
                       QStringLiteral("an axis the line does not mention is not the filler: ") +
                           what());
            continue;
        } else {
            FUZZ_CHECK(meaningOf(r) == conversions[a - 1].values,
                       QStringLiteral("axis %1 is not its element: ").arg(a) + what());
        }
        for (int k = valueCount(r.command) + 1; k < static_cast<int>(r.values.size()); ++k)
            FUZZ_CHECK(r.values[static_cast<size_t>(k)].isEmpty(),
                       QStringLiteral("a value beyond the command's count: ") + what());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::useLanguageFile();
    buildCommandTable();
    buildParameterLimits();
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd)
        g_valueCount[static_cast<size_t>(cmd)] = cmdValueCount(cmd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int type = 1 + (data[0] + 2) % 3;
    RunConfig::setControllerType(type);
    // Kept between inputs (600 records each), but emptied after every input: texts kept from one
    // input to the next would look like a leak to libFuzzer, which then searches the whole heap.
    static UploadBuffer buffer;
    static Shadow shadow;
    struct Emptied {
        ~Emptied() {
            buffer = UploadBuffer();
            shadow = Shadow();
        }
    } emptied;
    buffer.beginUpload(1);
    FUZZ_CHECK(buffer.nextStep() == 1 && buffer.axisCount() == type, QString());
    shadow.nextStep = 1;
    for (int s = 1; s <= UploadBuffer::MaxSteps; ++s)
        shadow.take(buffer, s);
    const QStringList lines = QString::fromLatin1(Fuzz::bytes(data, size)).split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i)
        checkLine(buffer, shadow, lines[i]);
    FUZZ_CHECK(
        shadow.changedStep(buffer, 0) == 0,
        QStringLiteral("step %1 changed behind the lines").arg(shadow.changedStep(buffer, 0)));

    const int expectedSteps = qMin(buffer.nextStep() - 1, RunConfig::maxSteps());
    std::array<int, kRecords> commands{};
    for (int s = 1; s <= expectedSteps; ++s) {
        for (int a = 1; a <= type; ++a)
            commands[static_cast<size_t>((s - 1) * UploadBuffer::MaxAxes + a - 1)] =
                buffer.record(s, a).command;
    }
    DocMaker maker;
    ProgramDoc* doc = buffer.finishUpload(maker);
    FUZZ_CHECK(doc != nullptr && doc->getAxis() == type, QString());
    FUZZ_CHECK(doc->getStep() == expectedSteps,
               QStringLiteral("%1 steps, expected %2").arg(doc->getStep()).arg(expectedSteps));
    FUZZ_CHECK(!doc->getDirty(), QString());
    for (int s = 1; s <= doc->getStep(); ++s) {
        for (int a = 1; a <= type; ++a)
            FUZZ_CHECK(doc->cellCommand(a, s) ==
                           commands[static_cast<size_t>((s - 1) * UploadBuffer::MaxAxes + a - 1)],
                       QStringLiteral("step %1 axis %2").arg(s).arg(a));
        // The step text of whatever came back is built without tripping over its values.
        (void)doc->getSendStep(s);
    }
    return 0;
}
