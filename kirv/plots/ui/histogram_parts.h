#pragma once

#include "kirv/widgets/graph.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QToolBar;

namespace kirv {

/// The pointer mode chosen by item 0..6 of a histogram window's mode list ("Normal" .. "ZoomY");
/// item 7 is the reset of the scale.
inline constexpr int HistogramResetItem = 7;
Graph::PointerMode histogramPointerMode(int item);

/// The mode items of a histogram window: "Normal" .. "ZoomY", then `resetItem`.
QStringList histogramModeItems(const QString& resetItem);

/// The panel `Picture1` of the histogram windows: the pointer-mode list `Combo1` and the
/// description `txtDescription` of the chosen mode.
class HistogramModePanel : public QWidget
{
    Q_OBJECT

public:
    HistogramModePanel(const QStringList& items, QWidget* parent);

    QComboBox* Combo1 = nullptr;
    QLabel* txtDescription = nullptr;
};

/// A toolbar button's key, caption and tooltip; the tooltip is also its accessible description.
QAction* addToolbarButton(QToolBar* toolbar, const QString& key, const QString& tooltip);


/// Window sizes are given in twips (1/1440 inch); this is their length in pixels on screen.
int twipsToPixels(QWidget* widget, int twips);

} // namespace kirv
