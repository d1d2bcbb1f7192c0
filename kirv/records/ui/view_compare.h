#pragma once

#include <QList>

#include <functional>

class QWidget;

namespace kirv {

class FileList;
class Plot;

/// The views open now, in the order they were opened.
using OpenViews = std::function<QList<FileList*>()>;

/// "Plot" of an open view: the view's own Plot window, its "Compare with..." offering the other
/// views `openViews` names (off while there are none).
Plot* plotOfView(FileList* view, const OpenViews& openViews);

/// Turns "Compare with..." of every open view's Plot on while another view is open, off
/// otherwise: after a view opened or closed.
void offerComparisons(const QList<FileList*>& open);

/// "Compare with..." of the Plot of `view`: the choice of the other open views, window modal
/// over the plot; the one chosen is drawn over the plot. Returns the choice window, or null when
/// no other view is open.
QWidget* chooseComparison(FileList* view, Plot* plot, const QList<FileList*>& open);

} // namespace kirv
