#include "kirv/records/level_events.h"

#include "kirv/analysis/level_stats.h"

namespace kirv {

std::vector<LevelEvent> findEvents(const LevelSeries& series, const EventRule& rule,
                                   double interval)
{
    const double t = interval > 0.0 ? interval : 1.0;
    // Levels compared in tenths, as stored, so "exactly at the limit" is exact.
    const long limit = std::lround(rule.limit * 10.0);
    const long release = std::lround((rule.limit - rule.hysteresis) * 10.0);
    std::vector<LevelEvent> events;
    LevelEvent event;
    RunningLevel energy;
    auto close = [&] {
        if (energy.count() == 0)
            return;
        event.seconds = double(energy.count()) * t;
        event.leq = energy.leq();
        event.sel = event.leq + 10.0 * Log10(event.seconds);
        event.end = series[size_t(event.last)].seconds + qint64(t);
        if (event.seconds + 1e-9 >= rule.minSeconds)
            events.push_back(event);
        energy.reset();
    };
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i) {
        const LevelSample& s = series[size_t(i)];
        const bool running = energy.count() > 0;
        if (!s.counted() || (running && s.tenths < release) || (!running && s.tenths < limit)) {
            close();
            continue;
        }
        if (!running) {
            event = LevelEvent();
            event.first = i;
            event.start = s.seconds;
        }
        energy.add(s.level());
        event.last = i;
        if (energy.count() == 1 || s.level() > event.lmax) {
            event.lmax = s.level();
            event.lmaxTime = s.seconds;
            event.lmaxIndex = i;
        }
    }
    close();
    return events;
}

} // namespace kirv
