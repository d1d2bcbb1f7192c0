#include "kirv/records/period_table.h"

#include "kirv/analysis/exceedance.h"
#include "kirv/analysis/level_stats.h"
#include "kirv/records/report_values.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr qint64 SecondsPerDay = 86400;
constexpr qint64 Hour = 3600;
constexpr std::array<double, 3> PartHours{12.0, 4.0, 8.0}; // day, evening, night

int dayPartOf(qint64 secondOfDay)
{
    if (secondOfDay >= 7 * Hour && secondOfDay < 19 * Hour)
        return 0;
    return secondOfDay >= 19 * Hour && secondOfDay < 23 * Hour ? 1 : 2;
}

qint64 floorTo(qint64 seconds, qint64 step)
{
    const qint64 q = seconds / step - (seconds % step < 0 ? 1 : 0);
    return q * step;
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
        m_all.add(level);
        if (m_days)
            m_parts[size_t(dayPartOf(seconds - floorTo(seconds, SecondsPerDay)))].add(level);
        m_row.lmax = m_all.count() == 1 ? level : std::max(m_row.lmax, level);
        m_row.lmin = m_all.count() == 1 ? level : std::min(m_row.lmin, level);
        const int c = std::clamp<int>(tenths, 0, topClass(Resolution::Fine));
        ++m_distribution.counts[size_t(c)];
        m_classes.push_back(qint16(c));
    }

    void finish(qint64 start, std::vector<PeriodRow>& rows)
    {
        if (m_all.count() > 0) {
            m_row.start = start;
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
        for (RunningLevel& part : m_parts)
            part.reset();
        m_row = PeriodRow();
    }

private:
    void finishDay()
    {
        std::array<std::optional<double>, 3> levels;
        std::array<double, 3> coverage{};
        for (size_t p = 0; p < 3; ++p) {
            if (m_parts[p].count() > 0)
                levels[p] = m_parts[p].leq();
            const double share = double(m_parts[p].count()) * m_interval / (PartHours[p] * Hour);
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
    RunningLevel m_all;
    std::array<RunningLevel, 3> m_parts;
    LevelDistribution m_distribution;
    std::vector<qint16> m_classes;
    PeriodRow m_row;
};

} // namespace

double ldenOf(double ld, double le, double ln)
{
    return 10.0 * Log10((12.0 * std::pow(10.0, ld / 10.0) + 4.0 * std::pow(10.0, (le + 5.0) / 10.0) +
                         8.0 * std::pow(10.0, (ln + 10.0) / 10.0)) /
                        24.0);
}

std::vector<PeriodRow> periodTable(const LevelSeries& series, int minutes, double interval)
{
    const qint64 step = qint64(std::clamp(minutes, 1, DayMinutes)) * 60;
    const auto inPeriod = [](const LevelSample& s) { return s.counted() && s.hasTime(); };
    std::vector<PeriodRow> rows;
    PeriodBuilder builder(step == SecondsPerDay, interval > 0.0 ? interval : 1.0);
    // A file whose clock never steps back (the usual case) is already in period order and is
    // walked as it is, costing nothing a record; any other is put in order through an index.
    bool sorted = true;
    std::optional<qint64> previous;
    for (const LevelSample& s : series) {
        if (!inPeriod(s))
            continue;
        const qint64 start = floorTo(s.seconds, step);
        if (previous && start < *previous) {
            sorted = false;
            break;
        }
        previous = start;
    }
    if (sorted) {
        std::optional<qint64> current;
        for (const LevelSample& s : series) {
            if (!inPeriod(s))
                continue;
            const qint64 start = floorTo(s.seconds, step);
            if (current && start != *current)
                builder.finish(*current, rows);
            current = start;
            builder.add(s.seconds, s.tenths);
        }
        if (current)
            builder.finish(*current, rows);
        return rows;
    }

    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(series.size());
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i)
        if (inPeriod(series[size_t(i)]))
            order.emplace_back(floorTo(series[size_t(i)].seconds, step), i);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t k = 0; k < order.size(); ++k) {
        const LevelSample& s = series[size_t(order[k].second)];
        builder.add(s.seconds, s.tenths);
        if (k + 1 == order.size() || order[k + 1].first != order[k].first)
            builder.finish(order[k].first, rows);
    }
    return rows;
}

QString periodStartText(qint64 start, int minutes)
{
    const QString text = civilTimeText(start);
    return minutes >= DayMinutes ? text.left(10) : text.left(16);
}

} // namespace kirv
