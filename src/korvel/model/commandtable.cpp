#include "korvel/model/commandtable.h"

#include "shared/inifile.h"
#include "shared/numbers.h"

#include <QtGlobal>

namespace {

struct FixedRow {
    const char* code;
    const char* nameKey;
    const char* labelsKey; // empty: no labels
    const char* units;     // fixed text, or a key of section "Tool" when unitsIsKey
    bool unitsIsKey;
    const char* ranges;
    const char* valueCount;
    const char* sentOnce;
    const char* axisLetter;
    const char* allAxes;
    const char* sameInStep;
};

// clang-format off
constexpr FixedRow kRows[Cmd::Count] = {
    {"AGO:", "Mes001", "Mes101", "",                 false, "-99999999,99999999",         "1", "",  "1", "",  "1"},
    {"BGO:", "Mes002", "Mes102", "",                 false, "-99999999,99999999",         "1", "",  "1", "",  "1"},
    {"MGO:", "Mes003", "Mes103", "Mes203",           true,  "-99999999,99999999",         "1", "",  "1", "",  ""},
    {"H:",   "Mes004", "",       "",                 false, "",                           "0", "",  "1", "",  ""},
    {"P:",   "Mes005", "Mes105", "",                 false, "0,99,-99999999,99999999",    "2", "",  "",  "",  ""},
    {"D:",   "Mes006", "Mes106", "[pps],[pps],[ms]", false, "10,600000,10,600000,1,1000", "3", "",  "1", "",  ""},
    {"R:",   "Mes007", "Mes107", "",                 false, "-99999999,99999999",         "1", "",  "1", "",  ""},
    {"C:",   "Mes008", "Mes108", "",                 false, "0,2,0,2,0,2,0,2",            "4", "",  "",  "",  ""},
    {"S:",   "Mes009", "Mes109", "",                 false, "0,15",                       "1", "",  "1", "",  ""},
    {"U00:", "Mes010", "",       "",                 false, "",                           "0", "",  "",  "",  ""},
    {"U01:", "Mes011", "Mes111", "Mes211",           true,  "0,199",                      "1", "1", "",  "1", ""},
    {"U02:", "Mes012", "Mes112", "Mes212",           true,  "A1,A0,0,1,0,199",            "3", "1", "",  "1", ""},
    {"U03:", "Mes013", "Mes113", "Mes213",           true,  "0,199,1,8388607",            "2", "1", "",  "1", ""},
    {"U04:", "Mes014", "",       "",                 false, "",                           "0", "",  "",  "1", ""},
    {"U99:", "Mes015", "",       "",                 false, "",                           "0", "",  "",  "",  ""},
    {"W:",   "Mes016", "Mes116", "[\u00d7100ms]",    false, "1,65535",                    "1", "",  "",  "",  ""},
    {"#:",   "Mes017", "Mes117", "",                 false, "L0,L45",                     "1", "1", "",  "1", ""},
};
// clang-format on

std::array<CommandDef, Cmd::Count> g_table;
std::array<QString, 100> g_paramMin;
std::array<QString, 100> g_paramMax;

QString toolText(const char* key) {
    if (*key == '\0')
        return QString();
    return langFile().GetINIStr(QStringLiteral("Tool"), QString::fromLatin1(key), QString());
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads a signed decimal integer from the start of the text (no blanks, no point): "12-3" is 12,
// "-" is 0. Saturates far beyond the eight-digit range so that huge texts stay out of range.
qint64 leadingInteger(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 v = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        v = v * 10 + (text[i].unicode() - '0');
        if (v > 999999999999LL)
            v = 999999999999LL;
    }
    return negative ? -v : v;
}

qint64 tokenBound(const QString& token) {
    const qsizetype a = token.indexOf(QLatin1Char('A'));
    return leadingInteger(a >= 0 ? token.mid(a + 1).trimmed() : token.trimmed());
}

qint64 afterLetter(const QString& token, QChar letter) {
    const qsizetype p = token.indexOf(letter);
    return leadingInteger(p >= 0 ? token.mid(p + 1).trimmed() : token.trimmed());
}

void checkCmd(int cmd) {
    Q_ASSERT_X(cmd >= Cmd::First && cmd <= Cmd::Last, "commandDef", "command number");
}

} // namespace

