// The level distribution and exceedance table of a week-long list (348000 records): the core
// alone, and the whole "0.1 dB" command up to the Histogram drawn on screen.
#include "bench/offscreen_main.h"
#include "kirv/stats/exceedance.h"
#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram.h"
#include "kirv/plots/ui/level_statistics_command.h"
#include "kirv/records/record.h"
#include "kirv/stats/record_levels.h"
#include "kirv/records/recordlist.h"

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QApplication>

#include <random>

namespace {

kirv::RecordStore weekOfLevels()
{
    kirv::RecordStore store;
    store.reserve(kirv::MaxListRecords, kirv::MaxListRecords * 32);
    std::mt19937 random(7);
    std::normal_distribution<double> level(62.0, 8.0);
    for (qsizetype i = 0; i < kirv::MaxListRecords; ++i) {
        QByteArray text = QByteArray::number(std::clamp(level(random), 30.0, 130.0), 'f', 1);
        if (i % 500 == 0)
            text += '*';
        store.append(QByteArray::number(i + 1), "2026/12/08 01:00:00", text);
    }
    return store;
}

const kirv::RecordStore& week()
{
    static const kirv::RecordStore store = weekOfLevels();
    return store;
}

void tableCore(benchmark::State& state, kirv::Resolution resolution)
{
    const kirv::RecordStore& store = week();
    for (auto _ : state) {
        const kirv::ExceedanceTable table = kirv::exceedance(kirv::distribute(store, resolution));
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * store.count());
}

// From the click to the table filled and the histogram drawn.
void commandToHistogramShown(benchmark::State& state, bool fine)
{
    QWidget listWindow;
    kirv::RecordList list;
    list.append(kirv::RecordStore(week()));
    for (auto _ : state) {
        kirv::showLevelStatistics(&listWindow, list, fine, nullptr);
        kirv::levelStatistics().histogram->CWG->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
    delete kirv::levelStatistics().histogram;
}

} // namespace

BENCHMARK_CAPTURE(tableCore, fine, kirv::Resolution::Fine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(tableCore, coarse, kirv::Resolution::Coarse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(commandToHistogramShown, fine, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(commandToHistogramShown, coarse, false)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
