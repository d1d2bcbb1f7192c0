#pragma once

#include "kirv/output/report_format.h"
#include "kirv/stats/compare_table.h"
#include "report/report_analysis.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kirv {

/// The command line of kirv-report.
struct ReportOptions
{
    QStringList files;
    ReportFormat format = ReportFormat::Text;
    int periodMinutes = DefaultPeriodMinutes;
    QString pdf;       // --pdf OUT.pdf: the report page of every file, one page each
    QString output;    // -o FILE: instead of standard output (isStandardOutput())
    QString periodCsv; // --period-csv FILE
    int jobs = 0;      // --jobs N: files read at once; 0 takes every core
    bool force = false; // --force: an output may replace a data file
    bool strict = false; // --strict: a file whose calibration check is missing or failed fails
    bool verify = false; // --verify: check each file against its manifest instead of a report
    AnalysisOptions analysis; // masks, events, CSV dialect
    bool compare = false; // --compare A B: the two files' figures side by side
    CompareAlignment alignment = CompareAlignment::ClockTime; // --align clock|elapsed
};

/// Outcome of reading the command line: options to run, or a text to print and the exit status
/// (0 after --help, 2 for a bad command line).
struct ParsedReportOptions
{
    std::optional<ReportOptions> options;
    QString message;
    int exitStatus = 0;
};

/// Reads the arguments (program name first).
ParsedReportOptions parseReportOptions(const QStringList& arguments);

/// The text --help prints.
QString reportHelpText();

} // namespace kirv
