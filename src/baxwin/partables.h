#pragma once

#include <QList>
#include <QString>

#include <array>

// Parameter numbers run from 1 to 99, axes from 1 to 3.
inline constexpr int MaxParNo = 99;
inline constexpr int MaxAxis = 3;

inline bool isParNo(int n) {
    return n >= 1 && n <= MaxParNo;
}

struct ParDef {
    int kind = 0; // 0 per-axis, 1 common
    int used = 0; // 1 shown and transferred
    QString name;
    QString lowerLimit;
    QString upperLimit;
    QString defaultValue;
};

// The definitions of one definition file, indexed by parameter number 1 to 99.
struct ParDefs {
    std::array<ParDef, MaxParNo + 1> def{};
    QString parFileName;
    int axisParCount = 0;
    int commonParCount = 0;

    const ParDef& operator[](int n) const { return def[static_cast<size_t>(n)]; }
    ParDef& operator[](int n) { return def[static_cast<size_t>(n)]; }
    // Used parameter numbers of one kind in ascending order: the rows of a grid tab.
    QList<int> usedOfKind(int kind) const;
    // Requests one transfer makes: every used number, and number 1 even when it is unused.
    int transferCount() const;
};

// 99 x 3 value texts, by parameter number and axis, exactly as typed, read or received.
class ParValueTable {
public:
    const QString& at(int n, int axis) const { return m_v[idx(n, axis)]; }
    QString& at(int n, int axis) { return m_v[idx(n, axis)]; }
    void fill(const QString& text) { m_v.fill(text); }
    bool operator==(const ParValueTable& o) const { return m_v == o.m_v; }
    bool operator!=(const ParValueTable& o) const { return !(*this == o); }

private:
    static size_t idx(int n, int axis) {
        return static_cast<size_t>((n - 1) * MaxAxis + (axis - 1));
    }
    std::array<QString, MaxParNo * MaxAxis> m_v{};
};

// The parameter number of a file field: a whole number 1 .. 99 in decimal (blanks around, a
// sign and a decimal part of zeros allowed); 0 otherwise.
int parNoFromField(const QString& field);
// The parameter number as the grid and the commands show it: at least two digits.
QString parNoText(int n);
