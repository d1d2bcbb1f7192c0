// The large time graphs: a week-long file into Plot, a pan or zoom redraw of it alone and compared
// with another week, and a full ten days of live samples into Real Time Graph.
#include "bench/offscreen_main.h"
#include "bench/pan_zoom.h"
#include "kirv/plots/graph_hand_over.h"
#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/plots/ui/real_time_graph.h"
#include "kirv/plots/ui/plot_compare.h"
#include "kirv/base/civil_time.h"
#include "kirv/records/recordlist.h"
#include "kirv/stats/compare_table.h"
#include "kirv/stats/report_of.h"
#include "kirv/stats/ui/plot_comparison.h"

#include <QCheckBox>

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QApplication>

#include <cmath>
#include <vector>

namespace {

constexpr int WeekRecords = 348000;
constexpr int TenDays = 864001;

double level(int i)
{
    return 70.0 + 20.0 * std::sin(i / 3000.0) + 8.0 * std::sin(i * 0.7) * std::cos(i / 90.0);
}

// A week of records, a pause of a minute every hour.
const kirv::RecordList& weekList()
{
    static kirv::RecordList list;
    if (list.count() == 0) {
        kirv::RecordStore store;
        for (int i = 0; i < WeekRecords; ++i) {
            const QByteArray text =
                QByteArray::number(level(i), 'f', 1) + (i % 3600 < 60 ? "*" : "");
            store.append(QByteArray::number(i + 1), "2024/05/07 10:00:00", text);
        }
        list.append(std::move(store));
    }
    return list;
}

void showNow(QWidget* window)
{
    QCoreApplication::processEvents();
    window->findChild<kirv::Graph*>()->plot()->replot(QCustomPlot::rpImmediateRefresh);
}

// From the "Plot" command to the plot drawn, a fresh window each time.
void BM_PlotRecordListWeek(benchmark::State& state)
{
    const auto& list = weekList();
    for (auto _ : state) {
        kirv::setPlotRows(list.count());
        kirv::Plot* plot = kirv::PlotRecordList(list, nullptr);
        showNow(plot);
        state.PauseTiming();
        delete plot;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlotRecordListWeek)->Unit(benchmark::kMillisecond);

// One redraw of the week's plot after a pan (range shifted) or a zoom (range halved).
void BM_PlotPanZoomRedraw(benchmark::State& state)
{
    const auto& list = weekList();
    kirv::Plot* plot = kirv::PlotRecordList(list, nullptr);
    showNow(plot);
    kirv::Graph* g = plot->CWGraph1;
    const bool zoom = state.range(0) == 1;
    bench::panOrZoomRedraws(state, g, WeekRecords, zoom);
    delete plot;
}
BENCHMARK(BM_PlotPanZoomRedraw)->Arg(0)->Arg(1)->ArgNames({"zoom"})->Unit(benchmark::kMillisecond);

// A week of one-second samples from `start` (civil seconds), levels shifted by `shift` dB.
kirv::DataFileSeries weekSeries(qint64 start, double shift)
{
    kirv::DataFileSeries series;
    series.samples.reserve(WeekRecords);
    for (int i = 0; i < WeekRecords; ++i) {
        kirv::LevelSample s;
        s.seconds = start + i;
        s.tenths = qint64(std::lround((level(i + 977) + shift) * 10.0));
        series.samples.push_back(s);
    }
    return series;
}

// One redraw of a compare plot, two weeks' levels and the period difference drawn, after a pan
// or a zoom.
void BM_ComparePanZoomRedraw(benchmark::State& state)
{
    const auto& list = weekList();
    kirv::Plot* plot = kirv::PlotRecordList(list, nullptr);
    const qint64 start = *kirv::civilSeconds("2024/05/07 10:00:00");
    kirv::ReportRequest request;
    const kirv::DataFileSeries a = weekSeries(start, 0.0);
    const kirv::DataFileSeries b = weekSeries(start + 1800, 3.0);
    const kirv::CompareTable table =
        kirv::compareTable(kirv::reportOf(QStringLiteral("a"), a, request).values,
                           kirv::reportOf(QStringLiteral("b"), b, request).values,
                           kirv::CompareAlignment::ClockTime);
    plot->Compare->show(kirv::plotComparison(table, a.samples, 1.0, b.samples, request.periodMinutes));
    plot->Compare->ChkDifference->setChecked(true);
    showNow(plot);
    bench::panOrZoomRedraws(state, plot->CWGraph1, WeekRecords, state.range(0) == 1);
    delete plot;
}
BENCHMARK(BM_ComparePanZoomRedraw)->Arg(0)->Arg(1)->ArgNames({"zoom"})->Unit(benchmark::kMillisecond);

// A click on a small time graph after ten days of samples: the window opened and drawn.
void BM_RealTimeGraphOpenTenDays(benchmark::State& state)
{
    std::vector<double> series(TenDays);
    for (int i = 0; i < TenDays; ++i)
        series[std::size_t(i)] = level(i);
    kirv::GraphHandOver& h = kirv::graphHandOver();
    h.GraphCount = TenDays;
    h.GraphYLow = 40;
    h.GraphYHigh = 100;
    h.GraphTitle = QStringLiteral("SPL (dB)");
    for (auto _ : state) {
        kirv::RealTimeGraph* window = kirv::openRealTimeGraph(nullptr, series);
        showNow(window);
    }
    delete kirv::realTimeGraphWindow();
}
BENCHMARK(BM_RealTimeGraphOpenTenDays)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
