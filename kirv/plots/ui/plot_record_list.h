#pragma once

#include <QtGlobal>

class QWidget;

namespace kirv {

class Panel;
class Plot;
class RecordList;

// PlotRows: the number of records the last "Plot" handed over; Plot's "Reset Scale" shows
// 1..PlotRows. PlotRecordList sets it to the records it plots, so a caller need not set it first.
void setPlotRows(qsizetype rows);
qsizetype plotRows();

// Builds the time plot of `records` and shows it in a Plot window, the pauses marked. With an
// `owner` (the list's window) the plot is that window's own: the one it has open, else a new one
// beside it that closes with it. Without one, the one Plot window of lists that have no window
// (the open one, else a new one beside the panel). The panel's timers are off while the series
// is built and its caption counts the records done. Returns the window; nullptr when the list
// or its owner went away while building, or while another plot is still being built.
Plot* PlotRecordList(const RecordList& records, Panel* panel, QWidget* owner = nullptr);

// The Plot window `owner` has open, if any.
Plot* plotOf(const QWidget* owner);

// The Plot window shown last, if it is still open.
Plot* plotWindow();

} // namespace kirv
