#pragma once

namespace kirv {

struct PanelParts;

// The time plot commands on the main window: the clicks on the small time graphs open
// RealTimeGraph, and "Plot" in an opened file's view plots its records. Needs the file views
// attached first.
void attachPlotCommands(PanelParts& parts);

} // namespace kirv
