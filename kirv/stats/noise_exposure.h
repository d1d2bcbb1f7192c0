#pragma once

#include "kirv/base/decibels.h"
#include "kirv/records/level_series.h"

#include <array>
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

/// The same summed one sample at a time, in series order.
class ExposureSum
{
public:
    explicit ExposureSum(double interval) : m_t(interval > 0.0 ? interval : 1.0) {}
    void add(const LevelSample& s);
    NoiseExposure result() const;

private:
    // The dose one record of a class adds under a rule, worked out once a class.
    struct ClassDoses
    {
        std::array<double, topClass(Resolution::Fine) + 1> doses{};
        std::array<bool, topClass(Resolution::Fine) + 1> known{};
    };
    double doseOf(const DoseRule& rule, ClassDoses& doses, int tenths);

    double m_t;
    RunningLevel m_energy;
    RunningLevel::ClassTerms m_terms;
    ClassDoses m_oshaDoses;
    ClassDoses m_nioshDoses;
    double m_osha = 0.0;
    double m_niosh = 0.0;
};

/// LEX,8h of a level held for `seconds`.
double lex8h(double leq, double seconds);

} // namespace kirv
