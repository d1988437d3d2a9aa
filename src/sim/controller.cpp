#include "sim/controller.h"

#include "shared/numbers.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace Sim {

namespace {

// Two decimal digits, 01..15; 0 when the text is anything else.
int channelNumber(const QString& text) {
    if (text.size() != 2 || !text[0].isDigit() || !text[1].isDigit())
        return 0;
    const int ch = text.toInt();
    return ch >= 1 && ch <= kChannelCount ? ch : 0;
}

QString channelKey(int ch) {
    return QStringLiteral("%1").arg(ch, 2, 10, QLatin1Char('0'));
}

bool withinLimits(const ParamDef& d, const QString& plain) {
    if (d.lowerLimit.isEmpty() || d.upperLimit.isEmpty())
        return true;
    const double v = Numbers::numericValue(plain);
    return v >= Numbers::numericValue(d.lowerLimit) && v <= Numbers::numericValue(d.upperLimit);
}

} // namespace

Controller::Controller(int axisCount, const ParamDefs& defs)
    : m_axisCount(qBound(1, axisCount, 3)), m_defs(defs) {
    for (int n = 1; n <= 99; ++n)
        for (QString& v : m_params[size_t(n)])
            v = m_defs.def(n).defaultValue;
    m_flash = m_params;
}

const Channel& Controller::channel(int ch) const {
    return m_channels[size_t(ch >= 1 && ch <= kChannelCount ? ch : 0)];
}

QString Controller::parameterValue(int paramNo, int axis) const {
    if (paramNo < 1 || paramNo > 99 || axis < 1 || axis > 3)
        return {};
    return m_params[size_t(paramNo)][size_t(axis - 1)];
}

Response Controller::ack() const {
    Response r;
    r.line = m_ack;
    return r;
}

Response Controller::error(char digit, const QString& why) {
    Response r;
    r.line = QByteArray("!") + digit;
    r.note = why;
    return r;
}

Response Controller::handle(const QByteArray& request) {
    const QString text = QString::fromLatin1(request);

    if (text.isEmpty()) {
        if (m_mode != Mode::Uploading)
            return error(Err::OutOfSequence, QStringLiteral("empty request outside an upload"));
        const Channel& c = channel(m_uploadChannel);
        Response r;
        if (m_uploadNext < c.steps.size()) {
            r.line = renderUploadLine(c.steps[m_uploadNext++]).toLatin1();
        } else {
            m_mode = Mode::Idle; // the empty line ends the program
        }
        return r;
    }

    if (m_mode == Mode::Receiving) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        if (colon > 0 && commandForCode(text.left(colon + 1)) != 0)
            return handleStep(text);
        if (text != QLatin1String("PGWRT:")) {
            m_mode = Mode::Idle; // the transfer was abandoned
            m_received.clear();
        }
    } else if (m_mode == Mode::Uploading) {
        m_mode = Mode::Idle;
    }

    if (text == QLatin1String("?:") || text == QLatin1String("REMOTE:") ||
        text == QLatin1String("X:1") || text == QLatin1String("NG:"))
        return ack();

    if (text.startsWith(QLatin1String("CHINF:"))) {
        const int ch = channelNumber(text.mid(6));
        if (ch == 0)
            return error(Err::BadChannel, QStringLiteral("bad channel"));
        const Channel& c = channel(ch);
        Response r;
        r.line = c.steps.isEmpty() ? QByteArray("N")
                                   : QByteArray(1, c.state) + QByteArray::number(c.steps.size());
        return r;
    }

    if (text.startsWith(QLatin1String("LOAD:"))) {
        const QString arg = text.mid(5);
        if (arg == QLatin1String("99"))
            return ack(); // run control
        const int ch = channelNumber(arg);
        if (ch == 0)
            return error(Err::BadChannel, QStringLiteral("bad channel"));
        m_mode = Mode::Receiving;
        m_loadChannel = ch;
        m_received.clear();
        return ack();
    }

    if (text == QLatin1String("PGWRT:")) {
        if (m_mode != Mode::Receiving)
            return error(Err::OutOfSequence, QStringLiteral("PGWRT: without LOAD:"));
        Channel c;
        c.steps = m_received;
        c.state = c.steps.isEmpty() ? 'N' : 'L';
        m_channels[size_t(m_loadChannel)] = c;
        m_received.clear();
        m_mode = Mode::Idle;
        Response r = ack();
        r.stateChanged = true;
        return r;
    }

    if (text.startsWith(QLatin1String("Z:"))) {
        const int ch = channelNumber(text.mid(2));
        if (ch == 0)
            return error(Err::BadChannel, QStringLiteral("bad channel"));
        if (channel(ch).steps.isEmpty())
            return error(Err::EmptyChannel, QStringLiteral("channel holds no program"));
        return ack();
    }

    if (text == QLatin1String("U07:"))
        return ack();

    if (text.startsWith(QLatin1String("UPLOAD:"))) {
        const int ch = channelNumber(text.mid(7));
        if (ch == 0)
            return error(Err::BadChannel, QStringLiteral("bad channel"));
        Response r;
        const Channel& c = channel(ch);
        if (!c.steps.isEmpty()) {
            m_mode = Mode::Uploading;
            m_uploadChannel = ch;
            m_uploadNext = 1;
            r.line = renderUploadLine(c.steps.front()).toLatin1();
        }
        return r;
    }

    if (text == QLatin1String("F:")) {
        m_flash = m_params;
        Response r;
        r.line = "OK";
        r.extraDelayMs = m_flashDelayMs;
        r.stateChanged = true;
        return r;
    }

    if (text.startsWith(QLatin1String("P:"))) {
        static const QRegularExpression read(QStringLiteral("^P:(\\d{2,})R$"));
        const QRegularExpressionMatch m = read.match(text);
        if (m.hasMatch()) {
            const int n = m.captured(1).size() > 3 ? 0 : m.captured(1).toInt();
            return handleParamRead(n);
        }
        return handleParamWrite(text);
    }

    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon > 0 && commandForCode(text.left(colon + 1)) != 0)
        return error(Err::OutOfSequence, QStringLiteral("step text without LOAD:"));
    return error(Err::NotUnderstood, QStringLiteral("unknown request"));
}

