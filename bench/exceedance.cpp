// The level distribution and exceedance table of a week-long list (348000 records).
#include "kirv/analysis/exceedance.h"
#include "kirv/records/record_levels.h"
#include "kirv/records/record.h"

#include <benchmark/benchmark.h>

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

void tableCore(benchmark::State& state, kirv::Resolution resolution)
{
    static const kirv::RecordStore store = weekOfLevels();
    for (auto _ : state) {
        const kirv::ExceedanceTable table = kirv::exceedance(kirv::distribute(store, resolution));
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * store.count());
}

} // namespace

BENCHMARK_CAPTURE(tableCore, fine, kirv::Resolution::Fine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(tableCore, coarse, kirv::Resolution::Coarse)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
