#include "kirv/widgets/graph.h"

#include "kirv/widgets/format_ticker.h"

#include <qcustomplot.h>

#include <QEvent>
#include <QVBoxLayout>

#include <utility>

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr int ClickSlopPixels = 4;
constexpr int MinZoomPixels = 3;

// The zoom rectangle; a zoom in one direction shows as a band across the whole plot area.
class ZoomBand : public QCPSelectionRect
{
public:
    explicit ZoomBand(QCustomPlot* plot)
        : QCPSelectionRect(plot)
    {
    }

    void setOrientations(Qt::Orientations orientations) { m_orientations = orientations; }

protected:
    void draw(QCPPainter* painter) override
    {
        if (!mActive)
            return;
        QRect band = mRect.normalized();
        const QRect area = mParentPlot->axisRect()->rect();
        if (!m_orientations.testFlag(Qt::Vertical)) {
            band.setTop(area.top());
            band.setBottom(area.bottom());
        }
        if (!m_orientations.testFlag(Qt::Horizontal)) {
            band.setLeft(area.left());
            band.setRight(area.right());
        }
        painter->setPen(mPen);
        painter->setBrush(mBrush);
        painter->drawRect(band);
    }

private:
    Qt::Orientations m_orientations = Qt::Horizontal | Qt::Vertical;
};

ZoomBand* zoomBandOf(QCustomPlot* plot)
{
    return static_cast<ZoomBand*>(plot->selectionRect());
}

// A series longer than this many points is drawn from its level of detail when zoomed out: the
// graph's own sampling walks every point shown at each redraw, 30 million for a year.
constexpr int DetailPoints = 1 << 21;
constexpr int DetailStride = 64;

// The lowest and the highest point of each DetailStride points, in their order, and the first
// gap (NaN) of a stride so that the line still breaks there.
QSharedPointer<QCPGraphDataContainer> coarseOf(const QCPGraphDataContainer& all)
{
    QVector<QCPGraphData> out;
    out.reserve(all.size() / DetailStride * 3 + 3);
    for (auto from = all.constBegin(); from != all.constEnd();) {
        const auto to = all.constEnd() - from > DetailStride ? from + DetailStride : all.constEnd();
        auto low = all.constEnd(), high = all.constEnd(), gap = all.constEnd();
        for (auto it = from; it != to; ++it) {
            if (std::isnan(it->value)) {
                if (gap == all.constEnd())
                    gap = it;
                continue;
            }
            if (low == all.constEnd() || it->value < low->value)
                low = it;
            if (high == all.constEnd() || it->value > high->value)
                high = it;
        }
        // At most three, appended in the order they came and each once.
        QCPGraphDataContainer::const_iterator picked[3];
        int n = 0;
        for (const auto p : {low, high, gap})
            if (p != all.constEnd())
                picked[n++] = p;
        for (int i = 1; i < n; ++i)
            for (int j = i; j > 0 && picked[j] < picked[j - 1]; --j)
                std::swap(picked[j], picked[j - 1]);
        for (int i = 0; i < n; ++i)
            if (i == 0 || picked[i] != picked[i - 1])
                out.append(*picked[i]);
        from = to;
    }
    auto coarse = QSharedPointer<QCPGraphDataContainer>::create();
    coarse->set(out, true);
    return coarse;
}

bool isDark(const QColor& color)
{
    return color.lightnessF() < 0.5;
}

} // namespace

