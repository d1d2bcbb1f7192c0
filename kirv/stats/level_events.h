#pragma once

#include "kirv/base/civil_time.h"
#include "kirv/base/decibels.h"
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

/// The same found one sample at a time, in series order.
class EventFinder
{
public:
    EventFinder(const EventRule& rule, double interval);
    /// Sample `index` of the series, at `time` as a LocalClock read it (invalid without a time).
    void add(const LevelSample& s, const LocalTime& time, qsizetype index);
    /// The events, the one running at the end closed.
    std::vector<LevelEvent> finish();

private:
    void close();

    EventRule m_rule;
    double m_t;
    long m_limit;   // levels compared in tenths, as stored, so "exactly at the limit" is exact
    long m_release;
    qint64 m_hole;  // a whole step of more than 1.5 T is a hole
    std::vector<LevelEvent> m_events;
    LevelEvent m_event;
    RunningLevel m_energy;
    RunningLevel::ClassTerms m_terms;
    bool m_timed = false;     // a record with a time came before
    qint64 m_previousUtc = 0; // the instant of the last one
    LocalTime m_lastTime;     // the time of the event's last record
};

} // namespace kirv
