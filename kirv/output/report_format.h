#pragma once

#include "kirv/stats/report_values.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace kirv {

/// The output forms of the report values. Every form is UTF-8; CSV rows end in CRLF, as a
/// spreadsheet expects, the other forms in LF.
enum class ReportFormat
{
    Text,
    Csv,
    Json
};

/// The scalar keys in report order: the CSV header row and the order of the JSON keys around
/// `exceedance` and `periods`.
QStringList reportScalarKeys();

/// The CSV columns after the scalar ones: the data file's SHA-256, the session details, the
/// calibration check and the timeline notes in one cell.
QStringList reportEvidenceKeys();

/// One block of "key: value" lines per file, the L(0)..L(99) table ten to a line and the
/// periods one to a line, then with the analysis the masked spans count and the events one to a
/// line; blocks are separated by an empty line.
QByteArray reportText(const QList<ReportValues>& reports);
/// The header row and one row per file; an empty value stands for a missing one.
QByteArray reportCsv(const QList<ReportValues>& reports);
/// A JSON array of one flat object per file; a missing value is null.
QByteArray reportJson(const QList<ReportValues>& reports);

/// The same forms piece by piece, for a writer that streams a batch: the part before the first
/// file, one file, the part between files and the part after the last one.
QByteArray reportHead(ReportFormat format);
QByteArray reportItem(ReportFormat format, const ReportValues& report);
QByteArray reportSeparator(ReportFormat format);
QByteArray reportTail(ReportFormat format);


/// A period's start as the machine forms write it: ISO 8601 with its UTC offset (the stored
/// text when it is no civil time).
QString isoStart(const PeriodLevel& p);

/// A level as the report shows it: one decimal ("93.4"), or empty when missing.
QString reportLevelText(const std::optional<double>& level);

} // namespace kirv