Graph::Graph(QWidget* parent)
    : QWidget(parent)
    , m_plot(new QCustomPlot(this))
    , m_plotColor(0x1f, 0x5f, 0xa8)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);

    m_graph = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
    m_graph->setAdaptiveSampling(true);
    m_points = m_graph->data();
    connect(m_plot, &QCustomPlot::beforeReplot, this, &Graph::chooseDetail);
    m_plot->xAxis->setTicker(QSharedPointer<FormatTicker>::create());
    m_plot->yAxis->setTicker(QSharedPointer<FormatTicker>::create());
    // The top and right axes only close the frame.
    for (QCPAxis* frame : {m_plot->xAxis2, m_plot->yAxis2}) {
        frame->setVisible(true);
        frame->setTicks(false);
        frame->setTickLabels(false);
    }
    m_plot->setNoAntialiasingOnDrag(true);
    // A full day of samples: a wide pen stroked segment by segment costs ~50x a polyline.
    m_plot->setPlottingHint(QCP::phFastPolylines, true);

    auto* band = new ZoomBand(m_plot);
    m_plot->setSelectionRect(band);
    band->setLayer(QStringLiteral("overlay"));
    m_plot->setSelectionRectMode(QCP::srmNone);
    connect(band, &QCPSelectionRect::accepted, this,
            [this](const QRect& rect, QMouseEvent*) { onZoomRect(rect); });

    connect(m_plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& r) { emit rangeChanged(Axis::X, r.lower, r.upper); });
    connect(m_plot->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& r) { emit rangeChanged(Axis::Y, r.lower, r.upper); });
    connect(m_plot, &QCustomPlot::mousePress, this, &Graph::onMousePress);
    connect(m_plot, &QCustomPlot::mouseMove, this, &Graph::onMouseMove);
    connect(m_plot, &QCustomPlot::mouseRelease, this, &Graph::onMouseRelease);
    // After the layout, so that the labels' room is measured on the axes as they are drawn.
    connect(m_plot, &QCustomPlot::afterLayout, this, &Graph::refreshLabels);

    m_plot->xAxis->setRange(0, 10);
    m_plot->yAxis->setRange(0, 10);
    setPlotStyle(PlotStyle::Line);
    applyStyle();
    applyColors();
}

Graph::~Graph() = default;

// Axes ------------------------------------------------------------------------------------------

QCPAxis* Graph::axisOf(Axis axis) const
{
    return axis == Axis::X ? m_plot->xAxis : m_plot->yAxis;
}

FormatTicker* Graph::tickerOf(Axis axis) const
{
    return static_cast<FormatTicker*>(axisOf(axis)->ticker().data());
}

void Graph::setAxisRange(Axis axis, double min, double max)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return;
    if (min > max)
        std::swap(min, max);
    if (max - min <= 0.0) {
        min -= 0.5;
        max += 0.5;
    }
    if (axis == Axis::Y)
        m_autoCount = false;
    axisOf(axis)->setRange(min, max);
    requestReplot();
}

double Graph::axisMin(Axis axis) const
{
    return axisOf(axis)->range().lower;
}

double Graph::axisMax(Axis axis) const
{
    return axisOf(axis)->range().upper;
}

double Graph::autoScaleCountAxis()
{
    bool found = false;
    const QCPRange values = m_points->valueRange(found);
    const double top = countAxisTop(found ? values.upper : 0.0);
    const double bottom = found ? std::min(0.0, values.lower) : 0.0;
    m_plot->yAxis->setRange(bottom, top);
    requestReplot();
    return top;
}

void Graph::setCountAxisAutoScale(bool on)
{
    m_autoCount = on;
    if (on)
        autoScaleCountAxis();
}

void Graph::setAxisTitle(Axis axis, const QString& title)
{
    axisOf(axis)->setLabel(title);
    requestReplot();
}

QString Graph::axisTitle(Axis axis) const
{
    return axisOf(axis)->label();
}

void Graph::setAxisFormat(Axis axis, AxisNumberFormat format)
{
    tickerOf(axis)->setFormat(format);
    requestReplot();
}

bool Graph::setAxisFormat(Axis axis, QStringView formatText)
{
    const auto format = parseAxisNumberFormat(formatText);
    if (!format)
        return false;
    setAxisFormat(axis, *format);
    return true;
}

AxisNumberFormat Graph::axisFormat(Axis axis) const
{
    return tickerOf(axis)->format();
}

// Data ------------------------------------------------------------------------------------------

