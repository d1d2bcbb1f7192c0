// Reading and writing a full recording: a real-time file of 348000 records (about 12 MB).
#include "bench/large_data_file.h"

#include "kirv/records/datafile.h"
#include "kirv/records/recordlist.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kirv;

namespace {

using bench::fullRecording;
const RealTimeHeader& header = bench::fullRecordingHeader;

struct Fixture
{
    QTemporaryDir dir;
    QString path = dir.filePath("full.kirv");
    RecordStore records = fullRecording();
    Fixture()
    {
        if (!writeDataFile(path, header.lines(), records).ok())
            qFatal("the benchmark's data file could not be written");
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

void readIntoRecordList(benchmark::State& state)
{
    Fixture& f = fixture();
    qsizetype reports = 0;
    for (auto _ : state) {
        RecordList list;
        DataFileContent content = readDataFile(f.path, [&reports](qsizetype) { ++reports; });
        list.append(std::move(content.records));
        if (list.count() != MaxListRecords)
            state.SkipWithError("record count");
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["records"] = double(MaxListRecords);
    state.counters["bytes/record"] = double(readDataFile(f.path).records.bytesUsed()) / MaxListRecords;
}
BENCHMARK(readIntoRecordList)->Unit(benchmark::kMillisecond);

void writeToFile(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString out = f.dir.filePath("written.kirv");
    for (auto _ : state) {
        const FileStatus status = writeDataFile(out, header.lines(), f.records);
        if (!status.ok())
            state.SkipWithError(qPrintable(status.error));
    }
}
BENCHMARK(writeToFile)->Unit(benchmark::kMillisecond);

void writeToMemory(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        if (!writeLines(out, header.lines()) || !WriteRecordRows(out, f.records, f.records.count())) {
            state.SkipWithError("the buffer refused a write");
            break;
        }
        benchmark::DoNotOptimize(bytes.size());
    }
}
BENCHMARK(writeToMemory)->Unit(benchmark::kMillisecond);

void appendToLiveList(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        RecordList list;
        for (qsizetype i = 0; i < f.records.count(); ++i)
            list.append(f.records.field(i, NumberColumn), f.records.field(i, TimeColumn),
                        f.records.field(i, LevelColumn));
        state.counters["bytes/record (grown)"] = double(list.store().bytesUsed()) / MaxListRecords;
    }
}
BENCHMARK(appendToLiveList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
