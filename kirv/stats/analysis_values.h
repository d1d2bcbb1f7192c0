#pragma once

#include "kirv/stats/level_events.h"
#include "kirv/stats/noise_exposure.h"
#include "kirv/stats/period_table.h"

#include <QString>

#include <optional>
#include <vector>

namespace kirv {

/// What the batch report states beyond the meter's values: the period table, the events when
/// asked for, the noise exposure and the masks that were applied. Absent (`present` false) in
/// reports that did not ask for it.
struct AnalysisValues
{
    bool present = false;
    int periodMinutes = 60;
    std::vector<PeriodRow> periods;
    std::optional<EventRule> eventRule; // events were asked for
    std::vector<LevelEvent> events;
    NoiseExposure exposure;
    qsizetype maskedSpans = 0;
    QString masksError; // the sidecar that was ignored and why
};

/// The same analysis built one sample at a time, in series order; see PeriodTableBuilder for
/// the recount.
class AnalysisBuilder
{
public:
    AnalysisBuilder(double interval, int periodMinutes, const std::optional<EventRule>& eventRule);

    void reservePeriods(qsizetype periods) { m_periods.reserve(periods); }
    /// Sample `index` of the series at `time` as a LocalClock read it (invalid without a time).
    void add(const LevelSample& s, const LocalTime& time, qsizetype index)
    {
        m_periods.add(s, time);
        if (m_events)
            m_events->add(s, time, index);
        m_exposure.add(s);
    }
    bool needsRecount() const { return m_periods.needsRecount(); }
    void recount(const LevelSample& s, const LocalTime& time) { m_periods.recount(s, time); }
    AnalysisValues finish();

private:
    AnalysisValues m_values;
    PeriodTableBuilder m_periods;
    std::optional<EventFinder> m_events;
    ExposureSum m_exposure;
};

/// The analysis of a series (masked records flagged already) whose records are T seconds apart.
AnalysisValues analysisValues(const LevelSeries& series, double interval, int periodMinutes,
                              const std::optional<EventRule>& eventRule);

} // namespace kirv