void buildCommandTable() {
    for (int i = 0; i < Cmd::Count; ++i) {
        const FixedRow& r = kRows[i];
        const QString units = r.unitsIsKey ? toolText(r.units) : QString::fromUtf8(r.units);
        // A row is composed with "|" between its ten fields and split again, so a language text
        // holding "|" would shift the fields, as it always has.
        const QStringList parts = {toolText(r.nameKey),
                                   QString::fromLatin1(r.code),
                                   QString::fromLatin1(r.sentOnce),
                                   QString::fromLatin1(r.axisLetter),
                                   toolText(r.labelsKey),
                                   units,
                                   QString::fromLatin1(r.ranges),
                                   QString::fromLatin1(r.valueCount),
                                   QString::fromLatin1(r.allAxes),
                                   QString::fromLatin1(r.sameInStep)};
        QStringList f = parts.join(QLatin1Char('|')).split(QLatin1Char('|'));
        while (f.size() < 10)
            f.append(QString());
        for (QString& s : f)
            s = s.trimmed();
        g_table[static_cast<size_t>(i)] = {f[0], f[1], f[2], f[3], f[4],
                                           f[5], f[6], f[7], f[8], f[9]};
    }
}

void buildParameterLimits() {
    auto set = [](int from, int to, qint64 lo, qint64 hi) {
        for (int n = from; n <= to; ++n) {
            g_paramMin[static_cast<size_t>(n)] = QString::number(lo);
            g_paramMax[static_cast<size_t>(n)] = QString::number(hi);
        }
    };
    set(0, 99, 0, 0);
    set(1, 2, 0, 2);
    set(3, 3, 0, 9);
    set(4, 4, 0, 99);
    set(5, 6, 0, 3);
    set(7, 7, 0, 1);
    set(8, 9, 10, 500000);
    set(10, 10, 1, 1000);
    set(11, 11, -99999999, 99999999);
    set(12, 13, 0, 99999999);
    set(14, 15, -99999999, 99999999);
    set(16, 16, 0, 999);
    set(17, 18, 0, 1);
    set(19, 19, 0, 7);
    set(20, 20, 1, 1000000);
    set(21, 21, 0, 65535);
    set(22, 22, 0, 250000);
    set(23, 23, 0, 1);
    set(24, 24, 0, 2);
    set(25, 25, -1, 99999999);
    set(26, 26, -99999999, 99999999);
    set(27, 27, 0, 2);
    set(51, 51, 0, 3);
    set(52, 52, 0, 15);
    set(54, 56, 0, 1);
    set(57, 57, 0, 2);
    set(58, 58, 0, 1);
    set(60, 60, 0, 1);
    set(70, 70, 0, 4);
    set(71, 71, 0, 2);
    set(72, 72, 0, 3);
    set(73, 73, -2, 99999999);
    set(74, 74, 0, 2);
    set(75, 75, 1, 1000000);
    set(76, 76, 0, 1);
    set(77, 77, 0, 10000);
    set(78, 78, 0, 1000);
    set(80, 80, 0, 2);
    set(81, 81, 0, 1);
    set(90, 90, 0, 60);
    set(91, 91, 0, 2);
}

const CommandDef& commandDef(int cmd) {
    checkCmd(cmd);
    return g_table[static_cast<size_t>(cmd - 1)];
}

QString commandField(int cmd, CommandField field) {
    const CommandDef& d = commandDef(cmd);
    switch (field) {
    case CommandField::Name:
        return d.name;
    case CommandField::Code:
        return d.code;
    case CommandField::SentOnce:
        return d.sentOnce;
    case CommandField::AxisLetter:
        return d.axisLetter;
    case CommandField::Labels:
        return d.labels;
    case CommandField::Units:
        return d.units;
    case CommandField::Ranges:
        return d.ranges;
    case CommandField::ValueCount:
        return d.valueCount;
    case CommandField::AllAxes:
        return d.allAxes;
    case CommandField::SameInStep:
        return d.sameInStep;
    }
    return QString();
}

QString cmdName(int cmd) {
    return commandDef(cmd).name;
}
QString cmdCode(int cmd) {
    return commandDef(cmd).code;
}
int cmdValueCount(int cmd) {
    return static_cast<int>(Numbers::numericValue(commandDef(cmd).valueCount));
}
bool cmdSentOnce(int cmd) {
    return commandDef(cmd).sentOnce == QLatin1String("1");
}
bool cmdAxisLetter(int cmd) {
    return commandDef(cmd).axisLetter == QLatin1String("1");
}
bool cmdAllAxes(int cmd) {
    return commandDef(cmd).allAxes == QLatin1String("1");
}
bool cmdSameInStep(int cmd) {
    return commandDef(cmd).sameInStep == QLatin1String("1");
}

