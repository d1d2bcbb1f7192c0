#include "kirv/plots/ui/histogram_clicks.h"

#include "kirv/records/sampling.h"

namespace kirv {

HistogramClickState& histogramClicks()
{
    static HistogramClickState state;
    return state;
}

RealHistogram* openRealHistogram(const PanelGraphData& data, bool fine)
{
    HistogramClickState& state = histogramClicks();
    if (state.window)
        state.window->close(); // deletes itself
    auto* window = new RealHistogram;
    state.window = window;
    window->show();
    // Before the first sample the edges still describe an inverted range; the graph turns it
    // round, so the window opens on all-zero counts instead of failing.
    state.handOver =
        fine ? window->plotTable(data.LevelCount01, true, data.Count01Low - 1, data.Count01High + 1)
             : window->plotTable(data.LevelCount1, false, data.Count1Low - 1, data.Count1High + 1);
    return window;
}

} // namespace kirv
