#pragma once

#include "korvel/model/commandtable.h"

#include <QString>
#include <array>

class ProgramDoc;
class ProgramWindowMaker;

// One cell of an uploaded program: the command number and its value texts 1 to 4.
struct UploadRecord {
    int command = Cmd::Filler;
    std::array<QString, 5> values; // index 0 unused
};

// The program read back from the controller, line by line, before it becomes a program window.
// Holds 200 steps of 3 axes whatever the controller type.
class UploadBuffer {
public:
    static constexpr int MaxSteps = 200;
    static constexpr int MaxAxes = 3;

    // Resets the command numbers to the filler and takes the axis count from the controller type.
    void beginUpload(int iChannel);
    // Converts one program line into the next step. False when the line is refused; the step
    // does not advance then.
    bool storeUploadLine(const QString& line);
    // Builds a new program window from the steps received; its document.
    ProgramDoc* finishUpload(ProgramWindowMaker& maker);

    // One element such as AGO:A+00001000: its command number and value array (element 0 the
    // command number as text, then the values).
    static bool convertUploadElement(const QString& element, int* iCmd, ValueArray* values);

    int nextStep() const { return m_nextStep; }
    int axisCount() const { return m_axisCount; }
    int channel() const { return m_channel; }
    const UploadRecord& record(int iStep, int iAxis) const;

private:
    UploadRecord& recordRef(int iStep, int iAxis);

    std::array<UploadRecord, MaxSteps * MaxAxes> m_records{};
    int m_nextStep = 1;
    int m_axisCount = 1;
    int m_channel = 0;
};

// The upload buffer of the running program.
UploadBuffer& uploadBuffer();
