#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class ProgramDoc;

// Program files: a header "AXIS=n", then one line per step with the cells of the axes separated
// by ",", each cell its command code and its values separated by ":". One byte per character
// (Latin-1), every line ended by CR LF.

struct ProgramHeader {
    bool valid = false;
    int axes = 0;
    QString detail; // why the header is invalid
};

// The header rule applied to the file's first line.
ProgramHeader parseProgramHeader(const QString& firstLine);

// The file's lines, decoded one byte per character. CR LF, CR and LF all end a line.
QStringList programFileLines(const QByteArray& bytes);

struct ProgramLoad {
    enum Status { Ok, Unreadable, HeaderInvalid, AxisMismatch, StepInvalid };
    Status status = Ok;
    int axes = 0;
    int steps = 0;
    int line = 0;  // 1-based line of the file where reading failed
    int piece = 0; // 1-based piece (axis) of that line, 0 for the line as a whole
    QString detail;
    // The message code the window shows for the failure (0 when the load succeeded).
    int messageCode() const;
    // "line 3, piece 2: ..." for the command-line tool.
    QString where() const;
};

// Reads a program file's bytes for the given controller type. makeDoc is called once, after the
// header has been accepted, to create the document that receives the steps (for the window: the
// new program window's document); on a step failure that document holds a partial program and
// the caller discards it. maxSteps bounds the steps read; surplus lines are ignored.
ProgramLoad loadProgramText(const QByteArray& bytes, int controllerType, int maxSteps,
                            const std::function<ProgramDoc*(int axes)>& makeDoc);
// The same for a file on disk; a file that cannot be read gives Unreadable.
ProgramLoad loadProgramFile(const QString& path, int controllerType, int maxSteps,
                            const std::function<ProgramDoc*(int axes)>& makeDoc);

// The file text of a document (header and its used steps).
QByteArray programFileText(const ProgramDoc& doc);
// Replaces the file atomically; on failure the old file stays and errorText says why.
bool writeProgramFile(const ProgramDoc& doc, const QString& path, QString* errorText);

// The file dialogs of the main window. Filters come in the "description|pattern" form.
class ProgramFileDialogs {
public:
    virtual ~ProgramFileDialogs() = default;
    // Empty when cancelled. The file must exist.
    virtual QString getOpenFileName(const QString& filter) = 0;
    // Empty when cancelled. An existing file is replaced only after the user confirms.
    virtual QString getSaveFileName(const QString& filter, const QString& initialDir,
                                    const QString& initialName) = 0;
};

// How the reader gets and gives up a program window.
class ProgramWindowMaker {
public:
    virtual ~ProgramWindowMaker() = default;
    // Creates, numbers and shows a new program window; its document.
    virtual ProgramDoc* makeNewForm(int iAxisNum) = 0;
    // Closes a window whose load failed.
    virtual void discardForm(ProgramDoc* doc) = 0;
};

QString openFileFilter();
QString saveFileFilter();
// "Text (*.txt)|*.txt|All|*" -> "Text (*.txt);;All (*)".
QString qtFileFilter(const QString& filter);

// Save (bSaveAs False: without a dialog when the program has a file) or Save As. False when
// cancelled or failed; then the document keeps its name and stays modified.
bool saveProgram(ProgramDoc& doc, bool bSaveAs, ProgramFileDialogs& dialogs);
// Asks for a file and reads it into a new program window; messages 20 and 18 on failure. The
// path of the program opened, empty when none was.
QString openProgram(ProgramFileDialogs& dialogs, ProgramWindowMaker& maker);
// Reads a file chosen otherwise (a recent file) the same way; true when it opened.
bool openProgramFile(const QString& path, ProgramWindowMaker& maker);