void Graph::plotY(std::span<const double> y, double firstX, double stepX)
{
    QVector<QCPGraphData> points(qsizetype(y.size()));
    for (std::size_t i = 0; i < y.size(); ++i)
        points[qsizetype(i)] = QCPGraphData(firstX + double(i) * stepX, y[i]);
    // A negative step would give unsorted keys; the container sorts those itself.
    m_points->set(points, stepX >= 0.0);
    m_coarse = points.size() > DetailPoints ? coarseOf(*m_points) : nullptr;
    m_stepX = stepX;
    m_nextX = firstX + double(y.size()) * stepX;
    dataChanged();
}

void Graph::appendY(double y)
{
    const auto& data = m_points;
    // Keys only grow here, so add() appends at the end without touching the rest.
    m_coarse.reset(); // a strip grows a point at a time and is never long
    data->add(QCPGraphData(m_nextX, y));
    m_nextX += m_stepX;
    if (data->size() > m_stripCapacity)
        data->removeBefore((data->constBegin() + (data->size() - m_stripCapacity))->key);
    followStrip();
    dataChanged();
}

void Graph::clearData()
{
    m_points->clear();
    m_coarse.reset();
    m_nextX = 1.0;
    dataChanged();
}

int Graph::pointCount() const
{
    return m_points->size();
}

QPointF Graph::pointAt(int i) const
{
    const auto& data = m_points;
    if (i < 0 || i >= data->size())
        return {};
    const auto it = data->constBegin() + i;
    return {it->key, it->value};
}

void Graph::setStripLength(int n)
{
    m_stripLength = std::max(0, n);
    followStrip();
    requestReplot();
}

void Graph::setStripCapacity(int points)
{
    m_stripCapacity = std::max(1, points);
    const auto& data = m_points;
    if (data->size() > m_stripCapacity) {
        data->removeBefore((data->constBegin() + (data->size() - m_stripCapacity))->key);
        dataChanged();
    }
}

void Graph::followStrip()
{
    const auto& data = m_points;
    if (m_stripLength <= 0 || data->isEmpty())
        return;
    const double span = double(m_stripLength - 1) * std::abs(m_stepX);
    const double first = data->constBegin()->key;
    const double last = (data->constEnd() - 1)->key;
    const double lower = last - first < span ? first : last - span;
    setAxisRange(Axis::X, lower, lower + span);
}

void Graph::chooseDetail()
{
    const double pixels = std::max(1, m_plot->axisRect()->width());
    const double shown = m_stepX != 0.0 ? m_plot->xAxis->range().size() / std::abs(m_stepX) : 0.0;
    const QSharedPointer<QCPGraphDataContainer>& wanted =
        m_coarse && shown > pixels * DetailStride ? m_coarse : m_points;
    if (m_graph->data() != wanted)
        m_graph->setData(wanted);
}

void Graph::dataChanged()
{
    if (m_autoCount)
        autoScaleCountAxis();
    requestReplot();
}

std::optional<QPointF> Graph::nearestPoint(double x) const
{
    const auto& data = m_points;
    if (data->isEmpty() || !std::isfinite(x))
        return std::nullopt;
    auto it = std::lower_bound(data->constBegin(), data->constEnd(), x,
                               [](const QCPGraphData& d, double key) { return d.key < key; });
    if (it == data->constEnd())
        --it;
    else if (it != data->constBegin() && x - (it - 1)->key <= it->key - x)
        --it;
    return QPointF(it->key, it->value);
}

// Looks -----------------------------------------------------------------------------------------

void Graph::setPlotStyle(PlotStyle style)
{
    m_style = style;
    // A class c holds the levels from c up to the next class, so its step runs from c to c + 1:
    // the lowest and highest classes of a span low .. high + 1 lie whole inside the axis.
    m_graph->setLineStyle(style == PlotStyle::Steps ? QCPGraph::lsStepLeft : QCPGraph::lsLine);
    applyColors();
}

void Graph::setPlotColor(const QColor& color)
{
    m_plotColor = color;
    applyColors();
}

void Graph::setBackgroundColor(const QColor& color)
{
    m_background = color;
    applyColors();
}

