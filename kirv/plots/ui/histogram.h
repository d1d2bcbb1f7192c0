#pragma once

#include "kirv/stats/exceedance.h"

#include <QWidget>

class QLabel;
class QTableWidget;
class QToolBar;

namespace kirv {

class Graph;
class HistogramModePanel;

/// The distribution of a saved file with its exceedance table L(0)..L(99). The level statistics
/// command of the list windows closes and reopens it on every run.
class Histogram : public QWidget
{
    Q_OBJECT

public:
    explicit Histogram(QWidget* parent = nullptr);

    /// Plots the counts of `d` over the level classes lowClass .. highClass + 1 (each count at
    /// its own class), lets the count axis scale itself and returns its top. These three values
    /// are the ones "Reset" goes back to.
    double plotRun(const LevelDistribution& d, int lowClass, int highClass);
    /// Fills GridLn with L(0)..L(99) and says how many records were counted and left out.
    void showTable(const ExceedanceTable& table, qint64 leftOut);

    void Toolbar1_ButtonClick(const QString& key);
    void Combo1_Click();

    QToolBar* Toolbar1 = nullptr;
    HistogramModePanel* Picture1 = nullptr;
    Graph* CWG = nullptr;
    QTableWidget* GridLn = nullptr;
    QLabel* LblRecords = nullptr;

    /// The reset values of this window's run.
    int resetLowClass() const { return m_lowClass; }
    int resetHighClass() const { return m_highClass; }
    double resetYHigh() const { return m_yHigh; }

private:
    void resetScale();
    void print();

    int m_lowClass = 0;
    int m_highClass = 0;
    double m_yHigh = 1.0;
};

/// The description of mode list item 0..6 of Histogram.
QString histogramDescription(int item);

} // namespace kirv
