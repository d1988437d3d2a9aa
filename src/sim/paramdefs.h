#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace Sim {

struct ParamDef {
    bool defined = false;
    bool perAxis = true; // kind 0
    bool used = false;
    QString lowerLimit;
    QString upperLimit;
    QString defaultValue;
};

// The controller's parameters 1..99 as a parameter definition file describes them.
class ParamDefs {
public:
    // Every parameter used, per-axis where the editor's step text sends it with an axis letter,
    // no limits, default 0.
    static ParamDefs builtIn();
    // The definition file's text: line 1 the parameter file name, then one line of eight
    // comma-separated fields per parameter. False with the line number in `why` on a bad line.
    static bool parse(const QByteArray& text, ParamDefs* defs, QString* why);
    static bool load(const QString& path, ParamDefs* defs, QString* why);

    // Numbers outside 1..99 give an undefined record.
    const ParamDef& def(int paramNo) const;

private:
    std::array<ParamDef, 100> m_defs{};
};

} // namespace Sim
