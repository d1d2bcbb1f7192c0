#pragma once

#include "kirv/output/report_format.h"
#include "kirv/stats/compare_table.h"

#include <QByteArray>

namespace kirv {

/// The compare table in one of the report's forms: text for reading (the figures of both files
/// and their difference, then the periods side by side), CSV (one row per figure and per period,
/// CRLF line ends) or JSON (one object; a missing value is null). Times are as stored in text,
/// ISO 8601 with their UTC offset in CSV and JSON.
QByteArray compareOutput(ReportFormat format, const CompareTable& table);

} // namespace kirv
