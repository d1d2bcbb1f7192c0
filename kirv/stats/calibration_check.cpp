#include "kirv/stats/calibration_check.h"

#include <cmath>

namespace kirv {

namespace {

// Readings are tenths of a dB typed as decimals: 94.3 - 93.8 comes out as 0.5000000000000142.
// A drift within a millionth of a dB of the tolerance counts as the tolerance, far below any
// resolution a meter or a calibrator has, so "exactly 0.5" is decided as the user means it.
constexpr double DriftEpsilonDb = 1e-6;

} // namespace

CalibrationCheck checkCalibration(const SessionDetails& details)
{
    CalibrationCheck check;
    check.before = details.calibrationBefore;
    check.after = details.calibrationAfter;
    if (details.toleranceDb && std::isfinite(*details.toleranceDb) && *details.toleranceDb >= 0.0)
        check.toleranceDb = *details.toleranceDb;
    if (!check.before || !check.after)
        return check;
    check.driftDb = check.after->levelDb - check.before->levelDb;
    check.verdict = std::abs(*check.driftDb) <= check.toleranceDb + DriftEpsilonDb
                        ? CalibrationCheck::Valid
                        : CalibrationCheck::Failed;
    return check;
}

QString calibrationVerdictText(CalibrationCheck::Verdict verdict)
{
    switch (verdict) {
    case CalibrationCheck::Valid: return QStringLiteral("valid");
    case CalibrationCheck::Failed: return QStringLiteral("failed");
    case CalibrationCheck::Missing: break;
    }
    return QStringLiteral("missing");
}

} // namespace kirv