QStringList cmdRangeTokens(int cmd) {
    return commandDef(cmd).ranges.split(QLatin1Char(','));
}

QString getParamMin(int n) {
    Q_ASSERT(n >= 0 && n <= 99);
    return g_paramMin[static_cast<size_t>(n)];
}

QString getParamMax(int n) {
    Q_ASSERT(n >= 0 && n <= 99);
    return g_paramMax[static_cast<size_t>(n)];
}

ValueArray defaultValues(int cmd) {
    const int n = cmdValueCount(cmd);
    ValueArray values;
    values.append(QString());
    const QStringList tokens = cmdRangeTokens(cmd);
    for (int i = 1; i <= n; ++i) {
        if (cmd == Cmd::Comment) {
            values.append(QString());
            continue;
        }
        const QString minToken = tokens.value(2 * i - 2).trimmed();
        if (minToken.startsWith(QLatin1Char('A'))) {
            values.append(QStringLiteral("A"));
            continue;
        }
        const double v = Numbers::numericValue(minToken);
        values.append(v > 0 ? QString::number(static_cast<qint64>(v)) : QStringLiteral("0"));
    }
    return values;
}

int findCommandByName(const QString& text) {
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd) {
        if (cmdName(cmd) == text)
            return cmd;
    }
    return 0;
}

ValueCheck checkValue(const QString& rawText, const QString& minToken, const QString& maxToken,
                      QChar lastLetter, bool ignoreCase) {
    const QString text = rawText.trimmed();
    if (isLetterToken(minToken, maxToken)) {
        const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (text.compare(QStringLiteral("A"), cs) >= 0 &&
            text.compare(QString(lastLetter), cs) <= 0)
            return {true, text};
    }
    static const QString allowed = QStringLiteral("-0123456789");
    for (QChar c : text) {
        if (!allowed.contains(c))
            return {};
    }
    if (text.isEmpty())
        return {};
    const qint64 lo = tokenBound(minToken);
    const qint64 hi = tokenBound(maxToken);
    const qint64 v = leadingInteger(text);
    if (v < -99999999 || v > 99999999 || v < lo || v > hi)
        return {};
    return {true, QString::number(v)};
}

bool isLetterValue(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (!((first >= QLatin1Char('A') && first <= QLatin1Char('Z')) ||
          (first >= QLatin1Char('a') && first <= QLatin1Char('z'))))
        return false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool fileHoldsLetterValue(const QString& text) {
    return isLetterValue(text) &&
           checkValue(text, QStringLiteral("A1"), QStringLiteral("A0"), QLatin1Char('F'), true)
               .accepted;
}

bool isLetterToken(const QString& minToken, const QString& maxToken) {
    return minToken.contains(QLatin1Char('A')) || maxToken.contains(QLatin1Char('A'));
}

bool checkTextValue(const QString& text, const QString& minToken, const QString& maxToken) {
    const qint64 lo = afterLetter(minToken, QLatin1Char('L'));
    const qint64 hi = afterLetter(maxToken, QLatin1Char('L'));
    const qint64 len = text.size();
    if (len < lo || len > hi)
        return false;
    for (QChar c : text) {
        if (c.unicode() > 255)
            return false;
    }
    return true;
}

bool checkParameterValue(const QString& paramNo, const QString& valueText) {
    const double p = Numbers::numericValue(paramNo);
    if (p < 0 || p > 99)
        return false;
    const int n = static_cast<int>(p);
    if (n == 53) {
        const QString t = valueText.trimmed();
        if (t.size() != 4)
            return false;
        static const int limits[4] = {3, 1, 2, 1};
        for (int i = 0; i < 4; ++i) {
            const int digit = isDigit(t[i]) ? t[i].unicode() - '0' : 0;
            if (digit > limits[i])
                return false;
        }
        return true;
    }
    const double v = Numbers::numericValue(valueText);
    return v >= Numbers::numericValue(getParamMin(n)) && v <= Numbers::numericValue(getParamMax(n));
}

bool checkSpeedOrder(const QString& first, const QString& second) {
    return Numbers::numericValue(first) <= Numbers::numericValue(second);
}

bool isParamSettable(const QString& text) {
    const double n = Numbers::roundHalfEven(Numbers::numericValue(text));
    if (n == 4 || n == 19 || n == 51 || n == 52 || n == 53 || n == 56 || n == 60)
        return false;
    return !(n >= 70 && n <= 78);
}
