// Redraw and strip-append costs of the graph with a full day of one-second samples.
#include "bench/offscreen_main.h"
#include "kirv/widgets/graph.h"

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QApplication>

#include <cmath>
#include <vector>

namespace {

constexpr int FullDay = 864001;

// A level trace between 40 and 100 dB with slow swells and fast ripple.
std::vector<double> levelTrace(int n)
{
    std::vector<double> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        y[std::size_t(i)] = 70.0 + 20.0 * std::sin(i / 3000.0) + 8.0 * std::sin(i * 0.7) * std::cos(i / 90.0);
    return y;
}

void BM_ReplotFullDay(benchmark::State& state)
{
    kirv::Graph graph;
    graph.resize(1000, 600);
    graph.show();
    const auto y = levelTrace(FullDay);
    graph.plotY(y);
    graph.setAxisRange(kirv::Graph::Axis::X, 1, FullDay);
    graph.setAxisRange(kirv::Graph::Axis::Y, 25, 145);
    for (auto _ : state)
        graph.plot()->replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_ReplotFullDay)->Unit(benchmark::kMillisecond);

void BM_PlotFullDay(benchmark::State& state)
{
    kirv::Graph graph;
    const auto y = levelTrace(FullDay);
    for (auto _ : state)
        graph.plotY(y);
}
BENCHMARK(BM_PlotFullDay)->Unit(benchmark::kMillisecond);

// A panel graph holding a full day, its x axis following the newest 600 samples.
void setUpStrip(kirv::Graph& graph)
{
    graph.resize(200, 100);
    graph.setCompact(true);
    graph.setStripLength(600);
    graph.plotY(levelTrace(FullDay));
}

// One strip append onto a full graph (the oldest point drops out), without drawing.
void BM_StripAppendFull(benchmark::State& state)
{
    kirv::Graph graph;
    setUpStrip(graph);
    double level = 60.0;
    for (auto _ : state) {
        graph.appendY(level);
        level = level >= 99.0 ? 40.0 : level + 0.1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StripAppendFull)->Unit(benchmark::kMicrosecond);

// Append plus the replot that follows it on the next event loop turn, as on the panel.
void BM_StripAppendAndReplot(benchmark::State& state)
{
    kirv::Graph graph;
    setUpStrip(graph);
    graph.show();
    double level = 60.0;
    for (auto _ : state) {
        graph.appendY(level);
        graph.plot()->replot(QCustomPlot::rpImmediateRefresh);
        level = level >= 99.0 ? 40.0 : level + 0.1;
    }
}
BENCHMARK(BM_StripAppendAndReplot)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
