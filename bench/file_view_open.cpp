// "Open" of a full recording: a real-time file of 348000 records read into FileListReal, from the
// open dialog's OK to the view painted with its records (goal: under 0.25 s). The same file named
// on the command line: the start-up with the virtual meter and --com, without and with the file,
// so that the difference is what the file costs there. Measured on 2 busy cores: "Open" 45-55 ms
// (27 ms CPU); start-up 55 ms (20 ms CPU), with the file 101 ms (46 ms CPU).
//   build-bench/bin/bench_file_view_open
#include "bench/offscreen_main.h"
#include "kirv/app/ui/application.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/datafile.h"
#include "kirv/records/ui/open_command.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

// A week of one-second samples at the largest list size, one level in 97 marked.
QString writeFullRecording(const QString& path)
{
    kirv::RecordStore records;
    const QDateTime start(QDate(2024, 6, 1), QTime(0, 0, 0));
    for (qsizetype i = 0; i < kirv::MaxListRecords; ++i) {
        QByteArray level = QByteArray::number(40.0 + double(i * 37 % 600) / 10.0, 'f', 1);
        if (i % 97 == 0)
            level += '*';
        records.append(QByteArray::number(i + 1),
                       start.addSecs(i).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toLatin1(),
                       level);
    }
    const kirv::RealTimeHeader header{
        1, "A", "FAST", "30-130", "99.9*", "2024/06/03 10:11:12", "141.2", "88.5"};
    kirv::writeDataFile(path, header.lines(), records);
    return path;
}

void openIntoFileListReal(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeFullRecording(dir.filePath(QStringLiteral("week.kirv")));
    kirv::MemoryLink link;
    const kirv::PortTable table{{"memory"}, {}, {}};
    kirv::Panel panel(link, kirv::PortChoice{1, {}}, table);
    panel.Timer1->setInterval(3600 * 1000);
    panel.Timer2->setInterval(3600 * 1000);
    kirv::FileViews views(panel, [] { return false; });
    for (auto _ : state) {
        kirv::FileList* view = views.openDataFile(path);
        if (!view || view->records().count() != kirv::MaxListRecords) {
            state.SkipWithError("records missing");
            break;
        }
        benchmark::DoNotOptimize(view->grab()); // laid out and painted with its first records
    }
    state.counters["records"] = double(kirv::MaxListRecords);
}
BENCHMARK(openIntoFileListReal)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void startWithFilesOfTheCommandLine(benchmark::State& state)
{
    QTemporaryDir dir;
    kirv::Options options;
    options.simulate = true;
    options.com = QStringLiteral("COM1");
    if (state.range(0))
        options.files = {writeFullRecording(dir.filePath(QStringLiteral("week.kirv")))};
    for (auto _ : state) {
        auto app = std::make_unique<kirv::Application>(options);
        app->start();
        kirv::FileList* view = app->parts().files->view(kirv::FileList::Kind::RealTime);
        if (!app->panel() || bool(view) != bool(state.range(0))) {
            state.SkipWithError("no panel or no view");
            break;
        }
        benchmark::DoNotOptimize(view ? view->grab() : app->panel()->grab());
        state.PauseTiming();
        app.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(startWithFilesOfTheCommandLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
