#include "kirv/stats/ui/plot_comparison.h"

#include "kirv/base/civil_time.h"
#include "kirv/output/report_format.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/stats/report_of.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/widgets/busy.h"

#include <QLabel>
#include <QPointer>

#include <limits>

namespace kirv {

namespace {

constexpr const char* LinkName = "PlotCompareLink";
constexpr double Gap = std::numeric_limits<double>::quiet_NaN();

std::optional<qint64> firstTime(const LevelSeries& series)
{
    for (const LevelSample& s : series)
        if (s.hasTime())
            return qint64(s.seconds);
    return std::nullopt;
}

CompareAlignment alignmentOf(const PlotCompare& compare)
{
    return compare.alignment() == PlotCompare::ElapsedTime ? CompareAlignment::ElapsedTime
                                                           : CompareAlignment::ClockTime;
}

int periodMinutesOf(const QWidget* list)
{
    const auto* periods = list->findChild<Periods*>(QString(), Qt::FindDirectChildrenOnly);
    return periods ? periods->minutes() : Periods::DefaultMinutes;
}

FileReport reportOfList(const QWidget& list, const ReportRequest& request)
{
    const FileAnalysis* analysis = FileAnalysis::of(&list);
    if (!analysis->dataPath().isEmpty())
        return reportOf(analysis->dataPath(), request);
    // A list that came from no file: its series as it is, with its masks flagged already.
    DataFileSeries series;
    series.samples = analysis->series();
    return reportOf(list.windowTitle(), std::move(series), request);
}

// Ties a plot to the second list; deleted (so disconnected) when the comparison ends.
class PlotCompareLink : public QObject
{
public:
    PlotCompareLink(Plot& plot, QWidget& listA, QWidget& listB)
        : QObject(&plot), m_plot(&plot), m_a(&listA), m_b(&listB)
    {
        setObjectName(QString::fromLatin1(LinkName));
        PlotCompare* compare = plot.Compare;
        connect(compare, &PlotCompare::ended, this, &QObject::deleteLater);
        connect(compare, &PlotCompare::alignmentChanged, this, [this] { draw(); });
        connect(&listB, &QObject::destroyed, this, [this] {
            if (m_plot)
                m_plot->Compare->end();
            deleteLater();
        });
        for (QWidget* list : {&listA, &listB}) {
            FileAnalysis* analysis = FileAnalysis::of(list);
            connect(analysis, &FileAnalysis::masksChanged, this, [this] { reread(); });
            connect(analysis, &FileAnalysis::tablesChanged, this, [this] {
                if (m_a && periodMinutesOf(m_a) != m_minutes)
                    reread();
            });
        }
        reread();
    }

    QWidget* second() const { return m_b; }

private:
    void reread()
    {
        if (!m_plot || !m_a || !m_b)
            return;
        BusyCursor busy;
        ReportRequest request;
        m_minutes = periodMinutesOf(m_a);
        request.periodMinutes = m_minutes;
        m_reportA = reportOfList(*m_a, request);
        m_reportB = reportOfList(*m_b, request);
        draw();
    }

    void draw()
    {
        if (!m_plot || !m_a || !m_b)
            return;
        if (!m_reportA.ok() || !m_reportB.ok()) {
            m_plot->Compare->LblCompare->setText(m_reportA.ok() ? m_reportB.error : m_reportA.error);
            return;
        }
        const FileAnalysis* a = FileAnalysis::of(m_a);
        const FileAnalysis* b = FileAnalysis::of(m_b);
        const CompareTable table =
            compareTable(m_reportA.values, m_reportB.values, alignmentOf(*m_plot->Compare));
        PlotComparison shown = plotComparison(table, a->series(), a->interval(), b->series(), m_minutes);
        shown.nameA = m_a->windowTitle();
        shown.nameB = m_b->windowTitle();
        m_plot->Compare->show(shown);
        m_plot->CmdReset_Click();
    }

    QPointer<Plot> m_plot;
    QPointer<QWidget> m_a;
    QPointer<QWidget> m_b;
    FileReport m_reportA;
    FileReport m_reportB;
    int m_minutes = Periods::DefaultMinutes;
};

} // namespace

PlotComparison plotComparison(const CompareTable& table, const LevelSeries& a, double intervalA,
                              const LevelSeries& b, int periodMinutes)
{
    PlotComparison out;
    for (const CompareFigure& f : table.figures)
        out.rows.push_back({QLatin1String(f.label), reportLevelText(f.a), reportLevelText(f.b),
                            reportLevelText(f.difference)});
    const std::optional<qint64> startA = firstTime(a);
    const std::optional<qint64> startB = firstTime(b);
    if (!startA || !startB || intervalA <= 0.0)
        return out;
    const qint64 origin = table.alignment == CompareAlignment::ClockTime ? *startA : *startB;
    out.x.reserve(b.size());
    out.y.reserve(b.size());
    for (const LevelSample& s : b) {
        if (!s.hasTime())
            continue;
        out.x.push_back(1.0 + double(qint64(s.seconds) - origin) / intervalA);
        out.y.push_back(s.counted() ? s.level() : Gap);
    }
    // The difference as steps from the start of each period A has, back to a gap after a period
    // without a partner and after the last one.
    const double periodX = double(periodMinutes) * 60.0 / intervalA;
    double end = Gap;
    for (const ComparePeriod& p : table.periods) {
        if (!p.a)
            continue;
        const std::optional<qint64> civil = civilSeconds(p.a->start.toLatin1());
        if (!civil)
            continue;
        const double x = 1.0 + double(*civil - *startA) / intervalA;
        if (std::isfinite(end) && x > end) {
            out.differenceX.push_back(end);
            out.differenceY.push_back(Gap);
        }
        out.differenceX.push_back(x);
        out.differenceY.push_back(p.difference ? *p.difference : Gap);
        end = x + periodX;
    }
    if (std::isfinite(end) && !out.differenceY.empty()) {
        out.differenceX.push_back(end);
        out.differenceY.push_back(out.differenceY.back());
    }
    return out;
}

void compareInPlot(Plot& plot, QWidget& listA, QWidget& listB)
{
    delete plot.findChild<QObject*>(QString::fromLatin1(LinkName), Qt::FindDirectChildrenOnly);
    if (!FileAnalysis::of(&listA) || !FileAnalysis::of(&listB))
        return;
    new PlotCompareLink(plot, listA, listB);
}

QWidget* comparedList(const Plot& plot)
{
    const auto* link =
        plot.findChild<PlotCompareLink*>(QString::fromLatin1(LinkName), Qt::FindDirectChildrenOnly);
    return link ? link->second() : nullptr;
}

} // namespace kirv
