#pragma once

#include "kirv/records/session_details.h"

#include <optional>

namespace kirv {

/// Drift allowed between the calibrator readings before and after a series, in dB.
inline constexpr double DefaultCalibrationToleranceDb = 0.5;

/// The calibrator check of a measurement: the reading after the series minus the reading
/// before it. A drift larger than the tolerance puts the whole series in doubt.
struct CalibrationCheck
{
    enum Verdict
    {
        Missing, // a reading before or after is not given
        Valid,   // |drift| <= tolerance
        Failed,  // |drift| > tolerance
    };
    std::optional<CalibrationReading> before;
    std::optional<CalibrationReading> after;
    std::optional<double> driftDb; // after - before, when both are given
    double toleranceDb = DefaultCalibrationToleranceDb;
    Verdict verdict = Missing;

    friend bool operator==(const CalibrationCheck&, const CalibrationCheck&) = default;
};

/// The check of the readings of `details`, with its tolerance or the default one.
CalibrationCheck checkCalibration(const SessionDetails& details);

/// "valid", "failed" or "missing".
QString calibrationVerdictText(CalibrationCheck::Verdict verdict);

} // namespace kirv