void Graph::setCompact(bool compact)
{
    m_compact = compact;
    // The panel's small graphs redraw every second: plain pixels there, smooth lines in the
    // large windows.
    if (compact)
        m_plot->setNotAntialiasedElements(QCP::aeAll);
    else
        m_plot->setNotAntialiasedElements(QCP::aeNone);
    applyStyle();
    updateGeometry();
}

void Graph::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        applyStyle();
    QWidget::changeEvent(event);
}

void Graph::applyStyle()
{
    QFont small = font();
    if (m_compact)
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.75));
    const int tick = m_compact ? 3 : 5;
    for (QCPAxis* axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setTickLabelFont(small);
        axis->setLabelFont(small);
        axis->setTickLength(0, tick);
        axis->setSubTickLength(0, m_compact ? 0 : 2);
        axis->setPadding(m_compact ? 1 : 4);
        axis->setTickLabelPadding(m_compact ? 2 : 4);
        axis->setLabelPadding(m_compact ? 1 : 4);
        axis->grid()->setSubGridVisible(false);
    }
    tickerOf(Axis::X)->setTickCount(m_compact ? 4 : 8);
    tickerOf(Axis::Y)->setTickCount(m_compact ? 3 : 6);
    // Room above and right of the plot area for half a label: the top and last ticks are labelled.
    const int half = QFontMetrics(small).height() / 2 + 1;
    m_plot->axisRect()->setMinimumMargins(m_compact ? QMargins(2, half + 3, 2 * half, 2)
                                                    : QMargins(8, 2 * half, 3 * half, 8));
    for (Label& label : m_labels) {
        if (label.text)
            label.text->setFont(small);
    }
    applyColors();
}

void Graph::applyColors()
{
    const bool dark = isDark(m_background);
    const QColor text = dark ? QColor(0xe0, 0xe0, 0xe0) : QColor(0x30, 0x30, 0x30);
    const QColor frame = dark ? QColor(0xa0, 0xa0, 0xa0) : QColor(0x70, 0x70, 0x70);
    const QColor grid = dark ? QColor(0x55, 0x55, 0x55) : QColor(0xdc, 0xdc, 0xdc);

    m_plot->setBackground(QBrush(m_background));
    m_plot->axisRect()->setBackground(Qt::NoBrush);
    for (QCPAxis* axis : m_plot->axisRect()->axes()) {
        axis->setBasePen(QPen(frame, 0));
        axis->setTickPen(QPen(frame, 0));
        axis->setSubTickPen(QPen(frame, 0));
        axis->setTickLabelColor(text);
        axis->setLabelColor(text);
        axis->grid()->setPen(QPen(grid, 0, Qt::SolidLine));
        axis->grid()->setZeroLinePen(Qt::NoPen);
    }

    const double width = m_compact ? 1.0 : 1.2;
    m_graph->setPen(QPen(m_plotColor, width));
    QColor fill = m_plotColor;
    fill.setAlpha(dark ? 110 : 70);
    m_graph->setBrush(m_style == PlotStyle::Steps ? QBrush(fill) : Qt::NoBrush);

    QColor bandFill = m_plotColor;
    bandFill.setAlpha(40);
    m_plot->selectionRect()->setPen(QPen(text, 0, Qt::DashLine));
    m_plot->selectionRect()->setBrush(bandFill);

    QColor labelBack = m_background;
    labelBack.setAlpha(220);
    for (Label& label : m_labels) {
        if (!label.text)
            continue;
        label.text->setColor(text);
        label.text->setPen(QPen(frame, 0));
        label.text->setBrush(labelBack);
        label.arrow->setPen(QPen(text, 0));
        label.point->setPen(QPen(m_plotColor.darker(dark ? 80 : 130), 1.5));
    }
    requestReplot();
}

void Graph::requestReplot()
{
    // A hidden graph (the panel's unselected time graphs and histogram) keeps its data up to
    // date but draws only when it is shown again.
    if (!isVisible()) {
        m_replotPending = true;
        return;
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void Graph::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_replotPending, false))
        m_plot->replot(QCustomPlot::rpQueuedReplot);
}

