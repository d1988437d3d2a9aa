#include "fuzzsupport.h"

#include "shared/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace Fuzz {

void useLanguageFile() {
    QString path = qEnvironmentVariable("KORVEL_FUZZ_LANG_FILE");
    if (path.isEmpty())
        path = QStringLiteral(KORVEL_FUZZ_DATA_DIR "/LANG1.DAT");
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "language file %s not found\n", qPrintable(path));
        std::abort();
    }
    langFile().setINIFile(path);
}

std::unique_ptr<QTemporaryDir> scratchDir() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/korvel-fuzz-XXXXXX"));
    if (!dir->isValid())
        fail("a scratch directory", dir->errorString());
    return dir;
}

void fail(const char* property, const QString& detail) {
    std::fprintf(stderr, "\nproperty broken: %s\n%s\n", property, qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

QString escaped(const QString& text) {
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += QStringLiteral("\\\\");
        else if (u >= 0x20 && u < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\x{%1}").arg(static_cast<uint>(u), 0, 16);
    }
    return out;
}

} // namespace Fuzz
