#include "sim/paramdefs.h"

#include "sim/stepcodec.h"

#include <QFile>

namespace Sim {

ParamDefs ParamDefs::builtIn() {
    ParamDefs d;
    for (int n = 1; n <= 99; ++n) {
        ParamDef& p = d.m_defs[size_t(n)];
        p.defined = true;
        p.perAxis = isAxisParameter(n);
        p.used = true;
        p.defaultValue = n == 53 ? QStringLiteral("0000") : QStringLiteral("0");
    }
    return d;
}

bool ParamDefs::parse(const QByteArray& text, ParamDefs* defs, QString* why) {
    ParamDefs d;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (lines.isEmpty()) {
        *why = QStringLiteral("empty definition file");
        return false;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        const QStringList f = QString::fromLatin1(line).split(QLatin1Char(','));
        bool ok = false;
        const int n = f.value(0).trimmed().toInt(&ok);
        if (f.size() != 8 || !ok || n < 1 || n > 99) {
            *why = QStringLiteral("line %1: expected eight fields starting with a number 1..99")
                       .arg(i + 1);
            return false;
        }
        ParamDef& p = d.m_defs[size_t(n)];
        p.defined = true;
        p.perAxis = f[1] == QLatin1String("0");
        p.used = f[2] != QLatin1String("0");
        p.lowerLimit = f[4].trimmed();
        p.upperLimit = f[5].trimmed();
        p.defaultValue = f[6].trimmed();
    }
    *defs = d;
    return true;
}

bool ParamDefs::load(const QString& path, ParamDefs* defs, QString* why) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    if (!parse(f.readAll(), defs, why)) {
        *why = path + QStringLiteral(": ") + *why;
        return false;
    }
    return true;
}

const ParamDef& ParamDefs::def(int paramNo) const {
    return m_defs[size_t(paramNo >= 1 && paramNo <= 99 ? paramNo : 0)];
}

} // namespace Sim
