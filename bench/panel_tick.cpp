// The panel's one-second tick at its largest, graphs included: count tables and series full,
// a live list of 340000 records, a recording running (each sample written and flushed to
// "Fake"). Also reports the resident memory of the whole window in that state (goal: under
// 250 MB) as the counter rss_MB.
//   build-bench/bin/bench_panel_tick
#include "bench/resident_memory.h"
#include "kirv/base/decibels.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/widgets/record_list_view.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Answers the save dialog with one path and everything else with Cancel.
class AnswerDialogs : public kirv::Dialogs
{
public:
    explicit AnswerDialogs(QString path) : m_path(std::move(path)) {}
    QMessageBox::StandardButton message(QWidget*, const kirv::MessageSpec& request) override
    {
        qWarning("unexpected message: %s", qPrintable(request.text));
        return QMessageBox::Cancel;
    }
    QString input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&) override { return m_path; }
    QString openFileName(QWidget*, const QString&) override { return {}; }
    bool print(QWidget*, QPrinter&) override { return false; }

private:
    QString m_path;
};

void BM_PanelTick(benchmark::State& state)
{
    QTemporaryDir dir;
    kirv::MemoryLink link;
    const kirv::PortTable table({QStringLiteral("memory")}, {}, {});
    kirv::Panel panel(link, kirv::PortChoice{1, {}}, table);
    const kirv::PanelParts parts = kirv::attachPanelParts(panel);
    QString detail;
    panel.load(&detail);
    panel.stopTimers(); // the benchmark drives the tick itself
    panel.show();
    kirv::PanelRecording& rec = *parts.recording;
    rec.setWorkingFolder(dir.path());
    state.counters["rss_MB_window"] = bench::residentMegabytes();

    // Full series and spread tables, straight through the sampler.
    const QDateTime start(QDate(2024, 5, 1), QTime(8, 0, 0));
    for (int i = 0; i < kirv::SeriesSlots; ++i) {
        const double level = (i % 1401) / 10.0;
        rec.sampler().tick(level, kirv::tenthText(level), kirv::tenthText(level), start.addSecs(i));
    }
    state.counters["rss_MB_series"] = bench::residentMegabytes();
    // A live list just short of full, and the panel's small graphs at their capacity.
    const int rows = qEnvironmentVariableIsSet("ROWS") ? qEnvironmentVariableIntValue("ROWS") : 340000;
    for (int i = 1; i <= rows; ++i) {
        rec.liveList().append(kirv::Record{QString::number(i), QStringLiteral("2024/05/01 08:00:00"),
                                           QStringLiteral("65.4")});
        // The live list grows by one record a second; the window's events run in between.
        if (i % 64 == 0)
            QCoreApplication::processEvents();
    }
    state.counters["rss_MB_list"] = bench::residentMegabytes();
    auto& reading = panel.reading();
    reading.LevelDb = 65.4;
    reading.LevelText = QStringLiteral("65.4");
    panel.LblValue->setText(reading.LevelText);
    for (int i = 0; i < 3600; ++i)
        rec.Timer2_Timer();
    state.counters["rss_MB"] = bench::residentMegabytes();

    // Start a recording as the user does: "Save", "By PC Sampling Rate", a file name.
    kirv::Dialogs::install(new AnswerDialogs(dir.filePath(QStringLiteral("bench.kirv"))));
    rec.saveButtonClicked();
    rec.CmdSaveOK_Click();
    if (qEnvironmentVariableIsSet("NOPAINT")) { panel.hide(); }
    int n = 0;
    for (auto _ : state) {
        reading.LevelDb = 40.0 + (n++ % 600) / 10.0;
        reading.LevelText = kirv::tenthText(reading.LevelDb);
        panel.LblValue->setText(reading.LevelText);
        rec.Timer2_Timer();
        QCoreApplication::processEvents(); // the queued redraws of the small graphs
    }
    state.counters["rss_MB_after"] = bench::residentMegabytes();
    if (!rec.recording())
        state.SkipWithError("the recording did not run");
}
BENCHMARK(BM_PanelTick)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
