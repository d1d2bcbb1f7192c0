#pragma once

#include "kirv/base/filestatus.h"
#include "kirv/records/recordstore.h"

#include <QByteArray>

class QIODevice;

namespace kirv {

/// The header row of a record list exported as CSV.
inline constexpr char RecordsCsvHeader[] = "number,time,level,marked";

/// One record as a CSV row (CRLF): its number, its time in ISO form ("2024-06-01T08:00:00"; a
/// text that is no time stays as it is), the level without the mark ("93.4") and 1 for a marked
/// reading, 0 otherwise. Texts with a comma or a quote are quoted.
QByteArray recordsCsvRow(const RecordStore& records, qsizetype index);

/// Writes the header row and every record. False when the device refuses a write.
bool writeRecordsCsv(QIODevice& out, const RecordStore& records);

/// Writes the records to the CSV file `path`, replacing it only when all of it was written.
FileStatus exportRecordsCsv(const QString& path, const RecordStore& records);

} // namespace kirv
