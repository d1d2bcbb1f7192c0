#pragma once

#include "kirv/base/decibels.h"
#include "kirv/base/level_class.h"

#include <QtGlobal>

#include <array>
#include <cmath>
#include <limits>
#include <span>

namespace kirv {

/// The energy of each 0.1 dB class relative to the top class, 10^((c - 1450)/100): made once,
/// so a figure over millions of records computes no power per record, and no term exceeds 1.
inline const std::array<double, topClass(Resolution::Fine) + 1>& classEnergies()
{
    static const auto energies = [] {
        std::array<double, topClass(Resolution::Fine) + 1> e{};
        for (int c = 0; c <= topClass(Resolution::Fine); ++c)
            e[size_t(c)] = std::pow(10.0, double(c - topClass(Resolution::Fine)) / 100.0);
        return e;
    }();
    return energies;
}

/// Count and energy sum of levels in 0.1 dB classes, and their energy-average level: the one
/// Leq of every stored figure (whole file, periods, day parts, masked figures, alarm windows).
/// The sum is compensated as RunningLevel's is, so a steady level keeps its exact Leq.
class ClassEnergy
{
public:
    /// One level of class `tenths` (0..1450).
    void add(int tenths)
    {
        ++m_count;
        const double term = classEnergies()[size_t(tenths)] - m_compensation;
        const double sum = m_energy + term;
        m_compensation = (sum - m_energy) - term;
        m_energy = sum;
    }
    void reset() { *this = ClassEnergy(); }

    qint64 count() const { return m_count; }
    /// 10 log10(E/n); not a number while nothing has been added.
    double leq() const { return leqOf(m_energy, m_count); }

    /// The Leq of class counts (counts[c] levels of class c).
    template <typename Count> static double leqOfCounts(std::span<const Count> counts)
    {
        double energy = 0.0;
        qint64 n = 0;
        for (size_t c = 0; c < counts.size(); ++c) {
            if (counts[c] != 0) {
                energy += double(counts[c]) * classEnergies()[c];
                n += qint64(counts[c]);
            }
        }
        return leqOf(energy, n);
    }

private:
    static double leqOf(double energy, qint64 n)
    {
        if (n == 0)
            return std::numeric_limits<double>::quiet_NaN();
        return topClass(Resolution::Fine) / 10.0 + 10.0 * Log10(energy / double(n));
    }

    qint64 m_count = 0;
    double m_energy = 0.0;
    double m_compensation = 0.0;
};

} // namespace kirv
