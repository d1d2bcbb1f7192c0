#pragma once

#include "kirv/records/level_series.h"
#include "kirv/stats/noise_exposure.h"

#include <optional>

namespace kirv {

/// The figures of a list window's summary line: Leq, Lmax and L90 of the counted records, the
/// exposure, and the levels that are no number.
struct FigureSummary
{
    std::optional<double> leq, lmax, l90;
    NoiseExposure exposure;
    qint64 unreadable = 0; // levels outside the masks that are no number
};
FigureSummary figureSummaryOf(const LevelSeries& series, double interval);

} // namespace kirv
