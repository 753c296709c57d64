#pragma once
// Which records a job takes.

#include <QList>

namespace formulix {

struct RecordChoice
{
    enum Kind { Current, All, Range, Rows, Calibration };
    Kind kind = Current;
    qint64 first = 1, last = 1; // a range, numbered from 1
    QList<qint64> rows;         // chosen rows, numbered from 1, in record order
    int copies = 1;
    bool operator==(const RecordChoice &other) const = default;
};

} // namespace formulix
