#pragma once

#include "kirv/plots/ui/real_histogram.h"

#include <QPointer>

namespace kirv {

struct PanelGraphData;

/// What the last distribution graph click handed over, and the window it opened.
struct HistogramClickState
{
    HistogramHandOver handOver;
    QPointer<RealHistogram> window;
};

HistogramClickState& histogramClicks();

/// A click on CWInt (`fine` false: 1 dB classes) or CWDec (`fine` true: 0.1 dB classes): closes an
/// open RealHistogram and opens a new one with a snapshot of the count table over the classes
/// from one below the lowest to one above the highest level seen; stores the hand-over values.
RealHistogram* openRealHistogram(const PanelGraphData& data, bool fine);

} // namespace kirv
