#pragma once

#include <QString>

// Starts another program and waits for its end while the window events keep running.
class clsWindow {
public:
    // strApp: program file and arguments. A program name without a directory is looked for in
    // the application directory first; on systems without ".exe" files, "Baxwin.exe" finds the
    // executable "baxwin". Returns at once when the program cannot be found or started.
    void AppWait(const QString& strApp);

    // The executable that a program name of a command line stands for; empty when none.
    static QString findProgram(const QString& name);
};

// The command line that runs Baxwin: "Baxwin.exe", a blank and the numeric value of Korvel's own
// argument (no argument gives 0).
QString baxwinCommandLine(const QString& korvelArgument);
