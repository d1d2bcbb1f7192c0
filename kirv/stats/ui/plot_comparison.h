#pragma once

#include "kirv/plots/ui/plot_compare.h"
#include "kirv/records/level_series.h"
#include "kirv/stats/compare_table.h"

class QWidget;

namespace kirv {

class Plot;

/// What the Plot of file A draws of file B: B's counted levels and the period Leq difference
/// (B - A) on A's record axis (record i of A at x = i + 1, T_A seconds apart), laid by the clock
/// (a time of day at the same x in both) or by the time since each file's first record, and the
/// table's figures as texts. `periodMinutes` is the length of the table's periods.
PlotComparison plotComparison(const CompareTable& table, const LevelSeries& a, double intervalA,
                              const LevelSeries& b, int periodMinutes);

/// "Compare with..." of the Plot of `listA`: compares it with `listB` (both list windows with
/// their analysis) until the comparison ends, B closes or another list is plotted. Each file's
/// figures are its report (masks applied); a change of masks in either list, of the periods'
/// length or of the alignment draws the comparison anew.
void compareInPlot(Plot& plot, QWidget& listA, QWidget& listB);

/// The list window `plot` compares its list with, if any.
QWidget* comparedList(const Plot& plot);

} // namespace kirv
