#pragma once

#include <QObject>
#include <QPointer>

#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QCPGraph;
class QCPItemRect;
class QGroupBox;
class QPushButton;
class QLabel;

namespace kirv {

class Graph;

/// One clock-aligned period on the plot's record axis: records `first`..`last` (x values) and its
/// Leq, L10 and L90 in dB.
struct PlotPeriod
{
    double first = 0.0;
    double last = 0.0;
    double leq = 0.0;
    std::optional<double> l10, l90;
};

/// A span of records on the plot's x axis, both ends included.
using PlotSpan = std::pair<double, double>;

/// What the Plot window draws over the levels of an analysed list: the period Leq as steps and
/// each period's L10 and L90 as lines (each switched on and off with its box), the masked spans
/// greyed and the listed events marked. All lie in the plot's own coordinates, so they follow
/// zoom and pan and print with the graph.
///
/// "Select" lets a drag over the graph choose a span of records; "Exclude" masks the chosen
/// span and "Include" takes back the masked span under it. The owner of the analysis answers
/// those requests and hands the new spans back.
class PlotOverlays : public QObject
{
    Q_OBJECT

public:
    PlotOverlays(Graph& graph, QWidget* parent);

    /// The row of controls, for the window to place (and to hide while printing).
    QGroupBox* panel() const { return m_panel; }

    QCheckBox* ChkPeriodLeq = nullptr;
    QCheckBox* ChkPercentiles = nullptr;
    QPushButton* CmdSelect = nullptr;
    QPushButton* CmdExclude = nullptr;
    QPushButton* CmdInclude = nullptr;
    QLabel* LblSelection = nullptr;

    /// No analysis: everything drawn goes and the controls are off (a plain list plotted).
    void clear();
    void setAnalysed(bool analysed);
    void setPeriods(const std::vector<PlotPeriod>& periods);
    void setMaskedSpans(const std::vector<PlotSpan>& spans);
    void setEvents(const std::vector<PlotSpan>& events);
    /// Shows the records of one event: the x axis around it, the event marked.
    void showSpan(const PlotSpan& span);

    /// The span chosen with "Select", if any.
    std::optional<PlotSpan> selection() const { return m_selection; }
    void setSelection(const std::optional<PlotSpan>& span);

    void CmdExclude_Click();
    void CmdInclude_Click();

signals:
    void excludeRequested(double first, double last);
    void includeRequested(double at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCPItemRect* band(const PlotSpan& span, const QColor& fill, int layer);
    void clearItems(std::vector<QPointer<QCPItemRect>>& items);
    void applyVisibility();
    void replot();

    Graph& m_graph;
    // The plot whose mouse the selection reads; the filter compares against it without asking
    // the graph, which may be half destroyed when its last events arrive.
    QObject* m_watched = nullptr;
    QGroupBox* m_panel = nullptr;
    QCPGraph* m_leq = nullptr;
    QCPGraph* m_l10 = nullptr;
    QCPGraph* m_l90 = nullptr;
    std::vector<QPointer<QCPItemRect>> m_masks;
    std::vector<QPointer<QCPItemRect>> m_events;
    QPointer<QCPItemRect> m_selectionBand;
    std::optional<PlotSpan> m_selection;
    std::optional<double> m_dragFrom;
};

} // namespace kirv
