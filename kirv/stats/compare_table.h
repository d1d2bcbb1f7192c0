#pragma once

#include "kirv/stats/report_values.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace kirv {

/// How the periods of two files are laid side by side: by the clock (the period that starts at
/// the same instant in both) or by the time elapsed since each file's first period.
enum class CompareAlignment
{
    ClockTime,
    ElapsedTime
};

/// "clock" or "elapsed", the alignment's name in the written forms.
QString compareAlignmentName(CompareAlignment alignment);

/// One figure of both files and how far the second lies above the first (b - a, in dB).
struct CompareFigure
{
    const char* key; // "leq", "l10", "l90", "lmax"
    const char* label; // "Leq", "L10", "L90", "Lmax"
    std::optional<double> a, b, difference;
};

/// A period of either file with its partner of the other one, when it has one.
struct ComparePeriod
{
    qint64 at = 0; // seconds: the UTC instant of the start by the clock, else since the first start
    std::optional<PeriodLevel> a, b; // missing where that file has no such period
    std::optional<double> difference; // b.leq - a.leq
};

/// The figures of two reports side by side, and their period levels paired by the alignment.
struct CompareTable
{
    QString fileA, fileB;
    CompareAlignment alignment = CompareAlignment::ClockTime;
    std::array<CompareFigure, 4> figures{};
    std::vector<ComparePeriod> periods; // in the order of `at`; a period of one file alone too
};

/// Lays the values of `a` and `b` (each report's own figures, made by reportOf with one period
/// length) side by side. Differences are whole tenths: both levels are.
CompareTable compareTable(const ReportValues& a, const ReportValues& b, CompareAlignment alignment);

} // namespace kirv
