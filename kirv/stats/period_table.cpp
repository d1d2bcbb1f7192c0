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

// Accumulates one period at a time; the distribution is shared by all periods and emptied by
// taking back the classes the period added, so a period costs its records, not 1451 classes.
class PeriodBuilder
{
public:
    PeriodBuilder(bool days, double interval) : m_days(days), m_interval(interval)
    {
        m_distribution.counts.assign(size_t(topClass(Resolution::Fine)) + 1, 0);
    }

    void add(qint64 seconds, qint16 tenths)
    {
        const double level = tenths / 10.0;
        const int c = std::clamp<int>(tenths, 0, topClass(Resolution::Fine));
        m_all.add(c);
        if (m_days)
            m_parts[size_t(dayPartOf(seconds - floorTo(seconds, SecondsPerDay)))].add(c);
        m_row.lmax = m_all.count() == 1 ? level : std::max(m_row.lmax, level);
        m_row.lmin = m_all.count() == 1 ? level : std::min(m_row.lmin, level);
        ++m_distribution.counts[size_t(c)];
        m_classes.push_back(qint16(c));
    }

    void finish(const LocalTime& start, std::vector<PeriodRow>& rows)
    {
        if (m_all.count() > 0) {
            m_row.start = start.civil;
            m_row.offset = start.offset;
            m_row.records = m_all.count();
            m_row.leq = m_all.leq();
            m_distribution.counted = m_all.count();
            const ExceedanceTable table = exceedance(m_distribution);
            m_row.l10 = table.level(10);
            m_row.l50 = table.level(50);
            m_row.l90 = table.level(90);
            if (m_days)
                finishDay();
            rows.push_back(m_row);
        }
        for (const qint16 c : m_classes)
            --m_distribution.counts[size_t(c)];
        m_classes.clear();
        m_all.reset();
        for (ClassEnergy& part : m_parts)
            part.reset();
        m_row = PeriodRow();
    }

private:
    void finishDay()
    {
        std::array<std::optional<double>, 3> levels;
        std::array<double, 3> coverage{};
        const qint64 day = floorTo(m_row.start, SecondsPerDay) / SecondsPerDay;
        const std::array<qint64, 3> lengths = dayPartSeconds(day, day, m_zone);
        for (size_t p = 0; p < 3; ++p) {
            if (m_parts[p].count() > 0)
                levels[p] = m_parts[p].leq();
            const double share =
                lengths[p] > 0 ? double(m_parts[p].count()) * m_interval / double(lengths[p]) : 0.0;
            coverage[p] = std::clamp(share, 0.0, 1.0);
        }
        m_row.ld = levels[0];
        m_row.le = levels[1];
        m_row.ln = levels[2];
        if (levels[0] && levels[1] && levels[2])
            m_row.lden = ldenOf(*levels[0], *levels[1], *levels[2]);
        m_row.coverageDay = coverage[0];
        m_row.coverageEvening = coverage[1];
        m_row.coverageNight = coverage[2];
    }

    bool m_days;
    double m_interval;
    LocalZone m_zone;
    ClassEnergy m_all;
    std::array<ClassEnergy, DayPartCount> m_parts;
    LevelDistribution m_distribution;
    std::vector<qint16> m_classes;
    PeriodRow m_row;
};

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

std::vector<PeriodRow> periodTable(const LevelSeries& series, int minutes, double interval)
{
    const qint64 step = qint64(std::clamp(minutes, 1, DayMinutes)) * 60;
    std::vector<PeriodRow> rows;
    PeriodBuilder builder(step == SecondsPerDay, interval > 0.0 ? interval : 1.0);
    // The counted records with a time, each with the start of its period; every record with a
    // time is read, so that the clock sees a repeated hour. `visit` returning false ends the walk.
    const auto walk = [&](auto&& visit) {
        LocalClock clock;
        PeriodClock periods(minutes);
        for (size_t i = 0; i < series.size(); ++i) {
            const LevelSample& s = series[i];
            if (!s.hasTime())
                continue;
            const LocalTime time = clock.read(s.seconds);
            if (s.counted() && !visit(i, periods.startOf(time)))
                return false;
        }
        return true;
    };
    // A file whose clock never steps back (the usual case) is already in period order and is
    // walked as it is, costing nothing a record; any other is put in order through an index.
    std::optional<qint64> previous;
    const bool sorted = walk([&](size_t, const LocalTime& start) {
        if (previous && start.utc() < *previous)
            return false;
        previous = start.utc();
        return true;
    });
    if (sorted) {
        std::optional<LocalTime> current;
        walk([&](size_t i, const LocalTime& start) {
            if (current && start.utc() != current->utc())
                builder.finish(*current, rows);
            current = start;
            builder.add(series[i].seconds, series[i].tenths);
            return true;
        });
        if (current)
            builder.finish(*current, rows);
        return rows;
    }

    struct Entry
    {
        qint64 utc;
        quint32 index;
        qint32 offset;
    };
    std::vector<Entry> order;
    order.reserve(series.size());
    walk([&](size_t i, const LocalTime& start) {
        order.push_back({start.utc(), quint32(i), qint32(start.offset)});
        return true;
    });
    std::stable_sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) { return a.utc < b.utc; });
    for (size_t k = 0; k < order.size(); ++k) {
        const LevelSample& s = series[order[k].index];
        builder.add(s.seconds, s.tenths);
        if (k + 1 == order.size() || order[k + 1].utc != order[k].utc)
            builder.finish({order[k].utc + order[k].offset, order[k].offset, true}, rows);
    }
    return rows;
}

QString periodStartText(qint64 start, int minutes)
{
    const QString text = civilTimeText(start);
    return minutes >= DayMinutes ? text.left(10) : text.left(16);
}

} // namespace kirv
