// One second of the panel: the sampling tick with a recording running, every tick a sample,
// count tables and series already full, so the tick works at its largest.
#include "kirv/records/sampling.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_SamplingTick(benchmark::State& state)
{
    auto sampler = std::make_unique<kirv::LiveSampler>();
    const QDateTime start(QDate(2024, 5, 1), QTime(8, 0, 0));
    // Fill every series slot and spread the classes over the whole table.
    for (int i = 0; i < kirv::SeriesSlots; ++i) {
        const double level = (i % 1401) / 10.0;
        sampler->tick(level, kirv::tenthText(level), kirv::tenthText(level), start.addSecs(i));
    }
    sampler->startRecording();
    int second = kirv::SeriesSlots;
    for (auto _ : state) {
        const double level = 40.0 + (second % 600) / 10.0;
        const QString text = kirv::tenthText(level);
        const kirv::TickResult r = sampler->tick(level, text, text, start.addSecs(second++));
        benchmark::DoNotOptimize(r);
        if (r.recordingFull) {
            sampler->stopRecording();
            sampler->startRecording();
        }
        if (r.listFull)
            benchmark::DoNotOptimize(sampler->listSaved());
    }
}
BENCHMARK(BM_SamplingTick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
