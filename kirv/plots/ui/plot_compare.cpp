#include "kirv/plots/ui/plot_compare.h"

#include "kirv/widgets/graph.h"

#include <qcustomplot.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

const QColor SecondColor(0xd8, 0x6a, 0x10);
const QColor DifferenceColor(0x80, 0x30, 0xa0);
// The difference axis spans at least this much either way, else the next multiple of it.
constexpr double DifferenceStep = 5.0;

constexpr const char* AvailableTip = "Draw the levels of another open file over these (Ctrl+K)";
constexpr const char* NoneOpenTip = "Open another data file to compare with";

} // namespace

PlotCompare::PlotCompare(Graph& graph, QWidget* window) : QObject(window), m_graph(graph)
{
    setObjectName(QStringLiteral("PlotCompare"));
    QCustomPlot* plot = graph.plot();
    m_levels = plot->addGraph(plot->xAxis, plot->yAxis);
    m_levels->setPen(QPen(SecondColor, 1.2));
    m_levels->setAdaptiveSampling(true);
    m_levels->setSelectable(QCP::stNone);
    m_levels->setName(QStringLiteral("Compared levels"));
    m_difference = plot->addGraph(plot->xAxis, plot->yAxis2);
    m_difference->setPen(QPen(DifferenceColor, 2));
    m_difference->setLineStyle(QCPGraph::lsStepLeft);
    m_difference->setSelectable(QCP::stNone);
    m_difference->setName(QStringLiteral("Period Leq difference"));

    m_panel = new QGroupBox(QStringLiteral("Compare"), window);
    m_panel->setObjectName(QStringLiteral("FrmCompare"));
    auto* across = new QHBoxLayout(m_panel);
    m_controls = new QWidget(m_panel);
    auto* rows = new QVBoxLayout(m_controls);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);

    ActCompare = new QAction(QStringLiteral("Compare with..."), window);
    ActCompare->setObjectName(QStringLiteral("ActCompare"));
    ActCompare->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    ActCompare->setShortcutContext(Qt::WindowShortcut);
    window->addAction(ActCompare);
    CmdCompare = new QPushButton(QStringLiteral("Co&mpare with..."), m_controls);
    CmdCompare->setObjectName(QStringLiteral("CmdCompare"));
    CmdCompare->setAccessibleName(QStringLiteral("Compare with..."));
    CmdCompare->setAutoDefault(false);

    auto* alignLabel = new QLabel(QStringLiteral("Align by:"), m_controls);
    CboAlign = new QComboBox(m_controls);
    CboAlign->setObjectName(QStringLiteral("CboAlign"));
    CboAlign->addItems({QStringLiteral("Clock time"), QStringLiteral("Elapsed time")});
    CboAlign->setAccessibleName(QStringLiteral("Align by"));
    CboAlign->setToolTip(QStringLiteral("Lay the second file over this one by the time of day, "
                                        "or by the time since each file's start"));
    alignLabel->setBuddy(CboAlign);
    ChkDifference = new QCheckBox(QStringLiteral("Period Leq &difference"), m_controls);
    ChkDifference->setObjectName(QStringLiteral("ChkDifference"));
    ChkDifference->setToolTip(
        QStringLiteral("The Leq of each period of the second file less this file's, on the right axis"));
    CmdEndCompare = new QPushButton(QStringLiteral("&End Compare"), m_controls);
    CmdEndCompare->setObjectName(QStringLiteral("CmdEndCompare"));
    CmdEndCompare->setAccessibleName(QStringLiteral("End Compare"));
    CmdEndCompare->setToolTip(QStringLiteral("Take the second file off the graph"));
    CmdEndCompare->setAutoDefault(false);
    LblCompare = new QLabel(m_controls);
    LblCompare->setObjectName(QStringLiteral("LblCompare"));
    first->addWidget(CmdCompare);
    first->addSpacing(12);
    first->addWidget(alignLabel);
    first->addWidget(CboAlign);
    first->addStretch(1);
    second->addWidget(ChkDifference);
    second->addWidget(CmdEndCompare);
    second->addSpacing(12);
    second->addWidget(LblCompare, 1);

    // A column per figure, a row per file and one for the difference.
    GridCompare = new QTableWidget(3, 0, m_panel);
    GridCompare->setObjectName(QStringLiteral("GridCompare"));
    GridCompare->setAccessibleName(QStringLiteral("Compared figures"));
    GridCompare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridCompare->setSelectionMode(QAbstractItemView::NoSelection);
    GridCompare->setFocusPolicy(Qt::NoFocus);
    GridCompare->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridCompare->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridCompare->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridCompare->hide();
    across->addWidget(GridCompare, 0, Qt::AlignTop);
    across->addWidget(m_controls, 1, Qt::AlignTop);

    connect(ActCompare, &QAction::triggered, this, &PlotCompare::compareAsked);
    connect(CmdCompare, &QPushButton::clicked, ActCompare, &QAction::trigger);
    connect(ActCompare, &QAction::changed, this, [this] {
        CmdCompare->setEnabled(ActCompare->isEnabled());
        CmdCompare->setToolTip(ActCompare->toolTip());
    });
    connect(CboAlign, &QComboBox::currentIndexChanged, this, [this] {
        if (m_comparing)
            emit alignmentChanged();
    });
    connect(ChkDifference, &QCheckBox::toggled, this, &PlotCompare::showDifference);
    connect(CmdEndCompare, &QPushButton::clicked, this, [this] {
        end();
        emit ended();
    });
    setAvailable(false);
    end();
}

