#pragma once

#include <span>

class QWidget;

namespace kirv {

class Graph;
class RealTimeGraph;
struct PanelGraphData;
struct PanelParts;

// The panel's three small time graphs and the live series each one opens.
enum class PanelTimeGraph { Level, Leq, SEL };

// The series `which` as far as it is filled (its first SeriesIndex samples).
std::span<const double> panelSeries(const PanelGraphData& data, PanelTimeGraph which);

// A click on the small time graph `clicked`: the hand-over values (its y range, the samples and
// its y title) go to graphHandOver(), and a fresh RealTimeGraph shows them. Before the first
// sample the window opens empty.
RealTimeGraph* timeGraphClick(const Graph& clicked, const PanelGraphData& data,
                              PanelTimeGraph which, QWidget* parent);

// Opens RealTimeGraph on clicks on the panel's CWG, CWLeq and CWSEL, with the series of the
// panel's sampler as they stand at the click.
void attachTimeGraphClicks(PanelParts& parts);

} // namespace kirv
