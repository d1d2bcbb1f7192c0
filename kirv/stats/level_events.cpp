#include "kirv/stats/level_events.h"

#include "kirv/base/decibels.h"

#include <cmath>

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
    // A whole step of more than 1.5 T is a hole.
    const qint64 hole = qint64(std::floor(1.5 * t));
    bool timed = false;     // a record with a time came before
    qint64 previousUtc = 0; // the instant of the last one
    LocalTime lastTime;                // the time of the event's last record
    auto close = [&] {
        if (energy.count() == 0)
            return;
        event.seconds = double(energy.count()) * t;
        event.leq = energy.leq();
        event.sel = event.leq + 10.0 * Log10(event.seconds);
        if (event.seconds + 1e-9 >= rule.minSeconds) {
            event.end = lastTime.after(qint64(t));
            events.push_back(event);
        }
        energy.reset();
    };
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i) {
        const LevelSample& s = series[size_t(i)];
        LocalTime time;
        if (s.hasTime()) {
            time = clock.read(s.seconds);
            const qint64 utc = time.utc();
            if (timed && (utc < previousUtc || utc - previousUtc > hole))
                close(); // a hole, or the clock stepped back: what ran before is over
            timed = true;
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
