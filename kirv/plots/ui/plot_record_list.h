#pragma once

#include <QtGlobal>

namespace kirv {

class Panel;
class Plot;
class RecordList;

// PlotRows: the number of records the last "Plot" handed over; Plot's "Reset Scale" shows
// 1..PlotRows. PlotRecordList sets it to the records it plots, so a caller need not set it first.
void setPlotRows(qsizetype rows);
qsizetype plotRows();

// Builds the time plot of `records` and shows it in the Plot window (the open one, else a new
// one beside the panel), the pauses marked. The panel's timers are off while the series is built
// and its caption counts the records done. Returns the window; nullptr when the list went away
// while building, or while another plot is still being built.
Plot* PlotRecordList(const RecordList& records, Panel* panel);

// The open Plot window, if any.
Plot* plotWindow();

} // namespace kirv
