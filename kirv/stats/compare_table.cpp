#include "kirv/stats/compare_table.h"

#include "kirv/base/civil_time.h"

#include <cmath>
#include <map>

namespace kirv {

namespace {

std::optional<double> differenceOf(const std::optional<double>& a, const std::optional<double>& b)
{
    if (!a || !b)
        return std::nullopt;
    // Both are tenths; the difference is one too, without the noise of the subtraction.
    return double(std::llround((*b - *a) * 10.0)) / 10.0;
}

// The UTC instant of each period's start, in the order of the report.
std::vector<std::pair<qint64, const PeriodLevel*>> instants(const ReportValues& r)
{
    std::vector<std::pair<qint64, const PeriodLevel*>> out;
    for (const PeriodLevel& p : r.periods)
        if (const std::optional<qint64> civil = civilSeconds(p.start.toLatin1()))
            out.emplace_back(*civil - p.offset, &p);
    return out;
}

} // namespace

QString compareAlignmentName(CompareAlignment alignment)
{
    return alignment == CompareAlignment::ClockTime ? QStringLiteral("clock")
                                                    : QStringLiteral("elapsed");
}

CompareTable compareTable(const ReportValues& a, const ReportValues& b, CompareAlignment alignment)
{
    CompareTable table;
    table.fileA = a.file;
    table.fileB = b.file;
    table.alignment = alignment;
    const auto figure = [](const char* key, const char* label, const std::optional<double>& x,
                           const std::optional<double>& y) {
        return CompareFigure{key, label, x, y, differenceOf(x, y)};
    };
    table.figures = {figure("leq", "Leq", a.leq, b.leq),
                     figure("l10", "L10", a.exceedanceAt(10), b.exceedanceAt(10)),
                     figure("l90", "L90", a.exceedanceAt(90), b.exceedanceAt(90)),
                     figure("lmax", "Lmax", a.lmax, b.lmax)};

    std::map<qint64, ComparePeriod> rows;
    for (const bool first : {true, false}) {
        const auto periods = instants(first ? a : b);
        const qint64 origin = alignment == CompareAlignment::ElapsedTime && !periods.empty()
                                  ? periods.front().first
                                  : 0;
        for (const auto& [instant, period] : periods) {
            ComparePeriod& row = rows[instant - origin];
            row.at = instant - origin;
            (first ? row.a : row.b) = *period;
        }
    }
    for (auto& [at, row] : rows) {
        if (row.a && row.b)
            row.difference = differenceOf(row.a->leq, row.b->leq);
        table.periods.push_back(std::move(row));
    }
    return table;
}

} // namespace kirv
