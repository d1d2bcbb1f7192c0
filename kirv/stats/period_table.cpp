#include "kirv/stats/period_table.h"

#include "kirv/base/civil_time.h"
#include "kirv/stats/class_energy.h"
#include "kirv/stats/day_parts.h"
#include "kirv/stats/exceedance.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

qint64 floorTo(qint64 seconds, qint64 step)
{
    return floorDiv(seconds, step) * step;
}

} // namespace

PeriodClock::PeriodClock(int minutes) : m_step(qint64(std::clamp(minutes, 1, DayMinutes)) * 60) {}

LocalTime PeriodClock::startOfAnother(const LocalTime& time)
{
    const qint64 day = floorTo(time.civil, SecondsPerDay);
    const qint64 start = day + (time.civil - day) / m_step * m_step;
    const ZoneReadings r = m_zone.readings(start);
    // A start the clock skipped is given the offset after the change: the period then begins
    // before its first record. A repeated start is the pass the record has reached.
    const bool later = r.second && (r.skipped || time.utc() >= start - *r.second);
    const LocalTime begin{start, later ? *r.second : r.first, true};
    m_from = r.second ? 1 : start;
    m_to = r.second ? 0 : std::min(start + m_step, day + SecondsPerDay);
    m_start = begin;
    return begin;
}

struct PeriodTableBuilder::Period
{
    LocalTime start;
    ClassEnergy all;
    std::array<ClassEnergy, DayPartCount> parts;
    double lmax = 0.0;
    double lmin = 0.0;
    std::optional<double> l10, l50, l90;
};

namespace {

template <class Period> void takeLevels(Period& p, const ExceedanceTable& table)
{
    p.l10 = table.level(10);
    p.l50 = table.level(50);
    p.l90 = table.level(90);
}

} // namespace

PeriodTableBuilder::PeriodTableBuilder(int minutes, double interval)
    : m_days(std::clamp(minutes, 1, DayMinutes) == DayMinutes),
      m_interval(interval > 0.0 ? interval : 1.0),
      m_clock(minutes),
      m_recountClock(minutes)
{
}

PeriodTableBuilder::~PeriodTableBuilder() = default;

void PeriodTableBuilder::add(const LevelSample& s, const LocalTime& time)
{
    // Every record with a time was read by the clock, so that it saw a repeated hour.
    if (!s.hasTime() || !s.counted())
        return;
    const LocalTime start = m_clock.startOf(time);
    if (!m_open || start.utc() != m_open->start.utc()) {
        close();
        // A file whose clock never steps back (the usual case) appends at the end.
        auto at = m_periods.end();
        if (!m_periods.empty() && start.utc() <= m_periods.back().start.utc())
            at = std::lower_bound(m_periods.begin(), m_periods.end(), start.utc(),
                                  [](const Period& p, qint64 utc) { return p.start.utc() < utc; });
        if (at != m_periods.end() && at->start.utc() == start.utc()) {
            const auto again = std::lower_bound(
                m_recounts.begin(), m_recounts.end(), start.utc(),
                [](const auto& r, qint64 utc) { return r.first < utc; });
            if (again == m_recounts.end() || again->first != start.utc())
                m_recounts.insert(again, {start.utc(), {}});
        } else {
            at = m_periods.insert(at, Period{});
            at->start = start;
        }
        m_open = &*at;
    }
    const double level = s.tenths / 10.0;
    const int c = std::clamp<int>(s.tenths, 0, topClass(Resolution::Fine));
    Period& p = *m_open;
    p.all.add(c);
    if (m_days)
        p.parts[size_t(dayPartOf(s.seconds - floorTo(s.seconds, SecondsPerDay)))].add(c);
    p.lmax = p.all.count() == 1 ? level : std::max(p.lmax, level);
    p.lmin = p.all.count() == 1 ? level : std::min(p.lmin, level);
    ++m_distribution.counts[size_t(c)];
    m_classes.push_back(qint16(c));
}

