#include "plot_record_list.h"

#include "plot.h"

#include "kirv/analysis/graph_hand_over.h"
#include "kirv/analysis/plot_series.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/panel/ui/panel_timers.h"
#include "kirv/records/recordlist.h"
#include "kirv/panel/ui/placement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

namespace kirv {

namespace {

// Events are served, and the caption updated, this often while a long list is built.
constexpr qint64 ServeEveryMs = 40;
constexpr qsizetype CheckEveryRecords = 1024;

QPointer<Plot>& openPlot()
{
    static QPointer<Plot> window;
    return window;
}

} // namespace

void setPlotRows(qsizetype rows)
{
    graphHandOver().PlotRows = rows;
}

qsizetype plotRows()
{
    return graphHandOver().PlotRows;
}

Plot* plotWindow()
{
    return openPlot();
}

Plot* PlotRecordList(const RecordList& records, Panel* panel)
{
    // Serving events below lets a second "Plot" arrive; it waits for this one to finish.
    static bool building = false;
    if (building)
        return nullptr;
    building = true;

    QPointer<const RecordList> list(&records);
    QPointer<Panel> owner(panel);
    PanelTimersOff timers(panel);
    QString caption;
    if (owner)
        caption = owner->windowTitle();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    PlotSeriesBuilder builder;
    builder.reserve(records.count());
    QElapsedTimer sinceServed;
    sinceServed.start();
    for (qsizetype i = 0; list && i < list->count(); ++i) {
        builder.add(list->store().field(i, LevelColumn));
        if ((i + 1) % CheckEveryRecords == 0 && sinceServed.elapsed() >= ServeEveryMs) {
            if (owner)
                owner->setWindowTitle(QStringLiteral("%1 Completed").arg(i + 1));
            QCoreApplication::processEvents();
            sinceServed.restart();
        }
    }
    const PlotSeries series = builder.finish();

    // Nothing is shown when the list's window or the panel closed meanwhile.
    Plot* window = nullptr;
    if (list && (owner || !panel)) {
        window = openPlot();
        if (!window) {
            window = new Plot(owner);
            if (owner)
                placeBeside(window, owner);
            openPlot() = window;
        }
        setPlotRows(qsizetype(series.y.size()));
        window->show();
        window->raise();
        window->showSeries(series);
    }

    QApplication::restoreOverrideCursor();
    if (owner)
        owner->setWindowTitle(caption);
    building = false;
    return window;
}

} // namespace kirv
