#pragma once

#include "kirv/plots/axis_format.h"

#include <QColor>
#include <QPointF>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <span>
#include <vector>

class QCustomPlot;
class QCPGraphData;
template <class DataType> class QCPDataContainer;
class QCPAxis;
class QCPGraph;
class QCPItemLine;
class QCPItemRect;
class QCPItemText;
class QCPItemTracer;
class QMouseEvent;
class QRect;

namespace kirv {

class FormatTicker;

/// One plot over two axes: axis 1 is x (record number, sample number or level class) at the
/// bottom, axis 2 is y (level in dB or count) at the left. Every graph of the program is one.
///
/// Besides the data it carries cursors (crosshairs the user drags in the cursor mode), text
/// labels tied to data points, and the pointer modes of the large graph windows. It does not
/// print: a window prints its own image (QWidget::grab / render).
class Graph : public QWidget
{
    Q_OBJECT

public:
    enum class Axis { X = 1, Y = 2 };
    Q_ENUM(Axis)

    enum class PointerMode {
        Normal, ///< plain display; a click emits clicked()
        Cursor, ///< drag the nearest visible cursor (or make the first one jump to the pointer)
        PanXY,
        PanX,
        PanY,
        ZoomXY, ///< drag a rectangle, zoom to it
        ZoomX,  ///< drag a band, zoom the x axis only
        ZoomY,  ///< drag a band, zoom the y axis only
    };
    Q_ENUM(PointerMode)

    enum class PlotStyle {
        Line,  ///< time graphs
        Steps, ///< histograms: filled steps centred on each class
    };

    /// Points a strip chart keeps by default: the largest live series.
    static constexpr int DefaultStripCapacity = 864001;

    explicit Graph(QWidget* parent = nullptr);
    ~Graph() override;

    // Axes ----------------------------------------------------------------------------------
    /// Sets the axis to min..max. An inverted range is turned round; an empty one (min == max)
    /// is widened by 0.5 each way; non-finite ends are ignored. Setting the y axis ends its
    /// automatic scaling.
    void setAxisRange(Axis axis, double min, double max);
    double axisMin(Axis axis) const;
    double axisMax(Axis axis) const;

    /// Scales the count axis (y) once to the plotted data: 0 .. a round top above the largest
    /// value (1 with no data or all zeros). Returns the top.
    double autoScaleCountAxis();
    /// Keeps the count axis scaled to the data after every change of the data.
    void setCountAxisAutoScale(bool on);
    bool countAxisAutoScale() const { return m_autoCount; }

    void setAxisTitle(Axis axis, const QString& title);
    QString axisTitle(Axis axis) const;

    void setAxisFormat(Axis axis, AxisNumberFormat format);
    /// Takes a format text ("", "0", "0.0", "*0.1", "*.1"); false leaves the format unchanged.
    bool setAxisFormat(Axis axis, QStringView formatText);
    AxisNumberFormat axisFormat(Axis axis) const;

    // Data ----------------------------------------------------------------------------------
    /// Replaces the data: value i at x = firstX + i * stepX.
    void plotY(std::span<const double> y, double firstX = 1.0, double stepX = 1.0);
    /// Strip chart: appends one value at the next x (1 on an empty graph, else the last x plus
    /// the step). Beyond the strip capacity the oldest points are dropped.
    void appendY(double y);
    void clearData();
    int pointCount() const;
    /// Point i (0 = the oldest kept); a null point outside 0..pointCount()-1.
    QPointF pointAt(int i) const;

    /// With n > 0 the x axis follows a strip chart, showing the newest n points.
    void setStripLength(int n);
    int stripLength() const { return m_stripLength; }
    void setStripCapacity(int points);
    int stripCapacity() const { return m_stripCapacity; }

    // Looks ---------------------------------------------------------------------------------
    void setPlotStyle(PlotStyle style);
    PlotStyle plotStyle() const { return m_style; }
    void setPlotColor(const QColor& color);
    QColor plotColor() const { return m_plotColor; }
    /// Background of the whole graph; axes and texts switch to light on a dark background.
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_background; }
    /// Small fonts, few ticks and tight margins for the panel's little graphs.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }

