// The logger memory at its limits:
// - BM_PacedDownload128K: a full 128 K memory downloaded from the virtual meter at the line's
//   real rate over a pty, through the whole download (queries, dump with its progress, walk,
//   directory). Counter line_ratio = elapsed / the line's own time for the bytes (goal <= 1.05).
// - BM_WalkSets16MB: the set walk over a 16 MB image (goal under 50 ms), with sets of 100
//   records and, the worst case, of one record each.
// - BM_OpenSet32000: a set of 32000 records opened into DataList with its progress caption
//   (goal under 300 ms).
//   build/bin/bench_logger_memory
#include "bench/offscreen_main.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/data_list.h"
#include "kirv/logger/ui/logger_windows.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "sim/virtual_meter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableView>

#include <benchmark/benchmark.h>

using namespace kirv;

namespace {

sim::LoggerSet setOf(int records, int interval)
{
    QList<quint16> levels(records);
    for (int i = 0; i < records; ++i)
        levels[i] = quint16(450 + (i * 37) % 500);
    return sim::makeLoggerSet(interval, 0x00, 3, levels, QDateTime({2024, 5, 14}, {8, 0, 0}));
}

// Stored data of exactly `bytes` bytes, in sets of `records` records (the last one fills up).
QByteArray imageOf(qint64 bytes, int records)
{
    const qint64 setBytes = 58 + 2 * records;
    QByteArray image;
    image.reserve(bytes);
    const QByteArray one = sim::buildLoggerSet(setOf(records, 1));
    while (bytes - image.size() >= 2 * setBytes)
        image += one;
    const qint64 rest = bytes - image.size();
    image += sim::buildLoggerSet(setOf(int((rest - 58) / 2), 10));
    return image;
}

void BM_WalkSets16MB(benchmark::State& state)
{
    const QByteArray stored = imageOf(0xFFFFFF - 48 - 1, int(state.range(0)));
    const QByteArray dump = QByteArray(1, char(0xFF)) + stored + QByteArray(1, char(0xFF));
    qsizetype sets = 0;
    for (auto _ : state) {
        const logger::LoggerSets walked = logger::walkSets(dump, dump.size());
        sets = walked.count();
        benchmark::DoNotOptimize(walked.sets.data());
    }
    state.counters["sets"] = double(sets);
}
BENCHMARK(BM_WalkSets16MB)->Arg(100)->Arg(1)->Unit(benchmark::kMillisecond);

class NoDialogs : public Dialogs
{
public:
    QMessageBox::StandardButton message(QWidget*, const MessageSpec& request) override
    {
        qWarning("message: %s (%s)", qPrintable(request.text), qPrintable(request.detail));
        return QMessageBox::Cancel;
    }
    QString input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&) override { return {}; }
    QString openFileName(QWidget*, const QString&) override { return {}; }
    bool print(QWidget*, QPrinter&) override { return false; }
};

void BM_OpenSet32000(benchmark::State& state)
{
    MemoryLink link;
    PortTable table{{"memory"}, {}, {}};
    Panel panel(link, PortChoice{1, {}}, table);
    const QByteArray stored = sim::buildLoggerSet(setOf(32000, 1));
    const QByteArray dump = QByteArray(1, char(0xFF)) + stored + QByteArray(1, char(0xFF));
    loggerState().LoggerSets = logger::walkSets(dump, dump.size());
    for (auto _ : state) {
        openLoggerSet(panel, 1);
        if (DataList::current()->records().count() != 32000)
            state.SkipWithError("the set did not open whole");
    }
    delete DataList::current();
}
BENCHMARK(BM_OpenSet32000)->Unit(benchmark::kMillisecond);

void BM_PacedDownload128K(benchmark::State& state)
{
    Dialogs::install(new NoDialogs);
    sim::VirtualMeter meter;
    QString error;
    if (!meter.start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    meter.setMode(sim::Mode::Logger);
    meter.setPaced(true);
    meter.setMemorySize(2);
    meter.setStoredData(imageOf(131072 - 48, 10000));
    QtSerialLink link;
    if (!link.open(meter.devicePath(), QString::fromLatin1(MeterLineSettings))) {
        state.SkipWithError(qPrintable(link.lastError()));
        return;
    }
    PortTable table{{meter.devicePath()}, {}, {}};
    Panel panel(link, PortChoice{1, {}}, table);
    const double lineSeconds = double(131072 - 46 + 6) / sim::VirtualMeter::LineBytesPerSecond;
    double seconds = 0.0;
    for (auto _ : state) {
        loggerState() = LoggerState();
        QElapsedTimer clock;
        clock.start();
        runLoggerDownload(panel);
        seconds = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        if (!Memory::current() || Memory::current()->GridSet->model()->rowCount() != 6)
            state.SkipWithError("the download did not list the sets");
        delete Memory::current();
    }
    state.counters["line_s"] = lineSeconds;
    state.counters["line_ratio"] = seconds / lineSeconds;
    Dialogs::install(nullptr);
}
BENCHMARK(BM_PacedDownload128K)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return runOffscreenBenchmarks(argc, argv);
}
