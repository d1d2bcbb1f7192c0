#pragma once

#include "kirv/base/civil_time.h"
#include "kirv/records/level_series.h"

#include <vector>

namespace kirv {

/// What makes an event: the level reaches `limit` and the event lasts until the level falls
/// below `limit - hysteresis`; events shorter than `minSeconds` are dropped.
struct EventRule
{
    double limit = 75.0;
    double minSeconds = 30.0;
    double hysteresis = 2.0;
};

/// One event: the records first..last of the series (each taken for T seconds), its level
/// extremes and energy. Times are local times of the records, invalid where a record has none.
struct LevelEvent
{
    qsizetype first = 0;
    qsizetype last = 0;
    LocalTime start;       // time of the first record
    LocalTime end;         // time of the last record plus T
    double seconds = 0.0;  // records x T
    double lmax = 0.0;
    LocalTime lmaxTime;    // time of the first record at Lmax
    qsizetype lmaxIndex = 0;
    double leq = 0.0;
    double sel = 0.0; // leq + 10 log10(seconds)
};

/// The events of a series whose records are `interval` seconds apart. A record that enters no
/// statistic (marked, empty or masked) ends a running event, as do a hole (the next record more
/// than 1.5 T later in real time, the rule of a gap), the clock stepping back (other than into
/// the hour a change from summer time repeats) and the end of the series.
std::vector<LevelEvent> findEvents(const LevelSeries& series, const EventRule& rule,
                                   double interval);

} // namespace kirv
