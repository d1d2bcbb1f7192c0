#pragma once

#include "kirv/records/level_series.h"

#include <optional>

namespace kirv {

/// A daily dose rule: `criterion` dB for 8 hours is 100 %, every `exchange` dB more halves the
/// allowed time; levels below `threshold` add nothing.
struct DoseRule
{
    double criterion;
    double exchange;
    double threshold;
};

inline constexpr DoseRule OshaDose{90.0, 5.0, 80.0};
inline constexpr DoseRule NioshDose{85.0, 3.0, 0.0};

/// Noise exposure of the counted records of a series, each taken for T seconds: the exposure
/// time, LEX,8h (the Leq over that time normalised to 8 hours) and the doses in per cent.
/// Everything is empty when no record counts.
struct NoiseExposure
{
    double seconds = 0.0;
    std::optional<double> lex8h;
    std::optional<double> doseOsha;
    std::optional<double> doseNiosh;
};

NoiseExposure noiseExposure(const LevelSeries& series, double interval);

/// LEX,8h of a level held for `seconds`.
double lex8h(double leq, double seconds);

} // namespace kirv
