#include "kirv/stats/analysis_values.h"

namespace kirv {

AnalysisValues analysisValues(const LevelSeries& series, double interval, int periodMinutes,
                              const std::optional<EventRule>& eventRule)
{
    AnalysisValues v;
    v.present = true;
    v.periodMinutes = periodMinutes;
    v.periods = periodTable(series, periodMinutes, interval);
    v.eventRule = eventRule;
    if (eventRule)
        v.events = findEvents(series, *eventRule, interval);
    v.exposure = noiseExposure(series, interval);
    return v;
}

} // namespace kirv
