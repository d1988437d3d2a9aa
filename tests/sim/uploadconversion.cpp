#include "uploadconversion.h"

#include "shared/numbers.h"

#include <QRegularExpression>

namespace {

struct CodeRow {
    const char* code;
    int command;
    int length; // -1: any
    int values;
    bool allAxes;
};

const CodeRow kRows[] = {
    {"AGO", 1, 14, 1, false}, {"BGO", 2, 14, 1, false}, {"MGO", 3, 14, 1, false},
    {"H", 4, 3, 0, false},    {"P", 5, 14, 2, false},   {"D", 6, 27, 3, false},
    {"R", 7, 12, 1, false},   {"C", 8, 6, 4, false},    {"S", 9, 5, 1, false},
    {"U00", 10, 4, 0, false}, {"U01", 11, 8, 1, true},  {"U02", 12, -1, 3, true},
    {"U03", 13, 18, 2, true}, {"U04", 14, 4, 0, true},  {"U99", 15, 4, 0, false},
    {"W", 16, 11, 1, false},  {"#", 17, -1, 1, true},
};

bool numeric(const QString& text, QString* plain) {
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!re.match(text).hasMatch())
        return false;
    *plain = Numbers::plainForm(text.trimmed());
    return true;
}

const CodeRow* rowFor(int command) {
    for (const CodeRow& r : kRows)
        if (r.command == command)
            return &r;
    return nullptr;
}

} // namespace

bool convertUploadElement(const QString& element, UploadRecord* record) {
    const qsizetype colon = element.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    const QString code = element.left(colon);
    const QString after = element.mid(colon + 1);
    const CodeRow* row = nullptr;
    for (const CodeRow& r : kRows)
        if (code == QLatin1String(r.code))
            row = &r;
    if (!row)
        return false;
    QStringList v;
    QString p;
    switch (row->command) {
    case 5: {
        if (!numeric(after.left(2), &p))
            return false;
        v << p;
        if (p == QLatin1String("53")) {
            if (element.size() != 12)
                return false;
            const QStringList f = after.split(QLatin1Char(','));
            if (f.size() != 5)
                return false;
            QString joined;
            for (int i = 1; i < 5; ++i) {
                QString d;
                if (!numeric(f[i], &d))
                    return false;
                joined += f[i];
            }
            v << joined;
        } else {
            if (element.size() != 14 || !numeric(after.mid(3), &p))
                return false;
            v << p;
        }
        break;
    }
    case 6: {
        const QStringList f = after.mid(1).split(QLatin1Char(','));
        if (f.size() != 3)
            return false;
        for (const QString& s : f) {
            if (!numeric(s, &p))
                return false;
            v << p;
        }
        break;
    }
    case 8:
        for (int i = 0; i < 4; ++i) {
            if (!numeric(after.mid(i), &p))
                return false;
            v << after.mid(i, 1);
        }
        break;
    case 11:
    case 16:
        if (!numeric(after, &p))
            return false;
        v << p;
        break;
    case 12: {
        const QStringList f = after.split(QLatin1Char(','));
        if (f.size() != 3)
            return false;
        v << f[0];
        for (int i = 1; i < 3; ++i) {
            if (!numeric(f[i], &p))
                return false;
            v << p;
        }
        break;
    }
    case 13: {
        const QStringList f = after.split(QLatin1Char(','));
        if (f.size() != 2)
            return false;
        for (const QString& s : f) {
            if (!numeric(s, &p))
                return false;
            v << p;
        }
        break;
    }
    case 17:
        v << after;
        break;
    default:
        if (row->values == 1) {
            if (!numeric(after.mid(1), &p))
                return false;
            v << p;
        }
        break;
    }
    if (row->command != 5 && row->length >= 0 && element.size() != row->length)
        return false;
    record->command = row->command;
    record->values = v;
    return true;
}

bool convertUploadLine(const QString& line, int axisCount, QVector<UploadRecord>* records) {
    QVector<UploadRecord> out(3);
    const QStringList elements = line.split(QLatin1Char('|'));
    if (elements.size() > 3)
        return false;
    for (int i = 0; i < elements.size(); ++i) {
        UploadRecord r;
        if (!convertUploadElement(elements[i], &r))
            return false;
        out[i] = r;
        if (rowFor(r.command)->allAxes) {
            out[1] = out[2] = r;
            break;
        }
    }
    out.resize(axisCount);
    *records = out;
    return true;
}
