// "Open" of a full recording: a real-time file of 348000 records read into FileListReal, from the
// open dialog's OK to the view painted with its records (goal: under 0.25 s). The same file named
// on the command line: the start-up with the virtual meter and --com, without and with the file,
// so that the difference is what the file costs there. Measured on 2 busy cores: "Open" 45-55 ms
// (27 ms CPU); start-up 55 ms (20 ms CPU), with the file 101 ms (46 ms CPU).
//   build-bench/bin/bench_file_view_open
#include "bench/offscreen_main.h"
#include "bench/resident_memory.h"
#include "kirv/app/ui/application.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/datafile.h"
#include "kirv/records/ui/open_command.h"

#include "kirv/plots/ui/plot.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/widgets/graph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <type_traits>

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
    if (!kirv::writeDataFile(path, header.lines(), records).ok())
        qFatal("the benchmark's data file could not be written");
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

// A station's year in one file (31536000 records, about 1.1 GB; bench_year_file FILE 31536000
// makes one, bench/report_year.sh says how): "Open" into a view, "Plot" drawn whole from its level
// of detail, one redraw zoomed out and one of a day, and "Periods" by day, each timed once, with
// the resident memory of the whole program at the end.
//   KIRV_YEAR_FILE=/tmp/year.kirv build-bench/bin/bench_file_view_open --benchmark_filter=Year
// Measured (RelWithDebInfo, 2 cores): open 16.5 s, plot 8.1 s, redraw zoomed out 13 ms and of a
// day 10 ms, periods by day 5.0 s, 3.1 GB resident. KIRV_YEAR_SHOTS=FOLDER saves the windows.
void openYearFile(benchmark::State& state)
{
    const QString path = qEnvironmentVariable("KIRV_YEAR_FILE");
    if (path.isEmpty()) {
        state.SkipWithError("KIRV_YEAR_FILE names no file");
        return;
    }
    kirv::Options options;
    options.simulate = true;
    options.com = QStringLiteral("COM1");
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto app = std::make_unique<kirv::Application>(options);
        app->start();
        kirv::FileList* view = app->parts().files->openDataFile(path);
        if (!view) {
            state.SkipWithError("the year file did not open");
            break;
        }
        benchmark::DoNotOptimize(view->grab());
        state.counters["open_s"] = double(clock.restart()) / 1000.0;
        state.counters["records"] = double(view->records().count());

        const auto newWindow = [](auto* kind) {
            using Window = std::remove_pointer_t<decltype(kind)>;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* found = qobject_cast<Window*>(w); found && found->isVisible())
                    return found;
            return static_cast<Window*>(nullptr);
        };
        view->toolbarButton(QStringLiteral("Plot"))->trigger();
        kirv::Plot* plot = newWindow(static_cast<kirv::Plot*>(nullptr));
        if (!plot) {
            state.SkipWithError("no plot");
            break;
        }
        QCustomPlot* qcp = plot->CWGraph1->plot();
        qcp->replot(QCustomPlot::rpImmediateRefresh);
        state.counters["plot_s"] = double(clock.restart()) / 1000.0;
        qcp->replot(QCustomPlot::rpImmediateRefresh);
        state.counters["redraw_whole_ms"] = double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        plot->CWGraph1->setAxisRange(kirv::Graph::Axis::X, 15'000'000, 15'086'400);
        qcp->replot(QCustomPlot::rpImmediateRefresh);
        state.counters["redraw_day_ms"] = double(clock.nsecsElapsed()) / 1e6;
        if (!qEnvironmentVariableIsEmpty("KIRV_YEAR_SHOTS")) {
            const QString shots = qEnvironmentVariable("KIRV_YEAR_SHOTS");
            plot->CWGraph1->setAxisRange(kirv::Graph::Axis::X, 1, 31'536'000);
            if (!view->grab().save(shots + QStringLiteral("/year-list.png")) ||
                !plot->grab().save(shots + QStringLiteral("/year-plot.png")))
                qWarning("the screenshots could not be written to %s", qPrintable(shots));
        }

        clock.restart();
        view->toolbarButton(QStringLiteral("Periods"))->trigger();
        kirv::Periods* periods = newWindow(static_cast<kirv::Periods*>(nullptr));
        if (!periods) {
            state.SkipWithError("no periods");
            break;
        }
        periods->CboLength->setCurrentIndex(periods->CboLength->count() - 1); // a day
        benchmark::DoNotOptimize(periods->grab());
        state.counters["periods_day_s"] = double(clock.restart()) / 1000.0;
        if (!qEnvironmentVariableIsEmpty("KIRV_YEAR_SHOTS") &&
            !periods->grab().save(qEnvironmentVariable("KIRV_YEAR_SHOTS") + QStringLiteral("/year-periods.png")))
            qWarning("the periods' screenshot could not be written");
        state.counters["rss_MB"] = bench::residentMegabytes();
        state.PauseTiming();
        app.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(openYearFile)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
