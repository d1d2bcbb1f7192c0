#pragma once

#include "kirv/records/datafile.h"

#include <QString>
#include <QStringList>

class QAction;
class QWidget;

namespace kirv {

/// The filter of the CSV save dialog, in the dialog service's form.
inline constexpr char CsvFilter[] = "CSV Files (*.csv)|*.csv|";

/// The critical message of a failed file command, under the program's title.
void showFileError(QWidget* parent, const QString& text);

/// "CSV" of a list window and "Export CSV" of the live list: the save dialog, then the records
/// as number, ISO time, level and mark. Cancel writes nothing; a failed write shows a message
/// that names the file and the reason, and an existing file keeps its content.
void exportRecordsCsvAsked(QWidget* parent, const RecordStore& records);

/// "Report" of a list window: the list's report page (one A4 page) through the print dialog, on
/// a printer or into a PDF. `name` is the file the list came from (its title for a downloaded
/// set or the live list); `headerLines` as a data file of `kind` holds them, line 1 first (the
/// interval is line 2). The report is computed with the program's own report cores.
void printReportAsked(QWidget* parent, const QString& name, DataFileKind kind,
                      const QStringList& headerLines, const RecordStore& records);

} // namespace kirv
