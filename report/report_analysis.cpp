#include "report/report_analysis.h"


#include <QCommandLineParser>

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

const QCommandLineOption NoMasksOption({QStringLiteral("no-masks")},
                                       QStringLiteral("Ignore the masked spans of each file's "
                                                      "sidecar (name.kirv.masks)."));
const QCommandLineOption EventsOption(
    {QStringLiteral("events")},
    QStringLiteral("List the events: the level reaches L dB, lasts at least D s and ends below "
                   "L - H dB (H 2 unless given). L and H in tenths of a dB."),
    QStringLiteral("L:D[:H]"));
const QCommandLineOption EventsCsvOption({QStringLiteral("events-csv")},
                                         QStringLiteral("Also write the events as CSV (needs "
                                                        "--events)."),
                                         QStringLiteral("FILE"));
const QCommandLineOption DialectOption(
    {QStringLiteral("csv-dialect")},
    QStringLiteral("comma (default), or semicolon: ';' separators and decimal commas."),
    QStringLiteral("comma|semicolon"));

} // namespace

void addAnalysisOptions(QCommandLineParser& parser)
{
    parser.addOptions({NoMasksOption, EventsOption, EventsCsvOption, DialectOption});
}

std::optional<EventRule> eventRuleOf(const QString& text, QString* notTenths)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    EventRule rule;
    double* fields[] = {&rule.limit, &rule.minSeconds, &rule.hysteresis};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        *fields[i] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(*fields[i]) || *fields[i] < 0.0 || *fields[i] > 1e9)
            return std::nullopt;
    }
    // Levels are compared in tenths of a dB, as the files store them; a limit between two
    // tenths would silently become one of them.
    for (const qsizetype i : {qsizetype(0), qsizetype(2)}) {
        if (i >= parts.size())
            continue;
        const double tenths = *fields[i] * 10.0;
        if (std::abs(tenths - std::round(tenths)) > 1e-6 * std::max(1.0, tenths)) {
            if (notTenths)
                *notTenths = parts[i];
            return std::nullopt;
        }
    }
    return rule;
}

std::optional<QString> readAnalysisOptions(const QCommandLineParser& parser,
                                           AnalysisOptions& options)
{
    options.masks = !parser.isSet(NoMasksOption);
    if (parser.isSet(EventsOption)) {
        QString notTenths;
        options.events = eventRuleOf(parser.value(EventsOption), &notTenths);
        if (!options.events && !notTenths.isEmpty())
            return QStringLiteral("--events: levels are in tenths of a dB, \"%1\" has more "
                                  "decimals (\"75.5:30\")")
                .arg(notTenths);
        if (!options.events)
            return QStringLiteral("--events needs L:D or L:D:H, numbers of at least 0 "
                                  "(\"75:30\")");
    }
    options.eventsCsv = parser.value(EventsCsvOption);
    if (parser.isSet(EventsCsvOption) && options.eventsCsv.isEmpty())
        return QStringLiteral("--events-csv needs a file name");
    if (!options.eventsCsv.isEmpty() && !options.events)
        return QStringLiteral("--events-csv needs --events");
    if (parser.isSet(DialectOption)) {
        const QString dialect = parser.value(DialectOption);
        if (dialect == QLatin1String("semicolon"))
            options.dialect = CsvDialect::Semicolon;
        else if (dialect != QLatin1String("comma"))
            return QStringLiteral("unknown CSV dialect \"%1\" (comma or semicolon)").arg(dialect);
    }
    return std::nullopt;
}

QString analysisHelpText()
{
    return QStringLiteral(
        R"(  lex8h              LEX,8h: the Leq over the counted time normalised to 8 hours
  dose_osha          daily noise dose in per cent, 90 dB criterion, 5 dB exchange,
                     levels below 80 dB left out
  dose_niosh         daily noise dose in per cent, 85 dB criterion, 3 dB exchange
  masked_spans       spans of the file's sidecar name.kirv.masks left out of every value
  masks_ignored      true when that sidecar could not be used (the run exits 1)
  events             with --events: start, end, seconds, lmax, lmax_time, leq, sel

Periods in JSON and in --period-csv carry start, records, leq, lmax, lmin, l10, l50,
l90, and with --period 1440 ld, le, ln, lden and their coverage per day. Times in CSV
and JSON are ISO 8601 with the local UTC offset (2026-03-04T08:30:05+01:00).
)");
}

ReportRequest reportRequestOf(const AnalysisOptions& options, int periodMinutes, bool withSeries)
{
    ReportRequest request;
    request.periodMinutes = periodMinutes;
    request.withSeries = withSeries;
    request.masks = options.masks;
    request.events = options.events;
    return request;
}

} // namespace kirv
