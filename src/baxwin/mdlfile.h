#pragma once

#include "baxwin/partables.h"

#include <QString>

// Definition files and parameter files.
namespace MdlFile {

// "par1.ini" for language 1, "par0.ini" otherwise, in the application directory.
QString definitionFilePath(int langNo);
// The parameter file lies in the working directory, not beside the program.
QString parFilePath(const QString& parFileName);

// Reads the definitions; on failure shows its message and returns false (records read so far
// stay in defs).
bool loadParDefs(const QString& path, ParDefs& defs);
bool loadParDefs(int langNo, ParDefs& defs);
// True when the whole file was read. Lines before a bad one are already stored. The message of
// a failure says that the defaults follow unless the caller uses none (the command-line tool).
bool readParFile(const QString& path, ParValueTable& table, bool defaultsFollow = true);
// Replaces the file as a whole or not at all; a failure is reported with the file and the
// system's reason. Returns true when the file was written.
bool writeParFile(const QString& path, const ParValueTable& table, bool confirm = true);
// Reads the parameter file; when that fails every value becomes its parameter's default.
// Returns whether the file was read.
bool loadParFileOrDefaults(const QString& path, const ParDefs& defs, ParValueTable& table);

} // namespace MdlFile
