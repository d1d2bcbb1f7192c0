#include "report/report_options.h"

#include "report/report_targets.h"
#include "kirv/version.h"

#include <QCommandLineParser>

namespace kirv {

namespace {

const QCommandLineOption FormatOption({QStringLiteral("format")},
                                      QStringLiteral("Output form: text (default), csv or json."),
                                      QStringLiteral("text|csv|json"));
const QCommandLineOption PeriodOption(
    {QStringLiteral("period")},
    QStringLiteral("Length of the clock-aligned periods in minutes, 1 to 1440 (default 15)."),
    QStringLiteral("MINUTES"));
const QCommandLineOption PdfOption({QStringLiteral("pdf")},
                                   QStringLiteral("Also write the report page of every file, one "
                                                  "A4 page each (and a session record page for a "
                                                  "file with details or masks), to this PDF file."),
                                   QStringLiteral("OUT.pdf"));
const QCommandLineOption OutputOption({QStringLiteral("o"), QStringLiteral("output")},
                                      QStringLiteral("Write the report to FILE instead of "
                                                     "standard output."),
                                      QStringLiteral("FILE"));
const QCommandLineOption PeriodCsvOption(
    {QStringLiteral("period-csv")},
    QStringLiteral("Also write the period table as CSV: file, start, records and levels."),
    QStringLiteral("FILE"));
const QCommandLineOption JobsOption({QStringLiteral("jobs")},
                                    QStringLiteral("Files analysed at once (default: one per "
                                                   "processor core)."),
                                    QStringLiteral("N"));
const QCommandLineOption ForceOption({QStringLiteral("force")},
                                     QStringLiteral("Write an output over a file that is one of "
                                                    "the data files or reads as one."));
const QCommandLineOption CompareOption(
    {QStringLiteral("compare")},
    QStringLiteral("Compare two files, A and B: Leq, L10, L90 and Lmax of both and B - A, then "
                   "their periods side by side with the difference of their Leq."));
const QCommandLineOption AlignOption(
    {QStringLiteral("align")},
    QStringLiteral("How --compare pairs the periods: clock (the same start time, default) or "
                   "elapsed (the same time since each file's first period)."),
    QStringLiteral("clock|elapsed"));
const QCommandLineOption StrictOption(
    {QStringLiteral("strict")},
    QStringLiteral("Fail (exit status 1) for a file whose calibration check is missing or failed."));
const QCommandLineOption VerifyOption(
    {QStringLiteral("verify")},
    QStringLiteral("Check each file against its manifest (FILE.sha256) and, where a raw logger "
                   "image is kept, decode it again and compare it record for record; no report."));
const QCommandLineOption VersionOption({QStringLiteral("version")},
                                       QStringLiteral("Show the version and exit."));
const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help and exit."));

constexpr char Description[] =
    R"(Analyses sound level data files (.kirv: real-time, logger and plain list files) and
prints, per file, the values a noise report needs.

Levels are computed from the counted records, those not marked "*" and not empty;
marked records (the meter paused) are reported as paused, records without a level as
empty. T is the file's sampling interval (header line 2, a whole number of seconds
from 1 to 86400; otherwise 1 s, with a warning; 1 s for a plain list file). Every
level is truncated to 0.1 dB, as the windows show Leq.

