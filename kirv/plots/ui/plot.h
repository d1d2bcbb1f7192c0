#pragma once

#include "kirv/plots/ui/time_graph_window.h"

#include "kirv/plots/plot_series.h"

#include <array>

class QLineEdit;

namespace kirv {

class PlotCompare;
class PlotOverlays;

// "Plot": the levels of a saved file against their record numbers, with the meter's pauses
// marked. The company, sector and name boxes are for the user; they print with the window.
class Plot : public TimeGraphWindow
{
    Q_OBJECT

public:
    static constexpr const char* Caption = "Plot";
    static constexpr double LevelMin = PlotNoLevel;    // the y axis: 25..145 dB
    static constexpr double LevelMax = PlotOverLevel;

    explicit Plot(QWidget* parent = nullptr);

    // Replaces the plotted series (record i at x = i), sets the editors and axes to the whole
    // list and marks its pauses; the labels of an earlier plot go first.
    void showSeries(const PlotSeries& series);
    // Adds the caption `text` tied to the point of `record`, drawn at that record and `level`.
    void AddPlotLabel(qsizetype record, const QString& text, double level);

    QLabel* LblCompany = nullptr;
    QLabel* LblSector = nullptr;
    QLabel* LblName = nullptr;
    std::array<QLineEdit*, 3> TxtText{};
    std::array<QLabel*, 20> LblMessage{};
    /// Period levels, masked spans and events over the levels of an analysed list.
    PlotOverlays* Overlays = nullptr;
    /// "Compare with..." another open file: its levels, the difference and the figures' table.
    PlotCompare* Compare = nullptr;

    void CmdReset_Click() override;
    void CmdPrint_Click() override;

    /// Records of the series shown: "Reset Scale" shows 1..rows().
    qsizetype rows() const { return m_rows; }

protected:
    void cursorModeChanged(bool on) override;

private:
    qsizetype m_rows = 0;
};

} // namespace kirv
