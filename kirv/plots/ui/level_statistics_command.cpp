#include "kirv/plots/ui/level_statistics_command.h"

#include "kirv/plots/ui/histogram.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/panel/ui/panel_timers.h"
#include "kirv/stats/record_levels.h"
#include "kirv/records/recordlist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

namespace kirv {

namespace {

// Caption updates and served events come at most this often, so a large list is not slowed
// down by its own progress display.
constexpr qint64 ProgressIntervalMs = 40;

// Keeps a window's caption and the panel's timers for the length of a run, and gives both back
// whatever way the run ends.
class RunGuard
{
public:
    RunGuard(QWidget* window, Panel* panel)
        : m_window(window), m_timers(panel), m_caption(window ? window->windowTitle() : QString())
    {
    }
    ~RunGuard()
    {
        if (m_window)
            m_window->setWindowTitle(m_caption);
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    QPointer<QWidget> m_window;
    PanelTimersOff m_timers;
    QString m_caption;
};

} // namespace

LevelStatisticsResults& levelStatistics()
{
    static LevelStatisticsResults results;
    return results;
}

void showLevelStatistics(QWidget* listWindow, const RecordList& records, bool fine, Panel* panel)
{
    const RunGuard guard(listWindow, panel);
    const Resolution resolution = fine ? Resolution::Fine : Resolution::Coarse;
    const qsizetype n = records.count();
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();
    QString shown;
    QPointer<QWidget> window(listWindow);
    const LevelDistribution d = distribute(records.store(), resolution, [&](qsizetype done) {
        if (!window || sinceUpdate.elapsed() < ProgressIntervalMs)
            return;
        const QString text = QString::number(100.0 * double(done) / double(n), 'f', 1) +
                             QStringLiteral("% Completed");
        if (text != shown)
            window->setWindowTitle(shown = text);
        // User input waits for the end of the run: the list being counted must not go away.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceUpdate.restart();
    });
    const ExceedanceTable table = exceedance(d);

    LevelStatisticsResults& results = levelStatistics();
    results.resolution = resolution;
    results.StatLowClass = d.lowClass().value_or(0);
    results.StatHighClass = d.highClass().value_or(results.StatLowClass);
    results.StatRecordCount = d.counted;
    results.StatLeftOut = d.leftOut;
    for (int j = 0; j < ExceedanceTable::Entries; ++j)
        results.LnTable[j] = table.text(j);

    // A list window has its own Histogram, which closes with it; a run without one replaces the
    // Histogram of the last such run.
    static QPointer<Histogram> unowned;
    QPointer<Histogram>& previous = unowned;
    Histogram* own = window ? window->findChild<Histogram*>(QString(), Qt::FindDirectChildrenOnly)
                            : previous.data();
    if (own)
        own->close(); // deletes itself
    auto* histogram = new Histogram(window);
    if (!window)
        previous = histogram;
    results.histogram = histogram;
    histogram->show();
    results.StatYHigh = histogram->plotRun(d, results.StatLowClass, results.StatHighClass);
    if (window)
        if (auto* picture = window->findChild<QWidget*>(QStringLiteral("PicResolution")))
            picture->hide();
    histogram->showTable(table, d.leftOut);
}

} // namespace kirv