QSize Graph::sizeHint() const
{
    return m_compact ? QSize(200, 100) : QSize(480, 300);
}

QSize Graph::minimumSizeHint() const
{
    return {120, 70};
}

// Pointer ---------------------------------------------------------------------------------------

void Graph::setPointerMode(PointerMode mode)
{
    if (m_plot->selectionRect()->isActive())
        m_plot->selectionRect()->cancel();
    m_mode = mode;
    m_dragCursor = -1;
    m_pressed = false;

    QCP::Interactions interactions;
    Qt::Orientations drag;
    Qt::Orientations zoom;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (mode) {
    case PointerMode::Normal: break;
    case PointerMode::Cursor: shape = Qt::CrossCursor; break;
    case PointerMode::PanXY: drag = Qt::Horizontal | Qt::Vertical; break;
    case PointerMode::PanX: drag = Qt::Horizontal; break;
    case PointerMode::PanY: drag = Qt::Vertical; break;
    case PointerMode::ZoomXY: zoom = Qt::Horizontal | Qt::Vertical; break;
    case PointerMode::ZoomX: zoom = Qt::Horizontal; break;
    case PointerMode::ZoomY: zoom = Qt::Vertical; break;
    }
    if (drag) {
        interactions = QCP::iRangeDrag;
        shape = Qt::OpenHandCursor;
    }
    if (zoom)
        shape = Qt::CrossCursor;
    m_plot->axisRect()->setRangeDrag(drag);
    m_plot->setInteractions(interactions);
    zoomBandOf(m_plot)->setOrientations(zoom);
    m_plot->setSelectionRectMode(zoom ? QCP::srmCustom : QCP::srmNone);
    m_plot->setCursor(shape);
}

void Graph::onZoomRect(const QRect& rect)
{
    const QRect r = rect.normalized();
    QCPAxis* x = m_plot->xAxis;
    QCPAxis* y = m_plot->yAxis;
    const bool zoomX = m_mode == PointerMode::ZoomXY || m_mode == PointerMode::ZoomX;
    const bool zoomY = m_mode == PointerMode::ZoomXY || m_mode == PointerMode::ZoomY;
    if (zoomX && r.width() >= MinZoomPixels)
        x->setRange(x->pixelToCoord(r.left()), x->pixelToCoord(r.right()));
    if (zoomY && r.height() >= MinZoomPixels)
        y->setRange(y->pixelToCoord(r.bottom()), y->pixelToCoord(r.top()));
    requestReplot();
}

void Graph::onMousePress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_pressPos = event->pos();
    if (m_mode != PointerMode::Cursor)
        return;
    if (!m_plot->axisRect()->rect().contains(event->pos()))
        return;
    m_dragCursor = cursorNear(event->pos());
    if (m_dragCursor < 0) {
        const auto first = std::find_if(m_cursors.begin(), m_cursors.end(), [](const Cursor& c) {
            return c.item && c.item->visible();
        });
        if (first == m_cursors.end())
            return;
        m_dragCursor = int(first - m_cursors.begin());
    }
    onMouseMove(event);
}

void Graph::onMouseMove(QMouseEvent* event)
{
    if (m_dragCursor < 0)
        return;
    const QRect area = m_plot->axisRect()->rect();
    const int px = std::clamp(event->pos().x(), area.left(), area.right());
    const int py = std::clamp(event->pos().y(), area.top(), area.bottom());
    moveCursorTo(m_dragCursor, m_plot->xAxis->pixelToCoord(px), m_plot->yAxis->pixelToCoord(py));
}

void Graph::onMouseRelease(QMouseEvent* event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    m_dragCursor = -1;
    if (wasPressed && m_mode == PointerMode::Normal && event->button() == Qt::LeftButton
        && (event->pos() - m_pressPos).manhattanLength() <= ClickSlopPixels)
        emit clicked();
}

} // namespace kirv
