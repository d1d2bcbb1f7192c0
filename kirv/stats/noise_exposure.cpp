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
    ExposureSum sum(interval);
    for (const LevelSample& s : series)
        sum.add(s);
    return sum.result();
}

double ExposureSum::doseOf(const DoseRule& rule, ClassDoses& doses, int tenths)
{
    if (tenths < 0 || tenths > topClass(Resolution::Fine))
        return kirv::doseOf(rule, double(tenths) / 10.0, m_t);
    const auto c = size_t(tenths);
    if (!doses.known[c]) {
        doses.doses[c] = kirv::doseOf(rule, double(tenths) / 10.0, m_t);
        doses.known[c] = true;
    }
    return doses.doses[c];
}

void ExposureSum::add(const LevelSample& s)
{
    if (!s.counted())
        return;
    const int tenths = int(s.tenths);
    m_energy.add(tenths, m_terms);
    m_osha += doseOf(OshaDose, m_oshaDoses, tenths);
    m_niosh += doseOf(NioshDose, m_nioshDoses, tenths);
}

NoiseExposure ExposureSum::result() const
{
    NoiseExposure exposure;
    if (m_energy.count() == 0)
        return exposure;
    exposure.seconds = double(m_energy.count()) * m_t;
    exposure.lex8h = lex8h(m_energy.leq(), exposure.seconds);
    exposure.doseOsha = m_osha;
    exposure.doseNiosh = m_niosh;
    return exposure;
}

} // namespace kirv
