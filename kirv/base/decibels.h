#pragma once

#include "kirv/base/level_class.h"

#include <QString>
#include <QtGlobal>

#include <array>

namespace kirv {

// log(x) / log(10) in double precision, the one logarithm every level formula uses.
double Log10(double x);

// A computed level written with one decimal by truncation toward zero: 10x is truncated to a
// whole number t, and the point goes before the last digit of t. 88.58 gives "88.5", 140 gives
// "140.0", 0.42 gives ".4", 0 gives ".0", -0.42 gives "-.4". Floating-point noise around a tenth
// is rounded away first, so a steady 93.4 dB gives "93.4" and not "93.3". Not a number (the Leq
// of nothing) gives an empty text.
QString tenthText(double x);
// The value that tenthText(x) shows: 88.58 gives 88.5; not a number gives 0.
double tenthValue(double x);

// Count and energy sum of levels taken one per second, with the energy-average level (Leq) and
// the sound exposure level (SEL) they give. The energies are summed relative to the highest
// level seen, so no term exceeds 1 and the sum stays finite for every level a frame can carry
// (3276.7 dB included); the sum is compensated, so a steady level keeps its exact Leq over days
// of seconds.
class RunningLevel
{
public:
    // The terms 10^((L - reference)/10) of the levels of the 0.1 dB classes (L = tenths / 10)
    // for one reference, each worked out once: a long run of levels costs no power a level.
    class ClassTerms
    {
    public:
        double term(int tenths, double reference);

    private:
        std::array<double, topClass(Resolution::Fine) + 1> m_terms{};
        std::array<bool, topClass(Resolution::Fine) + 1> m_known{};
        double m_reference = 0.0;
        bool m_any = false;
    };

    // n += 1; E += 10^(L/10).
    void add(double levelDb);
    // The same for the level of class `tenths` (0..1450), its term from `terms` (which serves
    // this one sum at a time): exactly what add(tenths / 10.0) adds.
    void add(int tenths, ClassTerms& terms);
    void reset();

    qint64 count() const { return m_count; }
    // E itself; infinite when the levels are beyond what a double holds (Leq and SEL are not).
    double energy() const;
    // 10 log10(E/n); not a number while nothing has been added.
    double leq() const;
    // Leq + 10 log10(n), n standing for the seconds taken.
    double sel() const;
    QString leqText() const { return tenthText(leq()); }
    QString selText() const { return tenthText(sel()); }

private:
    void lift(double levelDb);
    void sum(double term);

    qint64 m_count = 0;
    double m_reference = 0.0; // highest level added; m_energy sums 10^((L - reference)/10)
    double m_energy = 0.0;
    double m_compensation = 0.0;
};

// The highest level of a run, the text it was shown with and the time it was first reached.
// Only a strictly greater level replaces it, so the first of equal maxima keeps its time.
struct LevelMaximum
{
    double level = 0.0;
    QString text;
    QString time;

    // Compares against the kept number (the panel's running maximum).
    bool offer(double levelDb, const QString& levelText, const QString& timeText);
    // Compares against the number the kept text starts with (the maximum of a recording, whose
    // text "93.4*" counts as 93.4 and whose start text "0" as 0).
    bool offerByText(double levelDb, const QString& levelText, const QString& timeText);
};

} // namespace kirv
