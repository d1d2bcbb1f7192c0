#include "kirv/stats/level_events.h"

#include "kirv/base/decibels.h"

#include <cmath>

namespace kirv {

std::vector<LevelEvent> findEvents(const LevelSeries& series, const EventRule& rule,
                                   double interval)
{
    EventFinder finder(rule, interval);
    LocalClock clock;
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i) {
        const LevelSample& s = series[size_t(i)];
        finder.add(s, s.hasTime() ? clock.read(s.seconds) : LocalTime(), i);
    }
    return finder.finish();
}

EventFinder::EventFinder(const EventRule& rule, double interval)
    : m_rule(rule),
      m_t(interval > 0.0 ? interval : 1.0),
      m_limit(std::lround(rule.limit * 10.0)),
      m_release(std::lround((rule.limit - rule.hysteresis) * 10.0)),
      m_hole(qint64(std::floor(1.5 * m_t)))
{
}

void EventFinder::close()
{
    if (m_energy.count() == 0)
        return;
    m_event.seconds = double(m_energy.count()) * m_t;
    m_event.leq = m_energy.leq();
    m_event.sel = m_event.leq + 10.0 * Log10(m_event.seconds);
    if (m_event.seconds + 1e-9 >= m_rule.minSeconds) {
        m_event.end = m_lastTime.after(qint64(m_t));
        m_events.push_back(m_event);
    }
    m_energy.reset();
}

void EventFinder::add(const LevelSample& s, const LocalTime& time, qsizetype index)
{
    if (s.hasTime()) {
        const qint64 utc = time.utc();
        if (m_timed && (utc < m_previousUtc || utc - m_previousUtc > m_hole))
            close(); // a hole, or the clock stepped back: what ran before is over
        m_timed = true;
        m_previousUtc = utc;
    }
    const bool running = m_energy.count() > 0;
    if (!s.counted() || (running && s.tenths < m_release) || (!running && s.tenths < m_limit)) {
        close();
        return;
    }
    if (!running) {
        m_event = LevelEvent();
        m_event.first = index;
        m_event.start = time;
    }
    m_energy.add(int(s.tenths), m_terms);
    m_event.last = index;
    m_lastTime = time;
    if (m_energy.count() == 1 || s.level() > m_event.lmax) {
        m_event.lmax = s.level();
        m_event.lmaxTime = time;
        m_event.lmaxIndex = index;
    }
}

std::vector<LevelEvent> EventFinder::finish()
{
    close();
    return std::move(m_events);
}

} // namespace kirv
