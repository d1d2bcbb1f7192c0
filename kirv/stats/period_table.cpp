#include "kirv/stats/period_table.h"

#include "kirv/base/civil_time.h"
#include "kirv/stats/class_energy.h"
#include "kirv/stats/day_parts.h"
#include "kirv/stats/exceedance.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

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

// What a period's row is computed from at the end: its energy sums (a day's also by day part).
struct PeriodTableBuilder::Sums
{
    ClassEnergy all;
    std::unique_ptr<std::array<ClassEnergy, DayPartCount>> parts; // a day table's only
};

namespace {

void takeLevels(PeriodRow& row, const ExceedanceTable& table)
{
    row.l10 = table.level(10);
    row.l50 = table.level(50);
    row.l90 = table.level(90);
}

qint64 utcOf(const PeriodRow& row)
{
    return row.start - row.offset;
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

void PeriodTableBuilder::reserve(qsizetype periods)
{
    m_rows.reserve(size_t(std::max<qsizetype>(periods, 0)));
    m_sums.reserve(size_t(std::max<qsizetype>(periods, 0)));
}

void PeriodTableBuilder::add(const LevelSample& s, const LocalTime& time)
{
    // Every record with a time was read by the clock, so that it saw a repeated hour.
    if (!s.hasTime() || !s.counted())
        return;
    const LocalTime start = m_clock.startOf(time);
    if (m_open < 0 || start.utc() != utcOf(m_rows[size_t(m_open)])) {
        close();
        // A file whose clock never steps back (the usual case) appends at the end.
        auto at = m_rows.end();
        if (!m_rows.empty() && start.utc() <= utcOf(m_rows.back()))
            at = std::lower_bound(m_rows.begin(), m_rows.end(), start.utc(),
                                  [](const PeriodRow& r, qint64 utc) { return utcOf(r) < utc; });
        const auto index = at - m_rows.begin();
        if (at != m_rows.end() && utcOf(*at) == start.utc()) {
            const auto again = std::lower_bound(
                m_recounts.begin(), m_recounts.end(), start.utc(),
                [](const auto& r, qint64 utc) { return r.first < utc; });
            if (again == m_recounts.end() || again->first != start.utc())
                m_recounts.insert(again, {start.utc(), {}});
        } else {
            PeriodRow row;
            row.start = start.civil;
            row.offset = start.offset;
            m_rows.insert(at, row);
            Sums sums;
            if (m_days)
                sums.parts = std::make_unique<std::array<ClassEnergy, DayPartCount>>();
            m_sums.insert(m_sums.begin() + index, std::move(sums));
        }
        m_open = index;
    }
    const double level = s.tenths / 10.0;
    const int c = std::clamp<int>(s.tenths, 0, topClass(Resolution::Fine));
    PeriodRow& row = m_rows[size_t(m_open)];
    Sums& sums = m_sums[size_t(m_open)];
    sums.all.add(c);
    if (m_days)
        (*sums.parts)[size_t(dayPartOf(s.seconds - floorTo(s.seconds, SecondsPerDay)))].add(c);
    row.lmax = sums.all.count() == 1 ? level : std::max(row.lmax, level);
    row.lmin = sums.all.count() == 1 ? level : std::min(row.lmin, level);
    ++m_distribution.counts[size_t(c)];
    m_classes.push_back(qint16(c));
}

void PeriodTableBuilder::close()
{
    if (m_open < 0)
        return;
    m_distribution.counted = qint64(m_classes.size());
    takeLevels(m_rows[size_t(m_open)], exceedance(m_distribution));
    for (const qint16 c : m_classes)
        --m_distribution.counts[size_t(c)];
    m_classes.clear();
    m_open = -1;
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
    auto again = m_recounts.begin();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        PeriodRow& row = m_rows[i];
        const Sums& sums = m_sums[i];
        row.records = sums.all.count();
        row.leq = sums.all.leq();
        if (again != m_recounts.end() && again->first == utcOf(row)) {
            LevelDistribution distribution;
            distribution.counts = std::move(again->second);
            distribution.counted = sums.all.count();
            takeLevels(row, exceedance(distribution));
            ++again;
        }
        if (m_days) {
            std::array<std::optional<double>, DayPartCount> levels;
            std::array<double, DayPartCount> coverage{};
            const qint64 day = floorTo(row.start, SecondsPerDay) / SecondsPerDay;
            const std::array<qint64, DayPartCount> lengths = dayPartSeconds(day, day, m_zone);
            for (size_t k = 0; k < DayPartCount; ++k) {
                const ClassEnergy& part = (*sums.parts)[k];
                if (part.count() > 0)
                    levels[k] = part.leq();
                const double share = lengths[k] > 0
                    ? double(part.count()) * m_interval / double(lengths[k])
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
    }
    std::vector<Sums>().swap(m_sums);
    m_recounts.clear();
    return std::exchange(m_rows, {});
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
