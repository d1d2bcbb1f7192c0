// kirv-report: the report values of data files in batch, as text, CSV or JSON, with an optional
// PDF of one report page per file. Needs no display.
#include "report/report_batch.h"
#include "report/report_options.h"
#include "report/report_targets.h"
#include "kirv/output/analysis_format.h"
#include "kirv/output/compare_format.h"
#include "kirv/records/datafile.h"
#include "kirv/base/native_names.h"
#include "kirv/logger/evidence_check.h"
#include "kirv/output/page/report_page.h"
#include "kirv/base/replace_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <array>
#include <cmath>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <memory>

using namespace kirv;

namespace {

void printError(const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("kirv-report: %1\n").arg(text)), stderr);
}

// An output file is replaced only when all of it was written: its text is gathered and put in
// place whole at the end (replaceFile), so a failed run leaves an older file as it was and two
// runs on one file never interleave. Standard output is written as the text comes.
class Output
{
public:
    // An empty path is standard output, and so are "-" and "/dev/stdout": what the shell
    // opened there (a pipe, a terminal, a file) is written as it is, never replaced.
    explicit Output(const QString& path, CsvDialect dialect = CsvDialect::Comma)
        : m_path(isStandardOutput(path) ? QString() : path), m_dialect(dialect)
    {
        if (m_path.isEmpty())
            m_stdout.open(stdout, QIODevice::WriteOnly);
        else if (const FileStatus probe = probeTarget(path); !probe.ok())
            m_error = probe.error;
    }

    QString error() const { return m_error; }

    // Every piece written is whole CSV rows, so each is turned into the dialect on its own.
    void write(const QByteArray& piece)
    {
        if (!m_error.isEmpty() || piece.isEmpty())
            return;
        const QByteArray bytes = inCsvDialect(piece, m_dialect);
        if (!m_path.isEmpty())
            m_text.append(bytes);
        else if (m_stdout.write(bytes) != bytes.size())
            m_error = FileStatus::failure("write", QStringLiteral("standard output"), m_stdout.errorString()).error;
    }

    bool finish()
    {
        if (!m_error.isEmpty())
            return false;
        if (m_path.isEmpty()) {
            if (!m_stdout.flush())
                m_error = FileStatus::failure("write", QStringLiteral("standard output"), m_stdout.errorString()).error;
        } else {
            m_error = replaceFile(m_path, [this](QIODevice& out) {
                          return out.write(m_text) == m_text.size();
                      }).error;
        }
        return m_error.isEmpty();
    }

private:
    QString m_path;
    QFile m_stdout;
    QByteArray m_text;
    QString m_error;
    CsvDialect m_dialect;
};

// --compare A B: both reports (read at once), then the one table.
int runCompare(const ReportOptions& options, Output& out)
{
    std::array<FileReport, 2> reports;
    runReportBatch(options.files, options.jobs,
                   [request = reportRequestOf(options.analysis, options.periodMinutes, false)](
                       const QString& path) { return reportOf(path, request); },
                   [&](qsizetype index, FileReport&& report) {
                       reports[size_t(index)] = std::move(report);
                   });
    bool failed = false;
    for (const FileReport& report : reports) {
        for (const QString& warning : report.warnings)
            printError(warning);
        if (!report.ok()) {
            printError(report.error);
            return 1; // a table with one side missing says nothing
        }
        if (const QString& masks = report.values.analysis.masksError; !masks.isEmpty()) {
            printError(masks + QStringLiteral("; the masks are ignored"));
            failed = true;
        }
    }
    out.write(compareOutput(options.format,
                            compareTable(reports[0].values, reports[1].values, options.alignment)));
    if (!out.finish()) {
        printError(out.error());
        return 1;
    }
    return failed ? 1 : 0;
}

// --verify: each file against its manifest and raw image; "FILE: OK" on standard output for
// a file that matches, each difference on standard error.
int verify(const ReportOptions& options)
{
    bool failed = false;
    for (const QString& path : options.files) {
        const QStringList problems = verifyEvidence(path);
        for (const QString& problem : problems)
            printError(problem);
        if (problems.isEmpty())
            std::fputs(qPrintable(QStringLiteral("%1: OK\n").arg(shownName(path))), stdout);
        failed = failed || !problems.isEmpty();
    }
    return failed ? 1 : 0;
}

