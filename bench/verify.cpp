// The check of a data file against its manifest and raw image:
// - BM_Verify348000: a logger set of 348000 records saved with its raw image and manifest,
//   checked whole (both hashes, the set decoded again and compared record for record).
//   Goal under 0.5 s.
//   build/bin/bench_verify
#include "kirv/logger/evidence_check.h"
#include "kirv/logger/logger_original.h"
#include "kirv/records/datafile.h"
#include "sim/logger_memory.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace kirv;

namespace {

constexpr int Records = 348000;

// A set of `Records` records as the meter stores it, in a dump as a download receives it.
logger::LoggerOriginal largeOriginal()
{
    QList<quint16> levels(Records);
    for (int i = 0; i < Records; ++i)
        levels[i] = quint16(450 + (i * 37) % 500);
    const QByteArray stored = sim::buildLoggerSet(
        sim::makeLoggerSet(1, 0x00, 3, levels, QDateTime({2024, 5, 14}, {8, 0, 0})));
    const QByteArray dump = char(0xFF) + stored + char(0xFF);
    return {dump, dump.size(), 1, 2024};
}

void BM_Verify348000(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.kirv");
    const logger::LoggerOriginal original = largeOriginal();
    const logger::DecodedSet decoded = logger::decodeOriginal(original);
    if (!writeDataFile(path, decoded.headerLines, decoded.records).ok()
        || !logger::keepLoggerOriginal(path, original).ok()) {
        state.SkipWithError("the set could not be saved");
        return;
    }
    for (auto _ : state) {
        const QStringList problems = verifyEvidence(path);
        if (!problems.isEmpty()) {
            state.SkipWithError(qPrintable(problems.first()));
            return;
        }
    }
    state.counters["records"] = Records;
}
BENCHMARK(BM_Verify348000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
