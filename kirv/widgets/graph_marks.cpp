// Cursors and labels of the graph: the QCustomPlot items laid over its plot.
#include "kirv/widgets/graph.h"

#include "kirv/plots/label_room.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr int CursorGrabPixels = 6;
constexpr qreal LabelGapPixels = 4;
const QColor RegionColor(255, 170, 0, 56);

} // namespace

// Cursors ---------------------------------------------------------------------------------------

const Graph::Cursor* Graph::cursorAt(int index) const
{
    if (index < 0 || index >= int(m_cursors.size()) || !m_cursors[std::size_t(index)].item)
        return nullptr;
    return &m_cursors[std::size_t(index)];
}

int Graph::addCursor(const QColor& color)
{
    auto* item = new QCPItemTracer(m_plot);
    item->setStyle(QCPItemTracer::tsCrosshair);
    item->setPen(QPen(color, 0));
    item->position->setType(QCPItemPosition::ptPlotCoords);
    item->position->setCoords(m_plot->xAxis->range().center(), m_plot->yAxis->range().center());
    m_cursors.push_back(Cursor{item, false});
    requestReplot();
    return int(m_cursors.size()) - 1;
}

void Graph::removeCursor(int index)
{
    const Cursor* cursor = cursorAt(index);
    if (!cursor)
        return;
    m_plot->removeItem(cursor->item);
    m_cursors.erase(m_cursors.begin() + index);
    m_dragCursor = -1;
    requestReplot();
}

void Graph::removeAllCursors()
{
    while (!m_cursors.empty()) {
        if (m_cursors.back().item)
            m_plot->removeItem(m_cursors.back().item);
        m_cursors.pop_back();
    }
    m_dragCursor = -1;
    requestReplot();
}

void Graph::setCursorVisible(int index, bool visible)
{
    if (const Cursor* cursor = cursorAt(index)) {
        cursor->item->setVisible(visible);
        requestReplot();
    }
}

bool Graph::isCursorVisible(int index) const
{
    const Cursor* cursor = cursorAt(index);
    return cursor && cursor->item->visible();
}

void Graph::setCursorColor(int index, const QColor& color)
{
    if (const Cursor* cursor = cursorAt(index)) {
        cursor->item->setPen(QPen(color, 0));
        requestReplot();
    }
}

QColor Graph::cursorColor(int index) const
{
    const Cursor* cursor = cursorAt(index);
    return cursor ? cursor->item->pen().color() : QColor();
}

void Graph::setCursorPosition(int index, double x, double y)
{
    moveCursorTo(index, x, y);
}

QPointF Graph::cursorPosition(int index) const
{
    const Cursor* cursor = cursorAt(index);
    return cursor ? cursor->item->position->coords() : QPointF();
}

void Graph::setCursorSnapToPlot(int index, bool snap)
{
    if (cursorAt(index))
        m_cursors[std::size_t(index)].snap = snap;
}

bool Graph::cursorSnapsToPlot(int index) const
{
    const Cursor* cursor = cursorAt(index);
    return cursor && cursor->snap;
}

void Graph::moveCursorTo(int index, double x, double y)
{
    const Cursor* cursor = cursorAt(index);
    if (!cursor || !std::isfinite(x) || !std::isfinite(y))
        return;
    QPointF at(x, y);
    if (cursor->snap) {
        if (const auto point = nearestPoint(x))
            at = *point;
    }
    if (cursor->item->position->coords() == at)
        return;
    cursor->item->position->setCoords(at);
    requestReplot();
    emit cursorMoved(index, at.x(), at.y());
}