  file, kind         the file and its kind: real-time, logger or plain
  interval           T in seconds
  records            all records; counted, paused, empty and unreadable split them
  start, end         the first and the last record's time
  leq, sel           energy-average level and sound exposure level
                     (sel = leq + 10 log10(counted x T))
  lmax, lmax_time    the highest level and the first time it was reached
  lmin               the lowest level
  exceedance         L(0)..L(99) by the 0.1 dB distribution: L(j) is the level
                     exceeded by about j % of the counted records
  l05 .. l95         L(5), L(10), L(50), L(90) and L(95)
  gaps, gap_seconds  places where consecutive records are more than 1.5 T apart,
                     and the time missing there
  periods            every clock-aligned period (08:00, 08:15, ... with --period 15)
                     that holds a counted record, with its levels (below)
  ld, le, ln, lden   day (07-19), evening (19-23) and night (23-07) levels over every
                     day of the file; lden weights the evening +5 dB and the
                     night +10 dB and needs all three
  coverage_day, coverage_evening, coverage_night
                     counted records x T over the length of that part of every
                     calendar day the file touches (0 to 1)
  empty              records without a level (left out of every level)
  complete           false when the reading stopped at a line that is not a record
  unread_lines       the lines from that one to the end of the file (also said on
                     standard error with the line number and what was found)
  unreadable         records whose level is no number ("nan", "1e309", a word): left
                     out of every level, and said on standard error
  sha256             the SHA-256 of the data file as read
  site .. session_notes
                     the session details of the file's sidecar (FILE.info): site,
                     operator, client, project, instrument, calibrator, weather
  calibration        the calibrator readings before (pre) and after (post) the
                     series, drift = post - pre, the tolerance (0.5 dB unless the
                     sidecar gives one) and the verdict: valid when |drift| is within
                     the tolerance, missing when a reading is not given
  notes              what happened on site, each a time and a text

A missing value is empty in text and CSV and null in JSON. The CSV output has one
header row and one row per file (without exceedance and periods). Files that cannot
be read (not a regular file, empty, not a data file) are reported on standard error;
the others are still analysed.

With --compare A B the output is one table instead: the Leq, L10, L90 and Lmax of
A and of B and how far B lies above A (b - a), then every period of either file
beside its partner in the other (paired by --align) with the difference of their
Leq. Each file's figures are its own report's.

Every output file is replaced whole once it is written, or left as it was. "-o -"
and "-o /dev/stdout" write to standard output as it is. An output is refused when it
is a device, a FIFO or a folder, when two outputs name one file, and, unless --force
is given, when it is one of the data files or reads as a data file.

With --verify no report is made: each file is checked against its manifest
FILE.sha256 (which the program writes when a recording stops or a downloaded set is
saved, and keeps up to date when it changes a sidecar), every sidecar beside it must
be listed, and a raw logger image (FILE.raw) is decoded again and compared with the
file record for record. "FILE: OK" is printed for a file that matches; every
difference is said on standard error.

Exit status: 0 when every file was analysed, 1 when a file could not be read, a masks
or session details sidecar could not be used, an output could not be written, a
file's calibration check is missing or failed (--strict) or a file does not match
its manifest (--verify), 2 on a bad command line.)";

void addReportOptions(QCommandLineParser& parser)
{
    parser.addOptions({FormatOption, PeriodOption, PdfOption, OutputOption, PeriodCsvOption,
                       JobsOption, ForceOption, CompareOption, AlignOption, StrictOption, VerifyOption,
                       VersionOption,
                       HelpOption});
    addAnalysisOptions(parser);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Data files to analyse."),
                                 QStringLiteral("FILE..."));
}

} // namespace

QString reportHelpText()
{
    QCommandLineParser parser;
    addReportOptions(parser);
    parser.setApplicationDescription(QString::fromLatin1(Description)
                                         .replace(QStringLiteral("\n\nA missing value"),
                                                  QLatin1Char('\n') + analysisHelpText() +
                                                      QStringLiteral("\nA missing value")));
    // The usage line names the program as it is installed, whatever path started it.
    const QString help = parser.helpText();
    return QStringLiteral("Usage: kirv-report [options] FILE...") + help.mid(help.indexOf('\n'));
}

