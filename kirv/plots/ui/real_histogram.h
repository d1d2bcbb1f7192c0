#pragma once

#include <QWidget>

#include <span>

class QToolBar;

namespace kirv {

class Graph;
class HistogramModePanel;

/// What a distribution graph click hands to RealHistogram, read back from the graph after
/// plotting: the x axis's maximum and minimum and the y axis's maximum. "Reset Scale" returns
/// to them.
struct HistogramHandOver
{
    double HistXHigh = 0.0;
    double HistXLow = 0.0;
    double HistYHigh = 0.0;

    friend bool operator==(const HistogramHandOver&, const HistogramHandOver&) = default;
};

/// The distribution of the live measurement, opened by a click on the panel's CWInt or CWDec.
class RealHistogram : public QWidget
{
    Q_OBJECT

public:
    explicit RealHistogram(QWidget* parent = nullptr);

    /// Plots `counts` over their class numbers (class k at x = k) with the level axis xLow .. xHigh
    /// (class numbers; an inverted range is turned round) and the axis format "0" (whole dB) or
    /// "*.1" (tenths), lets the count axis scale itself and returns what the graph reports.
    HistogramHandOver plotTable(std::span<const int> counts, bool tenths, int xLow, int xHigh);
    const HistogramHandOver& handOver() const { return m_handOver; }

    void Toolbar1_ButtonClick(const QString& key);
    void Combo1_Click();

    QToolBar* Toolbar1 = nullptr;
    HistogramModePanel* Picture1 = nullptr;
    Graph* CWGraph1 = nullptr;

private:
    void resetScale();
    void print();
    void applyPrintLayout(bool printing);

    HistogramHandOver m_handOver;
    QColor m_graphBackground;
    QString m_countTitle;
};

/// The description of mode list item 0..6 of RealHistogram.
QString realHistogramDescription(int item);

} // namespace kirv
