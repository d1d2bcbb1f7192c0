#pragma once

#include "kirv/stats/exceedance.h"

#include <QPointer>
#include <QStringList>

class QWidget;

namespace kirv {

class Histogram;
class Panel;
class RecordList;

/// The results of the last level statistics run of any list window, kept until the next run.
struct LevelStatisticsResults
{
    /// L(0)..L(99) as shown; all empty before the first run and when nothing was counted.
    QStringList LnTable = QStringList(ExceedanceTable::Entries);
    /// N: the records counted (marked records are left out).
    qint64 StatRecordCount = 0;
    /// Marked records ("*") of the list, not counted.
    qint64 StatLeftOut = 0;
    /// Lowest and highest non-empty class from class 1 up (0 when there is none).
    int StatLowClass = 0;
    int StatHighClass = 0;
    /// Top of the Histogram's count axis after plotting.
    double StatYHigh = 0.0;
    Resolution resolution = Resolution::Fine;
    /// The Histogram window of the last run, while it is open.
    QPointer<Histogram> histogram;
};

LevelStatisticsResults& levelStatistics();

/// The "0.1 dB" (`fine`) and "1 dB" commands of the list windows: counts the level column of
/// `records`, shows the progress in the caption of `listWindow`, closes that window's Histogram
/// and opens a new one of its own (it closes with the list) with the distribution and the
/// table, hides the window's `PicResolution` and stores the results. The panel's timers are off
/// for the run when `panel` is given.
void showLevelStatistics(QWidget* listWindow, const RecordList& records, bool fine, Panel* panel);

} // namespace kirv
