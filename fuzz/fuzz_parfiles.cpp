// Baxwin's definition file and parameter file readers. Every input is read as both. A parameter
// file that reads is written and read again to the same table; definitions that read are written
// back in the definition format (the program itself never writes one) and read again to the same
// definitions and counts.
#include "fuzzsupport.h"

#include "baxwin/mdlfile.h"
#include "baxwin/partables.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_dir;

QString scratch(const char* name) {
    return g_dir->filePath(QLatin1String(name));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        Fuzz::fail("writing a scratch file", f.errorString());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        Fuzz::fail("reading a scratch file", f.errorString());
    return f.readAll();
}

// One line per parameter number, used or not: an unmentioned number reads as the empty record
// that such a line gives. The byte order mark goes first so that a file name starting with one
// keeps it: the reader drops exactly one.
QByteArray definitionText(const ParDefs& defs) {
    QByteArray out = "\xEF\xBB\xBF" + defs.parFileName.toUtf8() + "\r\n";
    for (int n = 1; n <= MaxParNo; ++n) {
        const ParDef& d = defs[n];
        const QStringList fields{QString::number(n),
                                 QString::number(d.kind),
                                 QString::number(d.used),
                                 d.name,
                                 d.lowerLimit,
                                 d.upperLimit,
                                 d.defaultValue,
                                 QString()};
        out += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    return out;
}

QString describe(const ParDef& d) {
    return Fuzz::escaped(QStringLiteral("%1,%2,%3,%4,%5,%6")
                             .arg(d.kind)
                             .arg(d.used)
                             .arg(d.name, d.lowerLimit, d.upperLimit, d.defaultValue));
}

void checkSameDefs(const ParDefs& a, const ParDefs& b, const QByteArray& written) {
    FUZZ_CHECK(a.parFileName == b.parFileName,
               Fuzz::escaped(a.parFileName) + QStringLiteral(" / ") + Fuzz::escaped(b.parFileName));
    for (int n = 1; n <= MaxParNo; ++n) {
        const ParDef& x = a[n];
        const ParDef& y = b[n];
        FUZZ_CHECK(x.kind == y.kind && x.used == y.used && x.name == y.name &&
                       x.lowerLimit == y.lowerLimit && x.upperLimit == y.upperLimit &&
                       x.defaultValue == y.defaultValue,
                   QStringLiteral("parameter %1: %2, after rereading %3\n")
                           .arg(n)
                           .arg(describe(x), describe(y)) +
                       Fuzz::escaped(QString::fromUtf8(written)));
    }
}

// The definitions as read, complete or not: the defaults of the parameter file's check.
ParDefs fuzzDefinitions(const QByteArray& input) {
    writeFile(scratch("defs.txt"), input);
    ParDefs first;
    if (!MdlFile::loadParDefs(scratch("defs.txt"), first))
        return first;
    for (int n = 1; n <= MaxParNo; ++n)
        FUZZ_CHECK((first[n].kind == 0 || first[n].kind == 1) &&
                       (first[n].used == 0 || first[n].used == 1),
                   describe(first[n]));
    // A line counts even when a later one replaces its record, so the counts are at least the
    // used records of each kind.
    const int axisUsed = static_cast<int>(first.usedOfKind(0).size());
    const int commonUsed = static_cast<int>(first.usedOfKind(1).size());
    FUZZ_CHECK(first.axisParCount >= axisUsed && first.commonParCount >= commonUsed,
               QStringLiteral("counts %1 and %2 below the used records %3 and %4")
                   .arg(first.axisParCount)
                   .arg(first.commonParCount)
                   .arg(axisUsed)
                   .arg(commonUsed));

    const QByteArray written = definitionText(first);
    writeFile(scratch("defs2.txt"), written);
    ParDefs second;
    FUZZ_CHECK(MdlFile::loadParDefs(scratch("defs2.txt"), second),
               QStringLiteral("written definitions do not read:\n") +
                   Fuzz::escaped(QString::fromUtf8(written)));
    checkSameDefs(first, second, written);
    // One line per number: the counts are exactly the used records.
    FUZZ_CHECK(second.axisParCount == axisUsed && second.commonParCount == commonUsed,
               QStringLiteral("counts %1 and %2, used records %3 and %4")
                   .arg(second.axisParCount)
                   .arg(second.commonParCount)
                   .arg(axisUsed)
                   .arg(commonUsed));
    FUZZ_CHECK(definitionText(second) == written, Fuzz::escaped(QString::fromUtf8(written)));
    return first;
}

ParValueTable filled(const QString& text) {
    ParValueTable t;
    t.fill(text);
    return t;
}

void fuzzParameterFile(const QByteArray& input, const ParDefs& defs) {
    writeFile(scratch("params.txt"), input);
    const QString before = QStringLiteral("\u0001before");
    ParValueTable first = filled(before);
    const bool read = MdlFile::readParFile(scratch("params.txt"), first);

    ParValueTable editor = filled(before);
    const bool editorRead = MdlFile::loadParFileOrDefaults(scratch("params.txt"), defs, editor);
    FUZZ_CHECK(editorRead == read, QString());
    if (!read) {
        for (int n = 1; n <= MaxParNo; ++n) {
            for (int a = 1; a <= MaxAxis; ++a)
                FUZZ_CHECK(editor.at(n, a) == defs[n].defaultValue,
                           QStringLiteral("parameter %1 axis %2 is not its default").arg(n).arg(a));
        }
        return;
    }
    FUZZ_CHECK(editor == first, QString());

    FUZZ_CHECK(MdlFile::writeParFile(scratch("params2.txt"), first, false), QString());
    const QByteArray written = readFile(scratch("params2.txt"));
    FUZZ_CHECK(written.count("\r\n") == MaxParNo, Fuzz::escaped(QString::fromUtf8(written)));
    ParValueTable second;
    FUZZ_CHECK(MdlFile::readParFile(scratch("params2.txt"), second),
               QStringLiteral("the written file does not read:\n") +
                   Fuzz::escaped(QString::fromUtf8(written)));
    for (int n = 1; n <= MaxParNo; ++n) {
        for (int a = 1; a <= MaxAxis; ++a)
            FUZZ_CHECK(second.at(n, a) == first.at(n, a),
                       QStringLiteral("parameter %1 axis %2: %3, after rereading %4\n")
                               .arg(n)
                               .arg(a)
                               .arg(Fuzz::escaped(first.at(n, a)), Fuzz::escaped(second.at(n, a))) +
                           Fuzz::escaped(QString::fromUtf8(written)));
    }
    FUZZ_CHECK(MdlFile::writeParFile(scratch("params3.txt"), second, false), QString());
    FUZZ_CHECK(readFile(scratch("params3.txt")) == written, QString());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // No language file and no message presenter: the messages of a refused file cost nothing and
    // answer their default button.
    g_dir = Fuzz::scratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = Fuzz::bytes(data, size);
    fuzzParameterFile(input, fuzzDefinitions(input));
    return 0;
}
