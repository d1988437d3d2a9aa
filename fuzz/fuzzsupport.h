#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

// What every fuzz target shares: the language file the command table reads its names from, and
// how a broken property is reported. A property failure aborts, so libFuzzer keeps the input as a
// crash and the run fails.
namespace Fuzz {

// Points langFile() at LANG1.DAT of the source tree, or at the file named by the environment
// variable KORVEL_FUZZ_LANG_FILE; aborts when it does not exist, since empty command names would
// make every program cell unreadable and hide the parser behind that.
void useLanguageFile();

// A scratch directory for the files a target reads and writes, in memory where the system has
// /dev/shm: the parameter file writer syncs to disk, which would make every run wait for it.
std::unique_ptr<QTemporaryDir> scratchDir();

[[noreturn]] void fail(const char* property, const QString& detail);

// A text with control characters and non-ASCII written as escapes, for failure reports.
QString escaped(const QString& text);

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace Fuzz

// Checks a property; the detail expression is evaluated only when it fails.
#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::Fuzz::fail(#condition, (detail));                                                    \
    } while (false)
