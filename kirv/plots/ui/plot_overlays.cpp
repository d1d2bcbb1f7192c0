#include "kirv/plots/ui/plot_overlays.h"

#include "kirv/widgets/graph.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <cmath>

namespace kirv {

namespace {

constexpr double Top = 145.0;   // the level axis' span, where the bands reach
constexpr double Bottom = 25.0;

QCPGraph* overlayGraph(QCustomPlot* plot, const QColor& color, QCPGraph::LineStyle style,
                       Qt::PenStyle pen)
{
    QCPGraph* graph = plot->addGraph();
    graph->setLineStyle(style);
    graph->setPen(QPen(color, 2, pen));
    graph->setSelectable(QCP::stNone);
    return graph;
}

} // namespace

PlotOverlays::PlotOverlays(Graph& graph, QWidget* parent) : QObject(parent), m_graph(graph)
{
    setObjectName(QStringLiteral("PlotOverlays"));
    QCustomPlot* plot = graph.plot();
    m_leq = overlayGraph(plot, QColor(0xc0, 0x30, 0x20), QCPGraph::lsStepLeft, Qt::SolidLine);
    m_l10 = overlayGraph(plot, QColor(0x20, 0x80, 0x30), QCPGraph::lsLine, Qt::DashLine);
    m_l90 = overlayGraph(plot, QColor(0x20, 0x50, 0xb0), QCPGraph::lsLine, Qt::DashLine);

    m_panel = new QGroupBox(QStringLiteral("Analysis"), parent);
    m_panel->setObjectName(QStringLiteral("FrmAnalysis"));
    auto* row = new QHBoxLayout(m_panel);
    ChkPeriodLeq = new QCheckBox(QStringLiteral("Period Leq"), m_panel);
    ChkPeriodLeq->setObjectName(QStringLiteral("ChkPeriodLeq"));
    ChkPeriodLeq->setToolTip(QStringLiteral("The Leq of each period as steps"));
    ChkPercentiles = new QCheckBox(QStringLiteral("L10 / L90"), m_panel);
    ChkPercentiles->setObjectName(QStringLiteral("ChkPercentiles"));
    ChkPercentiles->setToolTip(QStringLiteral("The L10 and L90 of each period as lines"));
    CmdSelect = new QPushButton(QStringLiteral("Select"), m_panel);
    CmdSelect->setObjectName(QStringLiteral("CmdSelect"));
    CmdSelect->setCheckable(true);
    CmdSelect->setToolTip(QStringLiteral("Drag over the graph to choose a span of records"));
    CmdExclude = new QPushButton(QStringLiteral("Exclude"), m_panel);
    CmdExclude->setObjectName(QStringLiteral("CmdExclude"));
    CmdExclude->setToolTip(QStringLiteral("Leave the chosen span out of every figure"));
    CmdInclude = new QPushButton(QStringLiteral("Include"), m_panel);
    CmdInclude->setObjectName(QStringLiteral("CmdInclude"));
    CmdInclude->setToolTip(QStringLiteral("Take the masked span under the choice back"));
    LblSelection = new QLabel(m_panel);
    LblSelection->setObjectName(QStringLiteral("LblSelection"));
    for (QWidget* w : std::initializer_list<QWidget*>{ChkPeriodLeq, ChkPercentiles, CmdSelect,
                                                      CmdExclude, CmdInclude}) {
        w->setAccessibleDescription(w->toolTip());
        row->addWidget(w);
    }
    row->addWidget(LblSelection, 1);
    for (QPushButton* b : {CmdSelect, CmdExclude, CmdInclude})
        b->setAutoDefault(false);
    connect(ChkPeriodLeq, &QCheckBox::toggled, this, [this] { applyVisibility(); });
    connect(ChkPercentiles, &QCheckBox::toggled, this, [this] { applyVisibility(); });
    connect(CmdExclude, &QPushButton::clicked, this, &PlotOverlays::CmdExclude_Click);
    connect(CmdInclude, &QPushButton::clicked, this, &PlotOverlays::CmdInclude_Click);
    m_watched = plot;
    plot->installEventFilter(this);
    setAnalysed(false);
    applyVisibility();
}

void PlotOverlays::setAnalysed(bool analysed)
{
    m_panel->setEnabled(analysed);
}

void PlotOverlays::clear()
{
    for (QCPGraph* g : {m_leq, m_l10, m_l90})
        g->data()->clear();
    clearItems(m_masks);
    clearItems(m_events);
    setSelection(std::nullopt);
    setAnalysed(false);
    replot();
}

void PlotOverlays::clearItems(std::vector<QPointer<QCPItemRect>>& items)
{
    for (const QPointer<QCPItemRect>& item : items)
        if (item)
            m_graph.plot()->removeItem(item);
    items.clear();
}

QCPItemRect* PlotOverlays::band(const PlotSpan& span, const QColor& fill, int layer)
{
    QCustomPlot* plot = m_graph.plot();
    auto* rect = new QCPItemRect(plot);
    rect->setLayer(plot->layer(layer));
    rect->topLeft->setCoords(span.first - 0.5, Top);
    rect->bottomRight->setCoords(span.second + 0.5, Bottom);
    rect->setPen(Qt::NoPen);
    rect->setBrush(fill);
    rect->setSelectable(false);
    return rect;
}

void PlotOverlays::setPeriods(const std::vector<PlotPeriod>& periods)
{
    QVector<double> x, leq, mid, l10, l90;
    for (const PlotPeriod& p : periods) {
        x << p.first - 0.5;
        leq << p.leq;
        mid << (p.first + p.last) / 2.0;
        l10 << (p.l10 ? *p.l10 : qQNaN());
        l90 << (p.l90 ? *p.l90 : qQNaN());
    }
    if (!periods.empty()) {
        x << periods.back().last + 0.5; // the last step's right edge
        leq << periods.back().leq;
    }
    m_leq->setData(x, leq);
    m_l10->setData(mid, l10);
    m_l90->setData(mid, l90);
    replot();
}

void PlotOverlays::setMaskedSpans(const std::vector<PlotSpan>& spans)
{
    clearItems(m_masks);
    for (const PlotSpan& s : spans)
        m_masks.push_back(band(s, QColor(128, 128, 128, 110), 2));
    replot();
}

void PlotOverlays::setEvents(const std::vector<PlotSpan>& events)
{
    clearItems(m_events);
    for (const PlotSpan& e : events)
        m_events.push_back(band(e, QColor(255, 170, 0, 70), 1));
    replot();
}

void PlotOverlays::showSpan(const PlotSpan& span)
{
    const double margin = std::max(10.0, (span.second - span.first) * 0.5);
    m_graph.setAxisRange(Graph::Axis::X, span.first - margin, span.second + margin);
    setSelection(span);
}

void PlotOverlays::setSelection(const std::optional<PlotSpan>& span)
{
    m_selection = span;
    if (m_selectionBand)
        m_graph.plot()->removeItem(m_selectionBand);
    m_selectionBand = span ? band(*span, QColor(40, 110, 220, 60), 2) : nullptr;
    LblSelection->setText(span ? QStringLiteral("Records %1 to %2")
                                     .arg(std::lround(span->first))
                                     .arg(std::lround(span->second))
                               : QString());
    replot();
}

void PlotOverlays::CmdExclude_Click()
{
    if (m_selection)
        emit excludeRequested(m_selection->first, m_selection->second);
}

void PlotOverlays::CmdInclude_Click()
{
    if (m_selection)
        emit includeRequested((m_selection->first + m_selection->second) / 2.0);
}

void PlotOverlays::applyVisibility()
{
    m_leq->setVisible(ChkPeriodLeq->isChecked());
    m_l10->setVisible(ChkPercentiles->isChecked());
    m_l90->setVisible(ChkPercentiles->isChecked());
    replot();
}

void PlotOverlays::replot()
{
    m_graph.plot()->replot(QCustomPlot::rpQueuedReplot);
}

bool PlotOverlays::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    if (watched != m_watched || !CmdSelect->isChecked())
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const double x = std::round(m_graph.plot()->xAxis->pixelToCoord(mouse->position().x()));
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
        m_dragFrom = x;
    if (!m_dragFrom)
        return false;
    setSelection(PlotSpan{std::min(*m_dragFrom, x), std::max(*m_dragFrom, x)});
    if (type == QEvent::MouseButtonRelease)
        m_dragFrom.reset();
    return true; // a drag that chooses a span neither pans nor zooms
}

} // namespace kirv
