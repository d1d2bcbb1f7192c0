#pragma once

#include "kirv/base/level_class.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace kirv {

/// Counts of level texts per class. Counts are 64-bit, so no list overflows a class.
struct LevelDistribution
{
    Resolution resolution = Resolution::Fine;
    /// counts[c] = records in class c, c = 0..topClass(resolution).
    std::vector<qint64> counts =
        std::vector<qint64>(size_t(kirv::topClass(Resolution::Fine)) + 1, 0);
    /// Records in a class (N of the exceedance table).
    qint64 counted = 0;
    /// Marked records ("*"), left out of the classes and out of N.
    qint64 leftOut = 0;

    int topClass() const { return kirv::topClass(resolution); }
    /// Lowest non-empty class from class 1 upward (class 0 holds texts that are no level).
    std::optional<int> lowClass() const;
    /// Highest non-empty class from the top down to class 1.
    std::optional<int> highClass() const;
};

/// Builds a distribution one text at a time: one pass, nothing allocated per text.
class LevelCounter
{
public:
    explicit LevelCounter(Resolution resolution);

    void add(QByteArrayView utf8) { count(levelClass(utf8, m_result.resolution)); }
    void add(QStringView text) { count(levelClass(text, m_result.resolution)); }

    const LevelDistribution& result() const { return m_result; }
    LevelDistribution take() { return std::move(m_result); }

private:
    void count(std::optional<int> c)
    {
        if (!c) {
            ++m_result.leftOut;
            return;
        }
        ++m_result.counts[size_t(*c)];
        ++m_result.counted;
    }

    LevelDistribution m_result;
};

LevelDistribution distribute(std::span<const QString> levels, Resolution resolution);
LevelDistribution distribute(std::span<const QByteArrayView> levels, Resolution resolution);

/// L(0)..L(99): entry j is the lowest class whose running count from class 0 upward exceeds
/// N * (99.5 - j) / 100, so L(0) lies near the highest levels, L(50) at the median and L(99)
/// near the lowest. Every entry is empty when nothing was counted.
struct ExceedanceTable
{
    static constexpr int Entries = 100;

    Resolution resolution = Resolution::Fine;
    std::array<std::optional<int>, Entries> classes{};
    /// N: the records counted (marked records are not).
    qint64 recordCount = 0;

    /// The level of entry j in dB; nothing when empty.
    std::optional<double> level(int j) const;
    /// Entry j as the windows show it: "60.0" (fine), "60" (coarse), "" (empty).
    QString text(int j) const;
};

ExceedanceTable exceedance(const LevelDistribution& distribution);

/// The table GridLn shows: 11 columns, the titles "Ln", " 0" .. " 9", and ten rows r = 0..9 of
/// the label "L(r0)" and the entries L(10r) .. L(10r + 9).
inline constexpr int GridLnColumns = 11;
inline constexpr int GridLnRows = 10;
QStringList gridLnTitles();
QStringList gridLnRow(const ExceedanceTable& table, int r);

} // namespace kirv
