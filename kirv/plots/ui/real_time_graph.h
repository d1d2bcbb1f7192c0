#pragma once

#include "kirv/plots/ui/time_graph_window.h"

#include <span>

namespace kirv {

// "Real Time Graph": one of the panel's live series (level, running Leq or running SEL) as it
// stood when its small graph was clicked. Filled from the hand-over values of that click.
class RealTimeGraph : public TimeGraphWindow
{
    Q_OBJECT

public:
    static constexpr const char* Caption = "Real Time Graph";

    explicit RealTimeGraph(QWidget* parent = nullptr);

    // Shows the hand-over values and plots `series` (sample 1 at x = 1): editors, y title,
    // LblUnit and both axis ranges from graphHandOver().
    void load(std::span<const double> series);

    void CmdReset_Click() override;
    void CmdPrint_Click() override;

protected:
    void cursorModeChanged(bool on) override;
    bool rangeEditsApply() const override;

private:
    void setPrintLayout(bool printing);

    QString m_yTitle; // kept while printing empties it
};

// Closes an open RealTimeGraph and opens a fresh one at the screen's top left corner, filled
// with `series` and the hand-over values.
RealTimeGraph* openRealTimeGraph(QWidget* parent, std::span<const double> series);

// The open RealTimeGraph, if any.
RealTimeGraph* realTimeGraphWindow();

} // namespace kirv