PlotCompare::Alignment PlotCompare::alignment() const
{
    return CboAlign->currentIndex() == ElapsedTime ? ElapsedTime : ClockTime;
}

void PlotCompare::setAvailable(bool available)
{
    ActCompare->setEnabled(available);
    ActCompare->setToolTip(QString::fromLatin1(available ? AvailableTip : NoneOpenTip));
}

std::optional<std::pair<double, double>> PlotCompare::span() const
{
    return m_comparing ? m_span : std::nullopt;
}

void PlotCompare::show(const PlotComparison& c)
{
    const bool opening = !m_comparing;
    m_comparing = true;
    QVector<QCPGraphData> points(qsizetype(c.x.size()));
    m_span.reset();
    for (size_t i = 0; i < c.x.size(); ++i) {
        points[qsizetype(i)] = QCPGraphData(c.x[i], c.y[i]);
        m_span = m_span ? std::pair(std::min(m_span->first, c.x[i]), std::max(m_span->second, c.x[i]))
                        : std::pair(c.x[i], c.x[i]);
    }
    m_levels->data()->set(points, std::is_sorted(c.x.begin(), c.x.end()));
    m_levels->setName(c.nameB);
    QVector<QCPGraphData> steps(qsizetype(c.differenceX.size()));
    double largest = 0.0;
    for (size_t i = 0; i < c.differenceX.size(); ++i) {
        steps[qsizetype(i)] = QCPGraphData(c.differenceX[i], c.differenceY[i]);
        if (std::isfinite(c.differenceY[i]))
            largest = std::max(largest, std::abs(c.differenceY[i]));
    }
    m_difference->data()->set(steps, true);
    const double reach = std::max(DifferenceStep, std::ceil(largest / DifferenceStep) * DifferenceStep);
    m_graph.plot()->yAxis2->setRange(-reach, reach);

    GridCompare->setRowCount(3);
    GridCompare->setColumnCount(int(c.rows.size()));
    GridCompare->setVerticalHeaderLabels({c.nameA, c.nameB, QStringLiteral("B - A")});
    QStringList labels;
    for (int k = 0; k < int(c.rows.size()); ++k) {
        const PlotComparison::Row& figure = c.rows[size_t(k)];
        labels << figure.label;
        const std::array<QString, 3> cells{figure.a, figure.b, figure.difference};
        for (int r = 0; r < 3; ++r) {
            auto* item = new QTableWidgetItem(cells[size_t(r)]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            GridCompare->setItem(r, k, item);
        }
    }
    GridCompare->setHorizontalHeaderLabels(labels);
    const int cell = GridCompare->fontMetrics().horizontalAdvance(QStringLiteral("-000.0")) + 20;
    for (int k = 0; k < GridCompare->columnCount(); ++k)
        GridCompare->setColumnWidth(k, cell);
    GridCompare->resizeRowsToContents();
    // Exactly as large as its cells: no scrolling, no empty room.
    const QHeaderView* top = GridCompare->horizontalHeader();
    const QHeaderView* side = GridCompare->verticalHeader();
    const int frame = 2 * GridCompare->frameWidth();
    GridCompare->setFixedSize(side->sizeHint().width() + top->length() + frame,
                              top->sizeHint().height() + side->length() + frame);
    GridCompare->show();
    if (opening) {
        // The table takes its room from the window, not from the graph, as far as the screen
        // allows.
        QWidget* window = m_panel->window();
        const int frame = window->frameGeometry().height() - window->height();
        const int room = window->screen()->availableGeometry().height() - frame;
        window->resize(window->width(),
                       std::min(room, window->height() + GridCompare->height() + 8));
    }
    LblCompare->setText(QStringLiteral("%1 in orange").arg(c.nameB));
    CmdEndCompare->setEnabled(true);
    m_levels->setVisible(true);
    showDifference();
}

void PlotCompare::showDifference()
{
    const bool on = m_comparing && ChkDifference->isChecked();
    m_difference->setVisible(on);
    QCPAxis* right = m_graph.plot()->yAxis2;
    right->setTicks(on);
    right->setTickLabels(on);
    right->setLabel(on ? QStringLiteral("B - A (dB)") : QString());
    m_graph.plot()->replot(QCustomPlot::rpQueuedReplot);
}

void PlotCompare::end()
{
    m_comparing = false;
    m_span.reset();
    m_levels->data()->clear();
    m_levels->setVisible(false);
    m_difference->data()->clear();
    GridCompare->hide();
    GridCompare->setColumnCount(0);
    LblCompare->clear();
    CmdEndCompare->setEnabled(false);
    showDifference();
}

} // namespace kirv
