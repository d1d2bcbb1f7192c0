// The analysis of a full recording (348000 records): the hourly period table, the events, a
// masked span applied with every view of the list computed again (Periods, Events, the plot's
// overlays), and a pan or zoom redraw of the plot with its overlays shown.
#include "bench/offscreen_main.h"
#include "bench/pan_zoom.h"

#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_overlays.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/widgets/graph.h"
#include "kirv/stats/level_events.h"
#include "kirv/stats/period_table.h"
#include "kirv/records/recordlist.h"
#include "kirv/stats/report_values.h"
#include "kirv/stats/ui/analysis_windows.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/plot_analysis.h"
#include "kirv/base/civil_time.h"

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QCheckBox>

#include <cmath>

namespace {

// A week of records at 1 s whose level wanders as traffic does (the plot benchmarks' curve), so
// the plot's own redraw stays what it is for a real file; a minute paused every hour.
const kirv::RecordList& recording()
{
    static kirv::RecordList list;
    if (list.count() == 0) {
        kirv::RecordStore store;
        const qint64 start = *kirv::civilSeconds("2024/06/01 00:00:00");
        for (qsizetype i = 0; i < kirv::MaxListRecords; ++i) {
            const double level =
                70.0 + 20.0 * std::sin(i / 3000.0) + 8.0 * std::sin(i * 0.7) * std::cos(i / 90.0);
            store.append(QByteArray::number(i + 1), kirv::civilTimeText(start + i).toLatin1(),
                         QByteArray::number(level, 'f', 1) + (i % 3600 < 60 ? "*" : ""));
        }
        list.append(std::move(store));
    }
    return list;
}

const kirv::LevelSeries& series()
{
    static const kirv::LevelSeries s = kirv::seriesOf(recording().store());
    return s;
}

void BM_PeriodTableHourly(benchmark::State& state)
{
    series(); // the recording is made once, outside every measurement
    for (auto _ : state)
        benchmark::DoNotOptimize(kirv::periodTable(series(), 60, 1.0));
}
BENCHMARK(BM_PeriodTableHourly)->Unit(benchmark::kMillisecond);

void BM_Events(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kirv::findEvents(series(), {75.0, 30.0, 2.0}, 1.0));
}
BENCHMARK(BM_Events)->Unit(benchmark::kMillisecond);

// A list window with its Periods and Events windows open and its plot drawn with overlays.
struct AnalysedList
{
    QWidget list;
    kirv::FileAnalysis* analysis = new kirv::FileAnalysis({}, series(), 1.0, &list);
    kirv::Plot* plot = kirv::PlotRecordList(recording(), nullptr);

    AnalysedList()
    {
        kirv::showAnalysisWindow(&list, QStringLiteral("Periods"));
        kirv::showAnalysisWindow(&list, QStringLiteral("Events"));
        kirv::showAnalysisInPlot(plot, &list);
        plot->Overlays->ChkPeriodLeq->setChecked(true);
        plot->Overlays->ChkPercentiles->setChecked(true);
        QCoreApplication::processEvents();
    }
    ~AnalysedList() { delete plot; }
};

// "Exclude" of a 12-hour span, then "Include" of it: each recomputes every view.
void BM_MaskAndRecomputeViews(benchmark::State& state)
{
    AnalysedList a;
    const qint64 from = a.analysis->whole()[1000].seconds;
    const qint64 to = from + 12 * 3600;
    bool masked = false;
    for (auto _ : state) {
        const kirv::FileStatus written = masked ? a.analysis->include(from) : a.analysis->exclude(from, to);
        if (!written.ok()) {
            state.SkipWithError("the masks could not be written");
            break;
        }
        masked = !masked;
        a.plot->CWGraph1->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_MaskAndRecomputeViews)->Unit(benchmark::kMillisecond);

// One redraw of the plot with the period steps, L10/L90 lines, masks and events after a pan or
// a zoom.
void BM_PlotPanZoomWithOverlays(benchmark::State& state)
{
    AnalysedList a;
    if (!a.analysis->exclude(a.analysis->whole()[1000].seconds, a.analysis->whole()[40000].seconds).ok()) {
        state.SkipWithError("the masks could not be written");
        return;
    }
    if (state.range(1) == 0) { // the same plot without its overlays, for comparison
        a.plot->Overlays->clear();
        a.plot->Overlays->ChkPeriodLeq->setChecked(false);
        a.plot->Overlays->ChkPercentiles->setChecked(false);
    }
    kirv::Graph* g = a.plot->CWGraph1;
    const bool zoom = state.range(0) == 1;
    const double n = double(series().size());
    bench::panOrZoomRedraws(state, g, n, zoom);
}
BENCHMARK(BM_PlotPanZoomWithOverlays)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"zoom", "overlays"})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
