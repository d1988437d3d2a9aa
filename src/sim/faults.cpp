#include "sim/faults.h"

namespace Sim {

bool Fault::selects(int number, const QByteArray& request) const {
    if (requestNo > 0)
        return number == requestNo;
    return prefix ? request.startsWith(match) : request == match;
}

namespace {

bool readCount(const QString& s, int min, int* out) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < min)
        return false;
    *out = v;
    return true;
}

} // namespace

bool parseFault(const QString& option, Fault* fault, QString* why) {
    const qsizetype at = option.indexOf(QLatin1Char('@'));
    if (at <= 0) {
        *why = QStringLiteral("expected ACTION@SELECTOR: ") + option;
        return false;
    }
    Fault f;
    const QString action = option.left(at);
    const QString selector = option.mid(at + 1);
    const qsizetype eq = action.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? action : action.left(eq);
    const QString arg = eq < 0 ? QString() : action.mid(eq + 1);
    bool ok = true;
    if (name == QLatin1String("error")) {
        f.kind = Fault::Kind::Error;
        f.text = "!" + (eq < 0 ? QByteArray("0") : arg.toLatin1());
    } else if (name == QLatin1String("reply")) {
        f.kind = Fault::Kind::Reply;
        f.text = arg.toLatin1();
    } else if (name == QLatin1String("noreply")) {
        f.kind = Fault::Kind::NoReply;
        ok = eq < 0;
    } else if (name == QLatin1String("split")) {
        f.kind = Fault::Kind::Split;
        if (eq >= 0) {
            const QStringList p = arg.split(QLatin1Char(','));
            ok = p.size() <= 2 && readCount(p[0], 1, &f.pieceSize) &&
                 (p.size() < 2 || readCount(p[1], 0, &f.pauseMs));
        }
    } else if (name == QLatin1String("garbage")) {
        f.kind = Fault::Kind::Garbage;
        ok = eq < 0 || readCount(arg, 1, &f.count);
    } else if (name == QLatin1String("hangup")) {
        f.kind = Fault::Kind::Hangup;
        ok = eq < 0;
    } else if (name == QLatin1String("corrupt")) {
        f.kind = Fault::Kind::Corrupt;
        ok = eq < 0;
    } else if (name == QLatin1String("delay")) {
        f.kind = Fault::Kind::Delay;
        ok = readCount(arg, 0, &f.delayMs);
    } else {
        *why = QStringLiteral("unknown fault action: ") + name;
        return false;
    }
    if (!ok) {
        *why = QStringLiteral("bad arguments for fault ") + name + QStringLiteral(": ") + arg;
        return false;
    }
    bool isNumber = !selector.isEmpty();
    for (QChar c : selector)
        isNumber = isNumber && c.isDigit();
    if (isNumber) {
        f.requestNo = selector.toInt();
        if (f.requestNo < 1) {
            *why = QStringLiteral("request numbers start at 1");
            return false;
        }
    } else {
        f.prefix = selector.endsWith(QLatin1Char('*'));
        f.match = (f.prefix ? selector.chopped(1) : selector).toLatin1();
    }
    *fault = f;
    return true;
}

QByteArray noiseBytes(int count) {
    QByteArray out;
    quint32 x = 0x2545F491u;
    while (out.size() < count) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        const char c = char(x & 0xFF);
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

QVector<QByteArray> splitPieces(const QByteArray& bytes, int size) {
    QVector<QByteArray> pieces;
    for (qsizetype i = 0; i < bytes.size(); i += size)
        pieces << bytes.mid(i, size);
    return pieces;
}

} // namespace Sim
