#pragma once

#include <QString>

namespace kirv {

// What the commands that open the large time graphs hand over to them: the list windows' "Plot"
// to Plot, the panel's small time graphs to RealTimeGraph.
struct GraphHandOver
{
    // Records of the list the last "Plot" command drew; Plot's "Reset Scale" shows 1..PlotRows.
    qsizetype PlotRows = 0;

    // The last click on a small time graph: its y range, the samples copied and the y title.
    double GraphYHigh = 0.0;
    double GraphYLow = 0.0;
    int GraphCount = 0;
    QString GraphTitle;
    // True while the click fills RealTimeGraph's range editors (their edits are not applied).
    bool GraphLoading = false;
};

// The program's one set of hand-over values.
GraphHandOver& graphHandOver();

} // namespace kirv
