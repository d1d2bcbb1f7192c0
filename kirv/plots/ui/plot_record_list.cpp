#include "kirv/plots/ui/plot_record_list.h"

#include "kirv/plots/ui/plot.h"

#include "kirv/plots/graph_hand_over.h"
#include "kirv/plots/plot_series.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/panel/ui/panel_timers.h"
#include "kirv/records/recordlist.h"
#include "kirv/widgets/busy.h"
#include "kirv/widgets/placement.h"

#include <QPointer>
#include <QScopeGuard>

#include <optional>

namespace kirv {

namespace {

// A long list offers the caption its progress this often; the caption decides when to show it.
constexpr qsizetype CheckEveryRecords = 1024;

// The Plot of lists without a window of their own.
QPointer<Plot>& unownedPlot()
{
    static QPointer<Plot> window;
    return window;
}

QPointer<Plot>& lastShown()
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
    return lastShown();
}

Plot* plotOf(const QWidget* owner)
{
    return owner ? owner->findChild<Plot*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

Plot* PlotRecordList(const RecordList& records, Panel* panel, QWidget* owner)
{
    // Serving events below lets a second "Plot" arrive while this one is built: it is refused
    // (nothing is returned for it) and this one goes on.
    static bool building = false;
    if (building)
        return nullptr;
    building = true;
    const auto done = qScopeGuard([] { building = false; });

    QPointer<const RecordList> list(&records);
    QPointer<Panel> livePanel(panel);
    QPointer<QWidget> liveOwner(owner);
    PanelTimersOff timers(panel);
    BusyCursor busy;
    std::optional<CaptionProgress> caption;
    if (panel)
        caption.emplace(panel);

    PlotSeriesBuilder builder;
    builder.reserve(records.count());
    for (qsizetype i = 0; list && i < list->count(); ++i) {
        builder.add(list->store().field(i, LevelColumn));
        if (caption && (i + 1) % CheckEveryRecords == 0)
            caption->show(QStringLiteral("%1 Completed").arg(i + 1));
    }
    const PlotSeries series = builder.finish();

    // Nothing is shown when the list, its window or the panel closed meanwhile.
    if (!list || (panel && !livePanel) || (owner && !liveOwner))
        return nullptr;
    Plot* window = owner ? plotOf(owner) : unownedPlot().data();
    if (!window) {
        QWidget* anchor = owner ? owner : static_cast<QWidget*>(livePanel.data());
        window = new Plot(anchor);
        if (anchor)
            placeBeside(window, anchor);
        if (!owner)
            unownedPlot() = window;
    }
    lastShown() = window;
    setPlotRows(qsizetype(series.y.size()));
    window->show();
    window->raise();
    window->showSeries(series);
    return window;
}

} // namespace kirv
