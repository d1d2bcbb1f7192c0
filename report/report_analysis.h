#pragma once

#include "kirv/output/csv_dialect.h"
#include "kirv/stats/level_events.h"
#include "kirv/stats/report_of.h"

#include <QString>

#include <optional>

class QCommandLineParser;

namespace kirv {

/// The options of kirv-report's analysis beyond the meter's values.
struct AnalysisOptions
{
    bool masks = true;               // --no-masks clears it
    std::optional<EventRule> events; // --events L:D[:H]
    QString eventsCsv;               // --events-csv FILE
    CsvDialect dialect = CsvDialect::Comma;
};

void addAnalysisOptions(QCommandLineParser& parser);
/// Reads the analysis options; the message for a bad command line, or nothing.
std::optional<QString> readAnalysisOptions(const QCommandLineParser& parser,
                                           AnalysisOptions& options);
/// The lines --help adds to the explanation of the values.
QString analysisHelpText();

/// The rule of "--events L:D[:H]" ("75:30", "75:30:3"), or nothing for another text. The levels
/// L and H are whole tenths of a dB; one that is not ("75.04") is refused and, when `notTenths`
/// is given, named there.
std::optional<EventRule> eventRuleOf(const QString& text, QString* notTenths = nullptr);

/// What a report of kirv-report's options asks reportOf() for.
ReportRequest reportRequestOf(const AnalysisOptions& options, int periodMinutes, bool withSeries);

} // namespace kirv