bool Controller::corruptLastStep() {
    if (m_mode != Mode::Receiving || m_received.isEmpty())
        return false;
    Step& step = m_received.back();
    for (StepElement& e : step) {
        if (e.values.isEmpty())
            continue;
        QString& v = e.values.front();
        bool number = false;
        const qlonglong n = v.toLongLong(&number);
        if (number)
            v = QString::number(n == 0 ? 1 : n - 1);
        else if (!v.isEmpty() && v.front().isLetter())
            v[0] = v.front() == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        else
            v += QLatin1Char('~');
        return true;
    }
    // Nothing but commands without values: the first becomes another one.
    StepElement& e = step.front();
    e.command = e.command == 4 ? 10 : 4;
    if (e.axis == 0)
        e.axis = 1;
    return true;
}

Response Controller::handleStep(const QString& text) {
    Step step;
    QString why;
    if (!parseStepText(text, m_axisCount, &step, &why))
        return error(Err::BadStep, why);
    if (m_received.size() >= maxSteps())
        return error(Err::ProgramFull,
                     QStringLiteral("the controller holds %1 steps").arg(maxSteps()));
    m_received << step;
    return ack();
}

QString Controller::readValue(int n, int axis) const {
    const QString& v = m_params[size_t(n)][size_t(axis - 1)];
    return formatParameterValue(n, v.isEmpty() ? QStringLiteral("0") : v);
}

Response Controller::handleParamRead(int n) const {
    if (n < 1 || n > 99)
        return error(Err::BadParameter, QStringLiteral("parameter number outside 1..99"));
    Response r;
    QStringList fields;
    if (n == 53) {
        QString digits = m_params[53][0].left(4);
        while (digits.size() < 4)
            digits += QLatin1Char('0');
        for (QChar c : digits)
            fields << QString(c);
    } else if (n == 1 || m_defs.def(n).perAxis) {
        // Parameter 1 always answers per axis: its field count tells the axis count.
        for (int a = 1; a <= m_axisCount; ++a)
            fields << readValue(n, a);
        if (m_axisCount == 3)
            fields << QStringLiteral("0"); // reserved
    } else {
        fields << readValue(n, 1);
    }
    r.line = fields.join(QLatin1Char(',')).toLatin1();
    return r;
}