    // Pointer -------------------------------------------------------------------------------
    void setPointerMode(PointerMode mode);
    PointerMode pointerMode() const { return m_mode; }

    // Cursors -------------------------------------------------------------------------------
    /// Adds a visible cursor at the middle of the current ranges; returns its index.
    int addCursor(const QColor& color = Qt::red);
    void removeCursor(int index);
    void removeAllCursors();
    int cursorCount() const { return int(m_cursors.size()); }
    void setCursorVisible(int index, bool visible);
    bool isCursorVisible(int index) const;
    void setCursorColor(int index, const QColor& color);
    QColor cursorColor(int index) const;
    /// Places the cursor; with snapping it lands on the data point nearest to x.
    void setCursorPosition(int index, double x, double y);
    QPointF cursorPosition(int index) const;
    void setCursorSnapToPlot(int index, bool snap);
    bool cursorSnapsToPlot(int index) const;

    // Labels --------------------------------------------------------------------------------
    /// Adds (or replaces) the label `name`: `caption` drawn at (x, y) with an arrow to the data
    /// point at x. The arrow follows that point when the data change.
    void addLabel(const QString& name, const QString& caption, double x, double y);
    void removeLabel(const QString& name);
    void clearLabels();
    QStringList labelNames() const;
    QString labelCaption(const QString& name) const;
    /// Where the caption is drawn; a null point for an unknown name.
    QPointF labelPosition(const QString& name) const;
    /// The data point the label is tied to; nothing while no data lie there.
    std::optional<QPointF> labelPoint(const QString& name) const;

    /// Shades x from `from` to `to` over the whole height, under the plotted line.
    void addRegion(double from, double to);
    void clearRegions();
    int regionCount() const { return int(m_regions.size()); }
    /// Whether the label `name` is drawn: only those with room are.
    bool isLabelShown(const QString& name) const;

    /// The plot itself, for reading tick labels or rendering; the Graph owns it.
    QCustomPlot* plot() const { return m_plot; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void rangeChanged(kirv::Graph::Axis axis, double min, double max);
    void cursorMoved(int index, double x, double y);
    /// A click without a drag in the plain display mode.
    void clicked();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Cursor {
        QPointer<QCPItemTracer> item;
        bool snap = false;
    };
    struct Label {
        QString name;
        double key = 0.0;
        QPointer<QCPItemText> text;
        QPointer<QCPItemTracer> point;
        QPointer<QCPItemLine> arrow;
    };

    QCPAxis* axisOf(Axis axis) const;
    FormatTicker* tickerOf(Axis axis) const;
    const Cursor* cursorAt(int index) const;
    const Label* labelNamed(const QString& name) const;
    std::optional<QPointF> nearestPoint(double x) const;
    void dataChanged();
    void followStrip();
    void applyStyle();
    void applyColors();
    void refreshLabels();
    void requestReplot();
    void moveCursorTo(int index, double x, double y);
    int cursorNear(const QPoint& pixel) const;
    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void onZoomRect(const QRect& rect);

    void chooseDetail();

    QCustomPlot* m_plot = nullptr;
    QCPGraph* m_graph = nullptr;
    // Every point, and for a long series its level of detail: the lowest and the highest point
    // of each DetailStride points, drawn while a pixel column holds more than that many.
    QSharedPointer<QCPDataContainer<QCPGraphData>> m_points;
    QSharedPointer<QCPDataContainer<QCPGraphData>> m_coarse;
    std::vector<Cursor> m_cursors;
    std::vector<Label> m_labels;
    std::vector<QPointer<QCPItemRect>> m_regions;
    PointerMode m_mode = PointerMode::Normal;
    PlotStyle m_style = PlotStyle::Line;
    QColor m_plotColor;
    QColor m_background = Qt::white;
    bool m_compact = false;
    bool m_autoCount = false;
    bool m_replotPending = false;
    double m_stepX = 1.0;
    double m_nextX = 1.0;
    int m_stripLength = 0;
    int m_stripCapacity = DefaultStripCapacity;
    int m_dragCursor = -1;
    QPoint m_pressPos;
    bool m_pressed = false;
};

} // namespace kirv
