#pragma once

#include "kirv/records/level_series.h"
#include "kirv/stats/report_values.h"
#include "kirv/base/civil_time.h"

#include <QList>

// A series of counted levels `interval` seconds apart from the civil time `start`
// ("2026/03/04 08:00:00"); a level below 0 stands for a marked record.
inline kirv::LevelSeries seriesFrom(const char* start, const QList<double>& levels,
                                    qint64 interval = 1)
{
    kirv::LevelSeries series;
    qint64 t = *kirv::civilSeconds(start);
    for (const double level : levels) {
        kirv::LevelSample s;
        s.seconds = t;
        s.tenths = qint16(std::lround(std::abs(level) * 10));
        if (level < 0)
            s.flags = kirv::LevelSample::Marked;
        series.push_back(s);
        t += interval;
    }
    return series;
}
