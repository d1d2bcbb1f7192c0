#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace kirv {

// Where a window whose frame is `frame` lies on a screen whose free area is `available`: where
// it is when it fits; otherwise moved in, and shrunk where it is larger than that area.
QRect fitInto(const QRect& frame, const QRect& available);

// Puts the top-level `window` with its frame's top-left corner at `wanted`, whole on the free
// area of the screen it opens on (the one under `wanted`, else its parent's, else the primary):
// moved in and, if still too large, shrunk. A place that would cover `keepClear` gives way to
// one beside it (right, left, below, above) where the window fits whole.
void placeWindow(QWidget* window, QPoint wanted, const QRect& keepClear = {});

// The same, with the window's left edge at `anchor`'s right edge and their tops level. Where it
// cannot lie there whole, it never covers the anchor's title bar and toolbars, and it leaves
// the parts marked with keepInSight() (of any window on screen) uncovered where a place that
// fits whole allows it.
void placeBeside(QWidget* window, const QWidget* anchor, const QRect& keepClear = {});

// Marks a part of a window that windows placed beside others leave in sight (the panel's values).
void keepInSight(QWidget* part);

// A widget's rectangle in screen coordinates, for `keepClear`.
QRect globalRect(const QWidget* widget);

} // namespace kirv
