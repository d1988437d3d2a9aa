#pragma once

#include "sim/paramdefs.h"
#include "sim/stepcodec.h"

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>
#include <array>

namespace Sim {

// Error replies: "!" and one digit.
namespace Err {
// The digits follow the meanings the language files give the controller's error replies.
constexpr char NotUnderstood = '0'; // unknown request
constexpr char BadStep = '1';       // malformed step text or value out of range
constexpr char BadParameter = '2';  // parameter number, form or value refused
constexpr char BadChannel = '3';    // channel not two digits 01..15 (99 only for LOAD:)
constexpr char ProgramFull = '4';   // more steps than the controller holds
constexpr char OutOfSequence = '5'; // PGWRT: or a step without LOAD:, empty line without UPLOAD:
constexpr char EmptyChannel = '6';  // Z: for a channel without a program
} // namespace Err

constexpr int kChannelCount = 15;

struct Channel {
    char state = 'N'; // 'N' empty; 'L', 'E' or 'T' with a program
    QVector<Step> steps;
};

struct Response {
    QByteArray line;           // without the line end
    int extraDelayMs = 0;      // on top of the configured latency (the flash store)
    bool stateChanged = false; // a program or the flash memory changed: save the state
    QString note;              // why a request was refused, for the transcript
};

// The controller's memory and request handling, free of any device.
class Controller {
public:
    Controller(int axisCount, const ParamDefs& defs);

    int axisCount() const { return m_axisCount; }
    int maxSteps() const { return m_axisCount == 1 ? 100 : 200; }
    void setAckText(const QByteArray& text) { m_ack = text; }
    void setFlashDelayMs(int ms) { m_flashDelayMs = ms; }

    // One request line without its CR LF.
    Response handle(const QByteArray& request);
    // Alters the step text taken in last during a download (a fault of the simulator's):
    // its first value changes, or a step without values becomes another command. False when
    // no step is being taken in.
    bool corruptLastStep();

    const Channel& channel(int ch) const;                // 1..15
    QString parameterValue(int paramNo, int axis) const; // working memory, plain text

    // Programs and the flash copy of the parameters.
    QJsonObject saveState() const;
    void loadState(const QJsonObject& state, QStringList* warnings);

private:
    enum class Mode { Idle, Receiving, Uploading };

    Response ack() const;
    static Response error(char digit, const QString& why);
    Response handleStep(const QString& text);
    Response handleParamRead(int n) const;
    Response handleParamWrite(const QString& text);
    QString readValue(int n, int axis) const;

    int m_axisCount;
    ParamDefs m_defs;
    QByteArray m_ack = "OK";
    int m_flashDelayMs = 0;
    std::array<Channel, kChannelCount + 1> m_channels{};
    using ParamTable = std::array<std::array<QString, 3>, 100>;
    ParamTable m_params{};
    ParamTable m_flash{};

    Mode m_mode = Mode::Idle;
    int m_loadChannel = 0;
    QVector<Step> m_received;
    int m_uploadChannel = 0;
    int m_uploadNext = 0;
};

} // namespace Sim
