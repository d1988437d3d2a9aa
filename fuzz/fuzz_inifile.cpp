// INI reader. Input: the section, the key and the default text, each UTF-8 ended by a backslash
// and one more byte (a doubled backslash stands for one; FuzzedDataProvider's random-length
// strings), then the file's bytes. The lookup goes through iniValue on the bytes and through
// GetINIStr on a file holding them.
#include "fuzzsupport.h"

#include "shared/inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_dir;

QString utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

int utf8Size(const QString& s) {
    return static_cast<int>(s.toUtf8().size());
}

void checkLookup(const QByteArray& content, const QString& decoded, const QString& section,
                 const QString& key, const QString& fallback) {
    const QString where =
        Fuzz::escaped(QStringLiteral("[%1] %2, default %3").arg(section, key, fallback));
    // Two different defaults give one answer only when the key is there.
    const QString a = iniValue(content, section, key, QStringLiteral("\u0001a"));
    const QString b = iniValue(content, section, key, QStringLiteral("\u0002b"));
    const bool found = a == b;
    const QString r = iniValue(content, section, key, fallback);
    const QString what = where + QStringLiteral(" -> ") + Fuzz::escaped(r);
    FUZZ_CHECK(utf8Size(r) <= clsIniFile::MaxValueBytes, what);
    FUZZ_CHECK(r.isValidUtf16(), QStringLiteral("a character is cut in half: ") + what);
    if (found) {
        FUZZ_CHECK(r == a, what);
        FUZZ_CHECK(decoded.contains(r), QStringLiteral("the value is not in the file: ") + what);
        return;
    }
    FUZZ_CHECK(fallback.startsWith(r), QStringLiteral("not the default: ") + what);
    if (utf8Size(fallback) <= clsIniFile::MaxValueBytes)
        FUZZ_CHECK(r == fallback, QStringLiteral("a short default is cut: ") + what);
    else // the longest character takes four bytes: a cut loses at most three of the 255
        FUZZ_CHECK(utf8Size(r) > clsIniFile::MaxValueBytes - 4,
                   QStringLiteral("cut too short: ") + what);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = Fuzz::scratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QString section = utf8(in.ConsumeRandomLengthString(40));
    const QString key = utf8(in.ConsumeRandomLengthString(40));
    const QString fallback = utf8(in.ConsumeRandomLengthString(400));
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray content(rest.data(), static_cast<qsizetype>(rest.size()));
    const QString decoded = QString::fromUtf8(content);

    checkLookup(content, decoded, section, key, fallback);
    checkLookup(content, decoded, QStringLiteral("Tool"), QStringLiteral("Mes001"), QString());

    clsIniFile ini;
    ini.setINIFile(g_dir->filePath(QStringLiteral("fuzz.ini")));
    QFile f(ini.INIFile());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        Fuzz::fail("writing the scratch file", f.errorString());
    f.close();
    FUZZ_CHECK(ini.GetINIStr(section, key, fallback) == iniValue(content, section, key, fallback),
               Fuzz::escaped(section + QLatin1Char('/') + key));
    return 0;
}