Response Controller::handleParamWrite(const QString& text) {
    static const QRegularExpression write(QStringLiteral("^P:(\\d{2,3})(.*)$"));
    const QRegularExpressionMatch m = write.match(text);
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (n < 1 || n > 99)
        return error(Err::BadParameter, QStringLiteral("parameter number outside 1..99"));
    const QString tail = m.captured(2);
    const ParamDef& d = m_defs.def(n);
    auto& row = m_params[size_t(n)];

    if (n == 53) {
        QString digits;
        if (!tail.startsWith(QLatin1Char(',')) ||
            !readParam53(tail.mid(1).split(QLatin1Char(',')), &digits))
            return error(Err::BadParameter, QStringLiteral("parameter 53 needs four digits"));
        row.fill(digits);
        return ack();
    }

    if (!d.perAxis) {
        QString plain;
        if (!tail.startsWith(QLatin1Char(',')) || !readParameterValue(n, tail.mid(1), true, &plain))
            return error(Err::BadParameter,
                         QStringLiteral("common parameter needs \",\" and a value"));
        if (!withinLimits(d, plain))
            return error(Err::BadParameter, QStringLiteral("value outside the limits"));
        row.fill(plain);
        return ack();
    }

    std::array<QString, 3> values;
    int count = 0;
    qsizetype pos = 0;
    while (pos < tail.size()) {
        if (count >= m_axisCount || tail[pos] != QChar(QLatin1Char('A').unicode() + count))
            return error(Err::BadParameter, QStringLiteral("axis letters must run A, B, C up to "
                                                           "the axis count"));
        qsizetype next = pos + 1;
        while (next < tail.size() && !tail[next].isLetter())
            ++next;
        QString plain;
        if (!readParameterValue(n, tail.mid(pos + 1, next - pos - 1), true, &plain))
            return error(Err::BadParameter, QStringLiteral("bad value for axis ") + tail[pos]);
        if (!withinLimits(d, plain))
            return error(Err::BadParameter, QStringLiteral("value outside the limits"));
        values[size_t(count++)] = plain;
        pos = next;
    }
    if (count == 0)
        return error(Err::BadParameter, QStringLiteral("per-axis parameter without values"));
    for (int a = 0; a < count; ++a)
        row[size_t(a)] = values[size_t(a)];
    return ack();
}

QJsonObject Controller::saveState() const {
    QJsonObject channels;
    for (int ch = 1; ch <= kChannelCount; ++ch) {
        const Channel& c = channel(ch);
        if (c.steps.isEmpty())
            continue;
        QJsonArray steps;
        for (const Step& s : c.steps)
            steps.append(renderStepText(s));
        channels.insert(channelKey(ch),
                        QJsonObject{{QStringLiteral("state"), QString(QLatin1Char(c.state))},
                                    {QStringLiteral("steps"), steps}});
    }
    QJsonObject params;
    for (int n = 1; n <= 99; ++n) {
        const auto& row = m_flash[size_t(n)];
        params.insert(QString::number(n), QJsonArray{row[0], row[1], row[2]});
    }
    return QJsonObject{{QStringLiteral("axes"), m_axisCount},
                       {QStringLiteral("channels"), channels},
                       {QStringLiteral("parameters"), params}};
}

void Controller::loadState(const QJsonObject& state, QStringList* warnings) {
    const int axes = state.value(QStringLiteral("axes")).toInt();
    const QJsonObject channels = state.value(QStringLiteral("channels")).toObject();
    if (axes != m_axisCount && !channels.isEmpty()) {
        *warnings
            << QStringLiteral("programs were stored by a %1-axis controller; not loaded").arg(axes);
    } else {
        for (auto it = channels.begin(); it != channels.end(); ++it) {
            const int ch = channelNumber(it.key());
            const QJsonObject o = it.value().toObject();
            const QJsonArray steps = o.value(QStringLiteral("steps")).toArray();
            Channel c;
            const QString st = o.value(QStringLiteral("state")).toString();
            c.state =
                (st == QLatin1String("E") || st == QLatin1String("T")) ? st[0].toLatin1() : 'L';
            QString why;
            bool ok = ch != 0 && steps.size() <= maxSteps();
            for (int i = 0; ok && i < steps.size(); ++i) {
                Step s;
                ok = parseStepText(steps[i].toString(), m_axisCount, &s, &why);
                c.steps << s;
            }
            if (!ok) {
                *warnings << QStringLiteral("channel %1 not loaded %2").arg(it.key(), why);
                continue;
            }
            if (c.steps.isEmpty())
                c.state = 'N';
            m_channels[size_t(ch)] = c;
        }
    }
    const QJsonObject params = state.value(QStringLiteral("parameters")).toObject();
    for (auto it = params.begin(); it != params.end(); ++it) {
        const int n = it.key().toInt();
        const QJsonArray row = it.value().toArray();
        if (n < 1 || n > 99 || row.size() != 3) {
            *warnings << QStringLiteral("parameter entry %1 ignored").arg(it.key());
            continue;
        }
        for (int a = 0; a < 3; ++a)
            m_params[size_t(n)][size_t(a)] = row[a].toString();
    }
    m_flash = m_params;
}

} // namespace Sim
