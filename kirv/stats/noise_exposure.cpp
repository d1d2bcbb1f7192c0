#include "kirv/stats/noise_exposure.h"

#include "kirv/base/decibels.h"

#include <cmath>

namespace kirv {

namespace {

constexpr double EightHours = 8.0 * 3600.0;

// Share of the daily dose one record of `seconds` at `level` adds, in per cent.
double doseOf(const DoseRule& rule, double level, double seconds)
{
    if (level < rule.threshold)
        return 0.0;
    return 100.0 * seconds / EightHours * std::exp2((level - rule.criterion) / rule.exchange);
}

} // namespace

double lex8h(double leq, double seconds)
{
    return leq + 10.0 * Log10(seconds / EightHours);
}

NoiseExposure noiseExposure(const LevelSeries& series, double interval)
{
    const double t = interval > 0.0 ? interval : 1.0;
    RunningLevel energy;
    double osha = 0.0;
    double niosh = 0.0;
    for (const LevelSample& s : series) {
        if (!s.counted())
            continue;
        const double level = s.level();
        energy.add(level);
        osha += doseOf(OshaDose, level, t);
        niosh += doseOf(NioshDose, level, t);
    }
    NoiseExposure exposure;
    if (energy.count() == 0)
        return exposure;
    exposure.seconds = double(energy.count()) * t;
    exposure.lex8h = lex8h(energy.leq(), exposure.seconds);
    exposure.doseOsha = osha;
    exposure.doseNiosh = niosh;
    return exposure;
}

} // namespace kirv
