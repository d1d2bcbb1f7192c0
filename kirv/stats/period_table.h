#pragma once

#include "kirv/base/civil_time.h"
#include "kirv/records/level_series.h"
#include "kirv/stats/exceedance.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace kirv {

/// The lengths a period table offers, in minutes; a day is 1440.
inline constexpr std::array<int, 6> PeriodTableMinutes{1, 5, 15, 30, 60, 1440};
inline constexpr int DayMinutes = 1440;

/// Levels of one clock-aligned period over its counted records. Levels are in dB, unrounded;
/// the views and outputs show them by the one tenth rule (tenthText).
struct PeriodRow
{
    qint64 start = 0;   // civil seconds of the period's first second
    int offset = 0;     // the UTC offset at that second: a repeated hour has one row per pass
    qint64 records = 0; // counted records
    double leq = 0.0;
    double lmax = 0.0;
    double lmin = 0.0;
    std::optional<double> l10, l50, l90; // of the period's 0.1 dB distribution
    // Days only: the day (07-19), evening (19-23) and night (23-07) levels of the calendar day,
    // Lden when all three exist, and each part's counted records x T over its length in real
    // seconds on that day (0..1).
    std::optional<double> ld, le, ln, lden;
    double coverageDay = 0.0;
    double coverageEvening = 0.0;
    double coverageNight = 0.0;
};

/// The period a record falls in, for records read in record order: each local day is cut into
/// periods of `minutes` from its midnight (the last one shorter when they do not divide the
/// day). A period start that a change back from summer time repeats begins a period on each
/// pass, so the two passes of a repeated hour are two periods.
class PeriodClock
{
public:
    explicit PeriodClock(int minutes);
    /// The start of the period of a record at `time` (as LocalClock read it).
    LocalTime startOf(const LocalTime& time)
    {
        if (time.civil >= m_from && time.civil < m_to)
            return m_start;
        return startOfAnother(time);
    }

private:
    LocalTime startOfAnother(const LocalTime& time);

    qint64 m_step;
    LocalZone m_zone;
    qint64 m_from = 1; // the civil times [from, to) of the last period, when its start is steady
    qint64 m_to = 0;
    LocalTime m_start;
};

/// The period table built one sample at a time, in series order. A period the records come
/// back to after another one (the clock stepped back) needs its distribution counted again:
/// then recount() is handed the same samples once more before finish().
class PeriodTableBuilder
{
public:
    PeriodTableBuilder(int minutes, double interval);
    ~PeriodTableBuilder();
    PeriodTableBuilder(const PeriodTableBuilder&) = delete;
    PeriodTableBuilder& operator=(const PeriodTableBuilder&) = delete;

    /// Room for about `periods` periods, so that a long file's table is not copied as it grows.
    void reserve(qsizetype periods);
    /// A sample at `time` as a LocalClock read it (invalid without a time).
    void add(const LevelSample& s, const LocalTime& time);
    /// Whether the samples have to be handed to recount() before finish().
    bool needsRecount() const { return !m_recounts.empty(); }
    void recount(const LevelSample& s, const LocalTime& time);
    std::vector<PeriodRow> finish();

private:
    struct Sums;
    void close();

    bool m_days;
    double m_interval;
    PeriodClock m_clock;
    PeriodClock m_recountClock;
    LocalZone m_zone;
    // The periods in order of their start: each is its row from its first record on (the levels
    // of its distribution taken when it closes), its sums beside it.
    std::vector<PeriodRow> m_rows;
    std::vector<Sums> m_sums;
    qsizetype m_open = -1;
    // The distribution of the open period, emptied by taking back the classes it added, so a
    // period costs its records, not 1451 classes.
    LevelDistribution m_distribution;
    std::vector<qint16> m_classes;
    std::vector<std::pair<qint64, std::vector<qint64>>> m_recounts; // by start, the periods come back to
};

/// One row per period that holds a counted record, in time order. `minutes` is one of
/// PeriodTableMinutes (other lengths from 1 to 1440 work alike); `interval` is T in seconds, for
/// the coverage. Records without a civil time are in no period.
std::vector<PeriodRow> periodTable(const LevelSeries& series, int minutes, double interval);

/// The start of a period as the period window shows it: "2026/03/04 08:15", or "2026/03/04"
/// for a day.
QString periodStartText(qint64 start, int minutes);

} // namespace kirv
