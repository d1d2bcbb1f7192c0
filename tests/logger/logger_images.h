#pragma once

// Memory images for the logger tests, built with the virtual meter's own set builder.
#include "sim/logger_memory.h"

#include <QDateTime>

namespace kirv::test {

inline const QDateTime SetStart({2009, 3, 4}, {8, 30, 5});

// A set with the given level words; range code 0 (80-140), A and FAST, trailer words all 90.0.
inline sim::LoggerSet loggerSet(QList<quint16> levels, int interval = 10,
                                QDateTime start = SetStart)
{
    sim::LoggerSet set;
    set.interval = interval;
    set.levels = std::move(levels);
    set.timestamps.fill(sim::timestampBytes(start));
    set.trailer.fill(900);
    return set;
}

// A dump as the meter sends it: leading byte, the stored bytes, trailing byte.
inline QByteArray dumpOf(const QByteArray& stored)
{
    return QByteArray(1, char(0xFF)) + stored + QByteArray(1, char(0xFF));
}

} // namespace kirv::test