ParsedReportOptions parseReportOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    addReportOptions(parser);
    auto bad = [](const QString& message) {
        return ParsedReportOptions{
            std::nullopt,
            QStringLiteral("kirv-report: %1\nTry 'kirv-report --help'.\n").arg(message), 2};
    };
    if (!parser.parse(arguments))
        return bad(parser.errorText());
    if (parser.isSet(HelpOption))
        return {std::nullopt, reportHelpText(), 0};
    if (parser.isSet(VersionOption))
        return {std::nullopt, QStringLiteral("kirv-report %1\n").arg(QLatin1String(VersionText)), 0};

    ReportOptions options;
    options.files = parser.positionalArguments();
    if (options.files.isEmpty())
        return bad(QStringLiteral("no data file given"));
    if (parser.isSet(FormatOption)) {
        const QString format = parser.value(FormatOption);
        if (format == QLatin1String("csv"))
            options.format = ReportFormat::Csv;
        else if (format == QLatin1String("json"))
            options.format = ReportFormat::Json;
        else if (format != QLatin1String("text"))
            return bad(QStringLiteral("unknown format \"%1\" (text, csv or json)").arg(format));
    }
    options.compare = parser.isSet(CompareOption);
    if (parser.isSet(AlignOption)) {
        const QString align = parser.value(AlignOption);
        if (align == QLatin1String("elapsed"))
            options.alignment = CompareAlignment::ElapsedTime;
        else if (align != QLatin1String("clock"))
            return bad(QStringLiteral("unknown alignment \"%1\" (clock or elapsed)").arg(align));
        if (!options.compare)
            return bad(QStringLiteral("--align goes with --compare"));
    }
    if (options.compare) {
        if (options.files.size() != 2)
            return bad(QStringLiteral("--compare needs two data files, A and B"));
        for (const QCommandLineOption* option : {&PdfOption, &PeriodCsvOption})
            if (parser.isSet(*option))
                return bad(QStringLiteral("--%1 does not go with --compare")
                               .arg(option->names().last()));
    }
    if (parser.isSet(PeriodOption)) {
        bool ok = false;
        options.periodMinutes = parser.value(PeriodOption).toInt(&ok);
        if (!ok || options.periodMinutes < 1 || options.periodMinutes > MaxPeriodMinutes)
            return bad(QStringLiteral("the period must be a whole number of minutes from 1 to %1")
                           .arg(MaxPeriodMinutes));
    }
    if (parser.isSet(JobsOption)) {
        bool ok = false;
        options.jobs = parser.value(JobsOption).toInt(&ok);
        if (!ok || options.jobs < 1)
            return bad(QStringLiteral("--jobs needs a whole number of at least 1"));
    }
    if (const std::optional<QString> error = readAnalysisOptions(parser, options.analysis))
        return bad(*error);
    if (options.compare && !options.analysis.eventsCsv.isEmpty())
        return bad(QStringLiteral("--events-csv does not go with --compare"));
    options.pdf = parser.value(PdfOption);
    options.output = parser.value(OutputOption);
    options.periodCsv = parser.value(PeriodCsvOption);
    for (const QCommandLineOption* option : {&PdfOption, &OutputOption, &PeriodCsvOption})
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return bad(QStringLiteral("--%1 needs a file name").arg(option->names().last()));
    options.force = parser.isSet(ForceOption);
    options.strict = parser.isSet(StrictOption);
    options.verify = parser.isSet(VerifyOption);
    if (options.verify && (parser.isSet(PdfOption) || parser.isSet(OutputOption)
                           || parser.isSet(PeriodCsvOption) || parser.isSet(FormatOption)
                           || options.strict))
        return bad(QStringLiteral("--verify makes no report: it takes no --format, -o, --pdf, "
                                  "--period-csv or --strict"));
    std::vector<ReportTarget> targets{
        {options.output.isEmpty() ? QStringLiteral("the report") : QStringLiteral("-o"),
         options.output}};
    if (!options.periodCsv.isEmpty())
        targets.push_back({QStringLiteral("--period-csv"), options.periodCsv});
    if (!options.analysis.eventsCsv.isEmpty())
        targets.push_back({QStringLiteral("--events-csv"), options.analysis.eventsCsv});
    if (!options.pdf.isEmpty())
        targets.push_back({QStringLiteral("--pdf"), options.pdf});
    if (const std::optional<QString> clash = outputClash(targets, options.files, options.force))
        return bad(*clash);
    return {options, {}, 0};
}

} // namespace kirv
