#include "kirv/stats/ui/plot_analysis.h"

#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/stats/ui/events.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/stats/ui/report_actions.h"

#include <map>

namespace kirv {

namespace {

constexpr const char* LinkName = "PlotAnalysisLink";

// Ties one plot to one list's analysis; deleted (and so disconnected) when another list is
// plotted or either side goes.
class PlotAnalysisLink : public QObject
{
public:
    PlotAnalysisLink(Plot& plot, QWidget& list, FileAnalysis& analysis)
        : QObject(&plot), m_plot(&plot), m_list(&list), m_analysis(&analysis)
    {
        setObjectName(QString::fromLatin1(LinkName));
        PlotOverlays* overlays = plot.Overlays;
        connect(&analysis, &QObject::destroyed, this, &QObject::deleteLater);
        connect(&analysis, &FileAnalysis::masksChanged, this, [this] { refresh(); });
        connect(&analysis, &FileAnalysis::tablesChanged, this, [this] { refresh(); });
        connect(overlays, &PlotOverlays::excludeRequested, this, [this](double first, double last) {
            qint64 from = 0, to = 0;
            if (!m_analysis->spanOfRecords(qsizetype(first) - 1, qsizetype(last) - 1, from, to))
                return;
            report(m_analysis->exclude(from, to));
        });
        connect(overlays, &PlotOverlays::includeRequested, this, [this](double at) {
            qint64 from = 0, to = 0;
            if (m_analysis->spanOfRecords(qsizetype(at) - 1, qsizetype(at) - 1, from, to))
                report(m_analysis->include(from));
        });
        overlays->setAnalysed(true);
        refresh();
    }

    FileAnalysis* analysis() const { return m_analysis; }

    void refresh()
    {
        if (!m_plot || !m_analysis || !m_list)
            return;
        const LevelSeries& series = m_analysis->series();
        const auto* periods = m_list->findChild<Periods*>(QString(), Qt::FindDirectChildrenOnly);
        const int minutes = periods ? periods->minutes() : Periods::DefaultMinutes;
        m_plot->Overlays->setPeriods(plotPeriods(
            series, periods ? periods->rows() : periodTable(series, minutes, m_analysis->interval()),
            minutes));
        const auto* events = m_list->findChild<Events*>(QString(), Qt::FindDirectChildrenOnly);
        m_plot->Overlays->setEvents(events ? plotEventSpans(events->events()) : std::vector<PlotSpan>());
        m_plot->Overlays->setMaskedSpans(plotMaskedSpans(series));
    }

private:
    void report(const FileStatus& status)
    {
        if (!status.ok())
            showFileError(m_plot, status.error);
    }

    QPointer<Plot> m_plot;
    QPointer<QWidget> m_list;
    QPointer<FileAnalysis> m_analysis;
};

} // namespace

std::vector<PlotPeriod> plotPeriods(const LevelSeries& series, const std::vector<PeriodRow>& rows,
                                    int minutes)
{
    std::map<qint64, PlotSpan> spans; // instant of the period start -> first and last record
    LocalClock clock;
    PeriodClock periods(minutes);
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i) {
        const LevelSample& s = series[size_t(i)];
        if (!s.hasTime())
            continue;
        const LocalTime time = clock.read(s.seconds);
        if (!s.counted())
            continue;
        const qint64 start = periods.startOf(time).utc();
        const double x = double(i + 1);
        const auto [it, added] = spans.try_emplace(start, x, x);
        if (!added)
            it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
    }
    std::vector<PlotPeriod> out;
    for (const PeriodRow& row : rows) {
        const auto it = spans.find(row.start - row.offset);
        if (it != spans.end())
            out.push_back({it->second.first, it->second.second, row.leq, row.l10, row.l90});
    }
    return out;
}

std::vector<PlotSpan> plotMaskedSpans(const LevelSeries& series)
{
    std::vector<PlotSpan> spans;
    for (qsizetype i = 0; i < qsizetype(series.size()); ++i) {
        if ((series[size_t(i)].flags & MaskedFlag) == 0)
            continue;
        const double x = double(i + 1);
        if (!spans.empty() && spans.back().second == x - 1)
            spans.back().second = x;
        else
            spans.emplace_back(x, x);
    }
    return spans;
}

std::vector<PlotSpan> plotEventSpans(const std::vector<LevelEvent>& events)
{
    std::vector<PlotSpan> spans;
    for (const LevelEvent& e : events)
        spans.emplace_back(double(e.first + 1), double(e.last + 1));
    return spans;
}

void showAnalysisInPlot(Plot* plot, QWidget* listWindow)
{
    if (!plot)
        return;
    delete plot->findChild<QObject*>(QString::fromLatin1(LinkName), Qt::FindDirectChildrenOnly);
    if (FileAnalysis* analysis = FileAnalysis::of(listWindow))
        new PlotAnalysisLink(*plot, *listWindow, *analysis);
}

void showEventInPlot(QWidget* listWindow, const LevelEvent& event)
{
    FileAnalysis* analysis = FileAnalysis::of(listWindow);
    Plot* plot = plotOf(listWindow);
    const auto* link = plot ? plot->findChild<PlotAnalysisLink*>(QString::fromLatin1(LinkName))
                            : nullptr;
    if (!link || link->analysis() != analysis) {
        if (!analysis)
            return;
        plot = analysis->plotList();
        showAnalysisInPlot(plot, listWindow);
    }
    if (plot) {
        plot->Overlays->showSpan({double(event.first + 1), double(event.last + 1)});
        plot->show();
        plot->raise();
    }
}

} // namespace kirv