int Graph::cursorNear(const QPoint& pixel) const
{
    int best = -1;
    double bestDistance = CursorGrabPixels;
    for (std::size_t i = 0; i < m_cursors.size(); ++i) {
        const QCPItemTracer* item = m_cursors[i].item;
        if (!item || !item->visible())
            continue;
        const QPointF at = item->position->pixelPosition();
        const double distance = std::min(std::abs(pixel.x() - at.x()), std::abs(pixel.y() - at.y()));
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}

// Regions -------------------------------------------------------------------------------------

void Graph::addRegion(double from, double to)
{
    auto* region = new QCPItemRect(m_plot);
    region->setLayer(QStringLiteral("grid"));
    region->setClipToAxisRect(true);
    for (QCPItemPosition* corner : {region->topLeft, region->bottomRight}) {
        corner->setTypeX(QCPItemPosition::ptPlotCoords);
        corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
    }
    region->topLeft->setCoords(from, 0);
    region->bottomRight->setCoords(to, 1);
    region->setPen(Qt::NoPen);
    region->setBrush(RegionColor);
    m_regions.emplace_back(region);
    requestReplot();
}

void Graph::clearRegions()
{
    for (const QPointer<QCPItemRect>& region : m_regions) {
        if (region)
            m_plot->removeItem(region);
    }
    m_regions.clear();
    requestReplot();
}

// Labels ----------------------------------------------------------------------------------------

const Graph::Label* Graph::labelNamed(const QString& name) const
{
    const auto it = std::find_if(m_labels.begin(), m_labels.end(),
                                 [&](const Label& l) { return l.name == name; });
    return it == m_labels.end() ? nullptr : &*it;
}

void Graph::addLabel(const QString& name, const QString& caption, double x, double y)
{
    removeLabel(name);
    Label label;
    label.name = name;
    label.key = x;

    label.point = new QCPItemTracer(m_plot);
    label.point->setStyle(QCPItemTracer::tsCircle);
    label.point->setSize(m_compact ? 4 : 6);
    label.point->position->setType(QCPItemPosition::ptPlotCoords);

    label.text = new QCPItemText(m_plot);
    label.text->setText(caption);
    label.text->position->setType(QCPItemPosition::ptPlotCoords);
    label.text->position->setCoords(x, y);
    label.text->setPositionAlignment(Qt::AlignCenter);
    label.text->setPadding(QMargins(3, 1, 3, 1));

    label.arrow = new QCPItemLine(m_plot);
    label.arrow->end->setParentAnchor(label.point->position);
    label.arrow->setHead(QCPLineEnding(QCPLineEnding::esSpikeArrow, 6, 8));

    m_labels.push_back(label);
    applyStyle();
}

void Graph::removeLabel(const QString& name)
{
    const auto it = std::find_if(m_labels.begin(), m_labels.end(),
                                 [&](const Label& l) { return l.name == name; });
    if (it == m_labels.end())
        return;
    for (QCPAbstractItem* item : {static_cast<QCPAbstractItem*>(it->arrow),
                                  static_cast<QCPAbstractItem*>(it->text),
                                  static_cast<QCPAbstractItem*>(it->point)}) {
        if (item)
            m_plot->removeItem(item);
    }
    m_labels.erase(it);
    requestReplot();
}

void Graph::clearLabels()
{
    while (!m_labels.empty())
        removeLabel(m_labels.back().name);
}

QStringList Graph::labelNames() const
{
    QStringList names;
    for (const Label& label : m_labels)
        names << label.name;
    return names;
}

QString Graph::labelCaption(const QString& name) const
{
    const Label* label = labelNamed(name);
    return label ? label->text->text() : QString();
}

QPointF Graph::labelPosition(const QString& name) const
{
    const Label* label = labelNamed(name);
    return label ? label->text->position->coords() : QPointF();
}

std::optional<QPointF> Graph::labelPoint(const QString& name) const
{
    const Label* label = labelNamed(name);
    return label ? nearestPoint(label->key) : std::nullopt;
}

bool Graph::isLabelShown(const QString& name) const
{
    const Label* label = labelNamed(name);
    return label && label->text->visible();
}

void Graph::refreshLabels()
{
    // Only the labels with room are drawn: tens of marks close together would be a band of ink.
    std::vector<QRectF> boxes;
    boxes.reserve(m_labels.size());
    for (const Label& label : m_labels) {
        const QFontMetricsF metrics(label.text->font());
        const QMargins pad = label.text->padding();
        const QSizeF size(metrics.horizontalAdvance(label.text->text()) + pad.left() + pad.right(),
                          metrics.height() + pad.top() + pad.bottom());
        const QPointF centre = label.text->position->pixelPosition();
        boxes.emplace_back(centre - QPointF(size.width(), size.height()) / 2, size);
    }
    const std::vector<bool> drawn = labelsWithRoom(boxes, m_plot->axisRect()->rect(), LabelGapPixels);
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        Label& label = m_labels[i];
        const auto point = drawn[i] ? nearestPoint(label.key) : std::nullopt;
        label.text->setVisible(drawn[i]);
        label.point->setVisible(point.has_value());
        label.arrow->setVisible(point.has_value());
        if (!point)
            continue;
        label.point->position->setCoords(*point);
        // The caption is centred on its coordinates; the arrow leaves from the edge facing the point.
        const bool pointAbove = point->y() >= label.text->position->coords().y();
        label.arrow->start->setParentAnchor(pointAbove ? label.text->top : label.text->bottom);
    }
}

} // namespace kirv
