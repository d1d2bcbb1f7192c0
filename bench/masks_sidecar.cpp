// Reading a masks sidecar of 100 000 spans written by hand, in no order and half of them
// overlapping another: the merge is one sort and one pass, so the whole read stays in the
// milliseconds (a merge span by span took half a minute).
#include "kirv/base/civil_time.h"
#include "kirv/records/level_masks.h"
#include "kirv/stats/report_values.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

QByteArray sidecarText(int lines)
{
    static QByteArray text;
    if (text.isEmpty()) {
        const qint64 start = *kirv::civilSeconds("2024/06/01 00:00:00");
        std::mt19937 random(7);
        std::uniform_int_distribution<qint64> at(0, qint64(lines) * 20);
        std::uniform_int_distribution<qint64> length(0, 15);
        for (int i = 0; i < lines; ++i) {
            const qint64 from = start + at(random);
            text += kirv::isoLocalText(from).toLatin1() + ' ' +
                    kirv::isoLocalText(from + length(random)).toLatin1() + " note\n";
        }
    }
    return text;
}

void BM_ReadSidecarOf100000Lines(benchmark::State& state)
{
    const QByteArray text = sidecarText(100000);
    for (auto _ : state) {
        const kirv::MasksParse parse = kirv::parseMasks(text);
        benchmark::DoNotOptimize(parse.spans);
    }
}
BENCHMARK(BM_ReadSidecarOf100000Lines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
