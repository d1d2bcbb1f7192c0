#pragma once

#include "kirv/plots/ui/plot_overlays.h"
#include "kirv/stats/level_events.h"
#include "kirv/records/level_series.h"
#include "kirv/stats/period_table.h"

#include <vector>

class QWidget;

namespace kirv {

class Plot;

/// The records (x = index + 1) each period of the table spans, with its levels.
std::vector<PlotPeriod> plotPeriods(const LevelSeries& series, const std::vector<PeriodRow>& rows,
                                    int minutes);
/// The runs of masked records, as spans of x.
std::vector<PlotSpan> plotMaskedSpans(const LevelSeries& series);
std::vector<PlotSpan> plotEventSpans(const std::vector<LevelEvent>& events);

/// Draws the analysis of the list window over the Plot window that shows its records: the
/// periods of its Periods window (60 minutes while none is open), the events of its Events
/// window, the masked spans; and answers the plot's "Exclude" and "Include". It follows every
/// later change of masks or tables until another list is plotted.
void showAnalysisInPlot(Plot* plot, QWidget* listWindow);

/// An event chosen in the Events window of `listWindow`: shown in the plot of that list (plotted
/// first when the plot shows another list or none).
void showEventInPlot(QWidget* listWindow, const LevelEvent& event);

} // namespace kirv