void PeriodTableBuilder::close()
{
    if (!m_open)
        return;
    m_distribution.counted = qint64(m_classes.size());
    takeLevels(*m_open, exceedance(m_distribution));
    for (const qint16 c : m_classes)
        --m_distribution.counts[size_t(c)];
    m_classes.clear();
    m_open = nullptr;
}

void PeriodTableBuilder::recount(const LevelSample& s, const LocalTime& time)
{
    if (!s.hasTime() || !s.counted())
        return;
    const qint64 utc = m_recountClock.startOf(time).utc();
    const auto again = std::lower_bound(m_recounts.begin(), m_recounts.end(), utc,
                                        [](const auto& r, qint64 u) { return r.first < u; });
    if (again == m_recounts.end() || again->first != utc)
        return;
    if (again->second.empty())
        again->second.assign(size_t(topClass(Resolution::Fine)) + 1, 0);
    ++again->second[size_t(std::clamp<int>(s.tenths, 0, topClass(Resolution::Fine)))];
}

std::vector<PeriodRow> PeriodTableBuilder::finish()
{
    close();
    std::vector<PeriodRow> rows;
    rows.reserve(m_periods.size());
    auto again = m_recounts.begin();
    for (Period& p : m_periods) {
        PeriodRow row;
        row.start = p.start.civil;
        row.offset = p.start.offset;
        row.records = p.all.count();
        row.leq = p.all.leq();
        row.lmax = p.lmax;
        row.lmin = p.lmin;
        if (again != m_recounts.end() && again->first == p.start.utc()) {
            LevelDistribution distribution;
            distribution.counts = std::move(again->second);
            distribution.counted = p.all.count();
            takeLevels(p, exceedance(distribution));
            ++again;
        }
        row.l10 = p.l10;
        row.l50 = p.l50;
        row.l90 = p.l90;
        if (m_days) {
            std::array<std::optional<double>, DayPartCount> levels;
            std::array<double, DayPartCount> coverage{};
            const qint64 day = floorTo(row.start, SecondsPerDay) / SecondsPerDay;
            const std::array<qint64, DayPartCount> lengths = dayPartSeconds(day, day, m_zone);
            for (size_t k = 0; k < DayPartCount; ++k) {
                if (p.parts[k].count() > 0)
                    levels[k] = p.parts[k].leq();
                const double share = lengths[k] > 0
                    ? double(p.parts[k].count()) * m_interval / double(lengths[k])
                    : 0.0;
                coverage[k] = std::clamp(share, 0.0, 1.0);
            }
            row.ld = levels[Day];
            row.le = levels[Evening];
            row.ln = levels[Night];
            if (levels[Day] && levels[Evening] && levels[Night])
                row.lden = ldenOf(*levels[Day], *levels[Evening], *levels[Night]);
            row.coverageDay = coverage[Day];
            row.coverageEvening = coverage[Evening];
            row.coverageNight = coverage[Night];
        }
        rows.push_back(row);
    }
    m_periods.clear();
    m_recounts.clear();
    return rows;
}

std::vector<PeriodRow> periodTable(const LevelSeries& series, int minutes, double interval)
{
    PeriodTableBuilder builder(minutes, interval);
    const auto walk = [&series](auto&& visit) {
        LocalClock clock;
        for (const LevelSample& s : series)
            visit(s, s.hasTime() ? clock.read(s.seconds) : LocalTime());
    };
    walk([&](const LevelSample& s, const LocalTime& t) { builder.add(s, t); });
    if (builder.needsRecount())
        walk([&](const LevelSample& s, const LocalTime& t) { builder.recount(s, t); });
    return builder.finish();
}

QString periodStartText(qint64 start, int minutes)
{
    const QString text = civilTimeText(start);
    return minutes >= DayMinutes ? text.left(10) : text.left(16);
}

} // namespace kirv
