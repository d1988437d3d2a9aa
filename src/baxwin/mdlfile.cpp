#include "baxwin/mdlfile.h"

#include "baxwin/baxmessages.h"
#include "shared/apppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

namespace MdlFile {

namespace {

// Lines ended by CR LF (a lone LF is taken too); the end of the last line closes the file, so a
// trailing line end adds no empty line.
bool readLines(const QString& path, QStringList& lines) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // The decoder skips a byte order mark; a second U+FEFF after it is text.
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString all = decode(f.readAll());
    if (f.error() != QFileDevice::NoError)
        return false;
    lines = all.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (QString& l : lines) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    return true;
}

bool definitionError() {
    BaxMsg::show(QStringLiteral("Mes030"), QStringLiteral("Mes031"), MsgIcon::Critical);
    return false;
}

bool parFileError(const QString& key, bool defaultsFollow) {
    if (defaultsFollow)
        BaxMsg::show(key, QStringLiteral("Mes034"), MsgIcon::Information);
    else
        BaxMsg::show(key, MsgIcon::Critical);
    return false;
}

} // namespace

QString definitionFilePath(int langNo) {
    return AppPaths::appFilePath(langNo == 1 ? QStringLiteral("par1.ini")
                                             : QStringLiteral("par0.ini"));
}

QString parFilePath(const QString& parFileName) {
    return QStringLiteral(".") + QDir::separator() + parFileName;
}

bool loadParDefs(int langNo, ParDefs& defs) {
    return loadParDefs(definitionFilePath(langNo), defs);
}

bool loadParDefs(const QString& path, ParDefs& defs) {
    defs.axisParCount = 0;
    defs.commonParCount = 0;
    if (!QFile::exists(path)) {
        BaxMsg::show(QStringLiteral("Mes029"), QStringLiteral("Mes031"), MsgIcon::Critical);
        return false;
    }
    QStringList lines;
    if (!readLines(path, lines) || lines.isEmpty())
        return definitionError();
    defs.parFileName = lines.front();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(QLatin1Char(','));
        if (f.size() != 8)
            return definitionError();
        const int n = parNoFromField(f[0]);
        if (n == 0)
            return definitionError();
        ParDef& d = defs[n];
        d.kind = f[1] == QLatin1String("0") ? 0 : 1;
        d.used = f[2] == QLatin1String("0") ? 0 : 1;
        if (d.used == 1) {
            if (d.kind == 0)
                ++defs.axisParCount;
            else
                ++defs.commonParCount;
        }
        d.name = f[3];
        d.lowerLimit = f[4];
        d.upperLimit = f[5];
        d.defaultValue = f[6];
    }
    return true;
}

bool readParFile(const QString& path, ParValueTable& table, bool defaultsFollow) {
    if (!QFile::exists(path))
        return parFileError(QStringLiteral("Mes032"), defaultsFollow);
    QStringList lines;
    if (!readLines(path, lines))
        return parFileError(QStringLiteral("Mes033"), defaultsFollow);
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char(','));
        // A first field that is no parameter number is as bad as a wrong field count.
        const int n = f.size() == 4 ? parNoFromField(f[0]) : 0;
        if (n == 0)
            return parFileError(QStringLiteral("Mes033"), defaultsFollow);
        for (int a = 1; a <= MaxAxis; ++a)
            table.at(n, a) = f[a];
    }
    return true;
}

bool writeParFile(const QString& path, const ParValueTable& table, bool confirm) {
    QByteArray bytes;
    for (int n = 1; n <= MaxParNo; ++n) {
        QString line = QString::number(n);
        for (int a = 1; a <= MaxAxis; ++a)
            line += QLatin1Char(',') + table.at(n, a);
        bytes += line.toUtf8() + "\r\n";
    }
    QSaveFile f(path);
    bool ok = f.open(QIODevice::WriteOnly);
    ok = ok && f.write(bytes) == bytes.size();
    ok = ok && f.commit();
    if (!ok) {
        const QString reason = f.errorString();
        f.cancelWriting();
        BaxMsg::showText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) +
                             QStringLiteral("\r\n") + reason,
                         MsgIcon::Critical);
        return false;
    }
    if (confirm)
        BaxMsg::show(QStringLiteral("Mes035"), MsgIcon::Information);
    return true;
}

bool loadParFileOrDefaults(const QString& path, const ParDefs& defs, ParValueTable& table) {
    if (readParFile(path, table))
        return true;
    for (int n = 1; n <= MaxParNo; ++n) {
        for (int a = 1; a <= MaxAxis; ++a)
            table.at(n, a) = defs[n].defaultValue;
    }
    return false;
}

} // namespace MdlFile
