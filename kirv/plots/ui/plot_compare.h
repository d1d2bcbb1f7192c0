#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QCPGraph;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kirv {

class Graph;

/// What a compare plot shows of a second file, in the plot's own coordinates (the first file's
/// record axis): its levels, the difference of the period Leq (second minus first) and the
/// figures of both files as texts.
struct PlotComparison
{
    struct Row
    {
        QString label; // "Leq", "L10", "L90", "Lmax"
        QString a, b, difference;
    };

    QString nameA, nameB;
    std::vector<double> x, y; // the second file's levels; a not-a-number y breaks the line
    std::vector<double> differenceX, differenceY; // steps from each period's start
    std::vector<Row> rows;
};

/// The Plot window's comparison with another open file: "Compare with..." (a button and the
/// window's Ctrl+K), the alignment choice, the difference line's box and the table of both
/// files' figures under the graph. The levels of the second file are drawn in a colour of their
/// own, the difference on the right axis. The owner computes what is shown and hands it over.
class PlotCompare : public QObject
{
    Q_OBJECT

public:
    enum Alignment
    {
        ClockTime,
        ElapsedTime
    };

    PlotCompare(Graph& graph, QWidget* window);

    /// The controls and the table, for the window to place; controls() is hidden in print.
    QGroupBox* panel() const { return m_panel; }
    QWidget* controls() const { return m_controls; }

    QAction* ActCompare = nullptr;
    QPushButton* CmdCompare = nullptr;
    QComboBox* CboAlign = nullptr;
    QCheckBox* ChkDifference = nullptr;
    QPushButton* CmdEndCompare = nullptr;
    QTableWidget* GridCompare = nullptr;
    QLabel* LblCompare = nullptr;

    Alignment alignment() const;
    bool comparing() const { return m_comparing; }

    /// Whether another file is open to compare with; "Compare with..." is off (and says why)
    /// while none is.
    void setAvailable(bool available);
    /// Draws the comparison (a new one, or the same files after a change).
    void show(const PlotComparison& comparison);
    /// Takes the second file's lines and the table away.
    void end();

    /// The x span of the second file's levels, while one is shown.
    std::optional<std::pair<double, double>> span() const;

    QCPGraph* levelsGraph() const { return m_levels; }
    QCPGraph* differenceGraph() const { return m_difference; }

signals:
    /// "Compare with..." was chosen.
    void compareAsked();
    /// The alignment was changed while comparing.
    void alignmentChanged();
    /// "End Compare", or the second file went away.
    void ended();

private:
    void showDifference();

    Graph& m_graph;
    QGroupBox* m_panel = nullptr;
    QWidget* m_controls = nullptr;
    QCPGraph* m_levels = nullptr;
    QCPGraph* m_difference = nullptr;
    bool m_comparing = false;
    std::optional<std::pair<double, double>> m_span;
};

} // namespace kirv
