#include "kirv/app/ui/time_graph_clicks.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/real_time_graph.h"

#include "kirv/plots/graph_hand_over.h"
#include "kirv/panel/ui/panel_parts.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/records/sampling.h"

#include <algorithm>
#include <array>

namespace kirv {

std::span<const double> panelSeries(const PanelGraphData& data, PanelTimeGraph which)
{
    const std::vector<double>& series = which == PanelTimeGraph::Level ? data.LevelSeries
                                        : which == PanelTimeGraph::Leq ? data.LeqSeries
                                                                       : data.SELSeries;
    const auto count = std::clamp<std::size_t>(std::size_t(std::max(data.SeriesIndex, 0)), 0,
                                               series.size());
    return std::span<const double>(series).first(count);
}

RealTimeGraph* timeGraphClick(const Graph& clicked, const PanelGraphData& data,
                              PanelTimeGraph which, QWidget* parent)
{
    GraphHandOver& h = graphHandOver();
    switch (which) {
    case PanelTimeGraph::Level:
        h.GraphYHigh = data.Count01High / 10.0;
        h.GraphYLow = data.Count01Low / 10.0;
        break;
    case PanelTimeGraph::Leq:
        h.GraphYHigh = data.LeqHigh;
        h.GraphYLow = data.LeqLow;
        break;
    case PanelTimeGraph::SEL:
        h.GraphYHigh = data.SELHigh;
        h.GraphYLow = data.SELLow;
        break;
    }
    h.GraphTitle = clicked.axisTitle(Graph::Axis::Y);
    const auto series = panelSeries(data, which);
    h.GraphCount = int(series.size());
    return openRealTimeGraph(parent, series);
}

void attachTimeGraphClicks(PanelParts& parts)
{
    Panel* panel = parts.panel;
    PanelRecording* recording = parts.recording;
    const std::array<std::pair<Graph*, PanelTimeGraph>, 3> graphs{{
        {panel->CWG, PanelTimeGraph::Level},
        {panel->CWLeq, PanelTimeGraph::Leq},
        {panel->CWSEL, PanelTimeGraph::SEL},
    }};
    for (const auto& [graph, which] : graphs) {
        QObject::connect(graph, &Graph::clicked, recording,
                         [panel, recording, graph = graph, which = which] {
                             timeGraphClick(*graph, recording->sampler().graphs(), which, panel);
                         });
    }
}

} // namespace kirv
