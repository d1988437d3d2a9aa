#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// An independent reading of the controller's upload notation, as the editor converts it: the
// exact code, the fixed element length and the value positions of each command.
struct UploadRecord {
    int command = 10;
    QStringList values;
    bool operator==(const UploadRecord& o) const {
        return command == o.command && values == o.values;
    }
};

bool convertUploadElement(const QString& element, UploadRecord* record);
// One step of axisCount records; false when any element is refused.
bool convertUploadLine(const QString& line, int axisCount, QVector<UploadRecord>* records);
