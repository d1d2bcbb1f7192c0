#pragma once

#include <QRectF>

#include <span>
#include <vector>

namespace kirv {

// Which labels of a graph have room to be drawn. `boxes` are the labels' rectangles on the
// screen, most important first; a label is drawn when its box, widened by `gap` on each side,
// overlaps no box drawn before it. A label whose centre lies outside `area` (the plot) is not
// drawn and takes no room. Every label is drawn where none collide; where many do, the first of each crowd is.
std::vector<bool> labelsWithRoom(std::span<const QRectF> boxes, const QRectF& area, qreal gap);

} // namespace kirv