int run(const ReportOptions& options)
{
    if (options.verify)
        return verify(options);
    for (const QString& target : {options.output, options.periodCsv, options.analysis.eventsCsv,
                                  options.pdf})
        if (const FileStatus refused = dataFileTarget(target, options.force); !refused.ok()) {
            printError(refused.error);
            return 1;
        }
    const CsvDialect dialect = options.analysis.dialect;
    Output out(options.output,
               options.format == ReportFormat::Csv ? dialect : CsvDialect::Comma);
    if (options.compare) {
        if (!out.error().isEmpty()) {
            printError(out.error());
            return 1;
        }
        return runCompare(options, out);
    }
    std::unique_ptr<Output> periods;
    if (!options.periodCsv.isEmpty())
        periods = std::make_unique<Output>(options.periodCsv, dialect);
    std::unique_ptr<Output> events;
    if (!options.analysis.eventsCsv.isEmpty())
        events = std::make_unique<Output>(options.analysis.eventsCsv, dialect);
    std::unique_ptr<ReportPdf> pdf;
    if (!options.pdf.isEmpty())
        pdf = std::make_unique<ReportPdf>(options.pdf);
    for (const QString& error : {out.error(), periods ? periods->error() : QString(),
                                 events ? events->error() : QString(),
                                 pdf ? pdf->error() : QString()})
        if (!error.isEmpty()) {
            printError(error);
            return 1;
        }

    bool failed = false;
    bool first = true;
    out.write(reportHead(options.format));
    if (periods)
        periods->write(analysisPeriodsCsvHead(options.periodMinutes));
    if (events)
        events->write(analysisEventsCsvHead());
    const bool withSeries = pdf != nullptr;
    runReportBatch(options.files, options.jobs,
                   [request = reportRequestOf(options.analysis, options.periodMinutes,
                                              withSeries)](const QString& path) {
                       return reportOf(path, request);
                   },
                   [&](qsizetype, FileReport&& report) {
                       for (const QString& warning : report.warnings)
                           printError(warning);
                       if (!report.ok()) {
                           printError(report.error);
                           failed = true;
                           return;
                       }
                       const AnalysisValues& analysis = report.values.analysis;
                       // The figures are written, but with spans the user masked: the run
                       // has not done what was asked.
                       if (!analysis.masksError.isEmpty()) {
                           printError(analysis.masksError + QStringLiteral("; the masks are ignored"));
                           failed = true;
                       }
                       const ReportEvidence& evidence = report.values.evidence;
                       if (!evidence.detailsError.isEmpty()) {
                           printError(evidence.detailsError +
                                      QStringLiteral("; the session details are ignored"));
                           failed = true;
                       }
                       if (!evidence.sha256Error.isEmpty()) {
                           printError(evidence.sha256Error);
                           failed = true;
                       }
                       if (options.strict) {
                           const CalibrationCheck& check = evidence.calibration;
                           if (check.verdict == CalibrationCheck::Missing) {
                               printError(QStringLiteral("%1: the calibration check is missing "
                                                         "(no reading before or after)")
                                              .arg(shownName(report.values.file)));
                               failed = true;
                           } else if (check.verdict == CalibrationCheck::Failed) {
                               printError(QStringLiteral("%1: the calibration check failed: "
                                                         "drift %2 dB, tolerance %3 dB")
                                              .arg(shownName(report.values.file))
                                              .arg(QString::number(std::round(*check.driftDb * 1e6) / 1e6, 'g', 12))
                                              .arg(QString::number(check.toleranceDb, 'g', 6)));
                               failed = true;
                           }
                       }
                       if (!first)
                           out.write(reportSeparator(options.format));
                       first = false;
                       out.write(reportItem(options.format, report.values));
                       if (periods)
                           periods->write(analysisPeriodsCsvRows(report.values.file, analysis));
                       if (events)
                           events->write(analysisEventsCsvRows(report.values.file, analysis));
                       if (pdf)
                           pdf->addPage(report);
                   });
    out.write(reportTail(options.format));

    for (const bool ok : {out.finish(), periods ? periods->finish() : true,
                          events ? events->finish() : true, pdf ? pdf->finish() : true})
        failed = !ok || failed;
    for (const QString& error : {out.error(), periods ? periods->error() : QString(),
                                 events ? events->error() : QString(),
                                 pdf ? pdf->error() : QString()})
        if (!error.isEmpty())
            printError(error);
    return failed ? 1 : 0;
}

// The report page needs fonts, which come with the GUI application; nothing is shown, so the
// offscreen platform serves on any machine, with or without a display.
bool wantsPdf(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            break;
        if (argument == "--pdf" || argument.startsWith("--pdf="))
            return true;
    }
    return false;
}

// File names are taken as the system gives them, not as texts, so that a name that is not
// UTF-8 opens as it is.
int parseAndRun(int argc, char* argv[])
{
    const ParsedReportOptions parsed = parseReportOptions(nativeArguments(argc, argv));
    if (!parsed.options) {
        std::fputs(qPrintable(parsed.message), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    return run(*parsed.options);
}

} // namespace

int main(int argc, char* argv[])
{
#if defined(__GLIBC__)
    // A batch reads file after file of about the same size. Kept in the heap, the freed buffers
    // of one file serve the next; mapped and unmapped for each file, they cost a third of the
    // run in page faults (and unmaps that stop every worker thread).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
    if (wantsPdf(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return parseAndRun(argc, argv);
    }
    QCoreApplication app(argc, argv);
    return parseAndRun(argc, argv);
}
