#include "kirv/stats/analysis_values.h"

namespace kirv {

AnalysisBuilder::AnalysisBuilder(double interval, int periodMinutes,
                                 const std::optional<EventRule>& eventRule)
    : m_periods(periodMinutes, interval), m_exposure(interval)
{
    m_values.present = true;
    m_values.periodMinutes = periodMinutes;
    m_values.eventRule = eventRule;
    if (eventRule)
        m_events.emplace(*eventRule, interval);
}

AnalysisValues AnalysisBuilder::finish()
{
    m_values.periods = m_periods.finish();
    if (m_events)
        m_values.events = m_events->finish();
    m_values.exposure = m_exposure.result();
    return std::move(m_values);
}

AnalysisValues analysisValues(const LevelSeries& series, double interval, int periodMinutes,
                              const std::optional<EventRule>& eventRule)
{
    AnalysisBuilder builder(interval, periodMinutes, eventRule);
    const auto walk = [&series](auto&& visit) {
        LocalClock clock;
        for (size_t i = 0; i < series.size(); ++i) {
            const LevelSample& s = series[i];
            visit(s, s.hasTime() ? clock.read(s.seconds) : LocalTime(), qsizetype(i));
        }
    };
    walk([&](const LevelSample& s, const LocalTime& t, qsizetype i) { builder.add(s, t, i); });
    if (builder.needsRecount())
        walk([&](const LevelSample& s, const LocalTime& t, qsizetype) { builder.recount(s, t); });
    return builder.finish();
}

} // namespace kirv
