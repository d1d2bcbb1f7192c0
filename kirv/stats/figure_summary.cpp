#include "kirv/stats/figure_summary.h"

#include "kirv/stats/class_energy.h"
#include "kirv/stats/exceedance.h"

#include <algorithm>

namespace kirv {

FigureSummary figureSummaryOf(const LevelSeries& series, double interval)
{
    FigureSummary summary;
    ClassEnergy energy;
    LevelDistribution distribution;
    for (const LevelSample& s : series) {
        if (s.unreadable() && !s.inMask())
            ++summary.unreadable;
        if (!s.counted())
            continue;
        const int c = std::clamp<int>(s.tenths, 0, distribution.topClass());
        energy.add(c);
        summary.lmax = summary.lmax ? std::max(*summary.lmax, s.level()) : s.level();
        ++distribution.counts[size_t(c)];
    }
    distribution.counted = energy.count();
    if (energy.count() > 0)
        summary.leq = energy.leq();
    summary.l90 = exceedance(distribution).level(90);
    summary.exposure = noiseExposure(series, interval);
    return summary;
}

} // namespace kirv
