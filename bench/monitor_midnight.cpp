// kirv-monitor at midnight: a whole day of one-second samples (86400 records) in the scratch
// file becomes the day's data file, written beside its place, synced and renamed, as the first
// tick of the new day does it. Goal: well within a second.
#include "monitor/day_files.h"

#include "kirv/base/clock.h"
#include "kirv/base/civil_time.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void BM_DayFileAtMidnight(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString scratch = dir.filePath(".bench/Fake");
    QDir().mkpath(dir.filePath(".bench"));
    const QDateTime start(QDate(2026, 6, 15), QTime(0, 0));
    QByteArray day = "No.s\tDate Time\tdB\t\r\n";
    for (int i = 0; i < 86400; ++i)
        day += QByteArray::number(i + 1) + '\t' + kirv::stampText(start.addSecs(i)).toLatin1() + "\t65.4\t\r\n";
    const kirv::monitor::DayFiles days(dir.path(), "bench", 1);
    kirv::RealTimeHeader header{1, "A", "FAST", "60-120", "65.4", "2026/06/15 00:00:00", "114.7", "65.4"};
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(scratch);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(day);
        f.close();
        const QString target = days.freePath(start.date());
        state.ResumeTiming();
        const kirv::FileStatus status = kirv::saveRecording(scratch, target, header);
        QFile::remove(scratch);
        if (!status.ok())
            state.SkipWithError(qPrintable(status.error));
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DayFileAtMidnight)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
