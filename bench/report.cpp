// kirv-report on full recordings (348000 records): one file through the whole process, a batch of
// 40 on one core and on all cores, and the report page to PDF; and one file of five million
// records (174 MB) through the whole process and through the program's own analysis of a file
// (reportOf, as each worker runs it), with the peak resident memory of each.
//   bench_report --benchmark_filter=Batch   (the batch figures; compare jobs 1 with jobs 2)
//   bench_report --benchmark_filter=FiveMillion
#include "bench/large_data_file.h"

#include "kirv/output/page/report_page.h"
#include "report/report_analysis.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace kirv;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    QString path = dir.filePath("full.kirv");
    QStringList batch;
    Fixture()
    {
        if (!writeDataFile(path, bench::fullRecordingHeader.lines(), bench::fullRecording()).ok())
            qFatal("the benchmark's data file could not be written");
        // Forty files of their own, so that each one is read from its own bytes.
        for (int i = 0; i < 40; ++i) {
            batch << dir.filePath(QStringLiteral("copy%1.kirv").arg(i));
            QFile::copy(path, batch.last());
        }
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

QString program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/kirv-report");
}

void runProcess(benchmark::State& state, const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program(), arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        state.SkipWithError("kirv-report failed");
}

void BM_OneFileJsonWholeProcess(benchmark::State& state)
{
    const QString path = fixture().path;
    for (auto _ : state)
        runProcess(state, {QStringLiteral("--format"), QStringLiteral("json"), path});
    state.counters["records"] = double(MaxListRecords);
}
BENCHMARK(BM_OneFileJsonWholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// The file of five million records, written once for the benchmarks that read it; absent when
// it could not be written.
const QString& fiveMillionFile()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath("five-million.kirv");
    if (!QFile::exists(path) && !bench::writeLargeDataFile(path, 5000000))
        QFile::remove(path);
    return path;
}

void BM_FiveMillionRecordsWholeProcess(benchmark::State& state)
{
    const QString& path = fiveMillionFile();
    if (!QFile::exists(path)) {
        state.SkipWithError("cannot write the file");
        return;
    }
    for (auto _ : state)
        runProcess(state, {QStringLiteral("--format"), QStringLiteral("json"), path});
    // The largest resident size of any child so far: run this benchmark alone to read it.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["peak RSS MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["file MB"] = double(QFile(path).size()) / 1e6;
}
BENCHMARK(BM_FiveMillionRecordsWholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// What each worker of kirv-report runs for a file, in this process: its peak resident memory
// is this process's, so run it alone to read it.
void BM_FiveMillionRecordsAnalysed(benchmark::State& state)
{
    const QString& path = fiveMillionFile();
    if (!QFile::exists(path)) {
        state.SkipWithError("cannot write the file");
        return;
    }
    for (auto _ : state) {
        const FileReport report =
            reportOf(path, ReportRequest{});
        if (!report.ok())
            state.SkipWithError("kirv-report's analysis failed");
        benchmark::DoNotOptimize(report.values.leq);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak RSS MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_FiveMillionRecordsAnalysed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Batch40(benchmark::State& state)
{
    QStringList arguments{QStringLiteral("--format"), QStringLiteral("json"),
                          QStringLiteral("--jobs"), QString::number(state.range(0))};
    arguments << fixture().batch;
    for (auto _ : state)
        runProcess(state, arguments);
    state.counters["files"] = 40;
}
BENCHMARK(BM_Batch40)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Reading the file, the values and the series, and the page drawn into a PDF.
void BM_ReportPagePdf(benchmark::State& state)
{
    const QString path = fixture().path;
    const QString pdf = fixture().dir.filePath("page.pdf");
    ReportRequest request;
    request.withSeries = true;
    for (auto _ : state) {
        const FileReport report = reportOf(path, request);
        ReportPdf writer(pdf);
        writer.addPage(report);
        if (!writer.finish())
            state.SkipWithError("no PDF");
    }
    state.counters["PDF bytes"] = double(QFile(pdf).size());
}
BENCHMARK(BM_ReportPagePdf)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
