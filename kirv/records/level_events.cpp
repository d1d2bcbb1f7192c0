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
    LocalClock clock;
    std::optional<qint64> previousUtc; // the last record with a time
    LocalTime lastTime;                // the time of the event's last record
    auto close = [&] {
        if (energy.count() == 0)
            return;
        event.seconds = double(energy.count()) * t;
        event.leq = energy.leq();
        event.sel = event.leq + 10.0 * Log10(event.seconds);
        event.end = lastTime.after(qint64(t));
        if (event.seconds + 1e-9 >= rule.minSeconds)
            events.push_back(event);
        energy.reset();
    };
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i) {
        const LevelSample& s = series[size_t(i)];
        LocalTime time;
        if (s.hasTime()) {
            time = clock.read(s.seconds);
            const qint64 utc = time.utc();
            if (previousUtc && (utc < *previousUtc || double(utc - *previousUtc) > 1.5 * t))
                close(); // a hole, or the clock stepped back: what ran before is over
            previousUtc = utc;
        }
        const bool running = energy.count() > 0;
        if (!s.counted() || (running && s.tenths < release) || (!running && s.tenths < limit)) {
            close();
            continue;
        }
        if (!running) {
            event = LevelEvent();
            event.first = i;
            event.start = time;
        }
        energy.add(s.level());
        event.last = i;
        lastTime = time;
        if (energy.count() == 1 || s.level() > event.lmax) {
            event.lmax = s.level();
            event.lmaxTime = time;
            event.lmaxIndex = i;
        }
    }
    close();
    return events;
}

} // namespace kirv
