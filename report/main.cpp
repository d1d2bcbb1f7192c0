// kirv-report: the report values of data files in batch, as text, CSV or JSON, with an optional
// PDF of one report page per file. Needs no display.
#include "report/report_batch.h"
#include "report/report_options.h"
#include "kirv/records/analysis_format.h"
#include "kirv/report/report_page.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

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

// An output file is replaced only when all of it was written.
class Output
{
public:
    // An empty path is standard output.
    explicit Output(const QString& path, CsvDialect dialect = CsvDialect::Comma)
        : m_dialect(dialect)
    {
        if (path.isEmpty()) {
            m_device = std::make_unique<QFile>();
            static_cast<QFile*>(m_device.get())->open(stdout, QIODevice::WriteOnly);
        } else {
            auto file = std::make_unique<QSaveFile>(path);
            if (!file->open(QIODevice::WriteOnly))
                m_error = QStringLiteral("Cannot create %1: %2").arg(path, file->errorString());
            m_device = std::move(file);
        }
    }

    bool isOpen() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // Every piece written is whole CSV rows, so each is turned into the dialect on its own.
    void write(const QByteArray& piece)
    {
        const QByteArray bytes = inCsvDialect(piece, m_dialect);
        if (m_error.isEmpty() && !bytes.isEmpty() && m_device->write(bytes) != bytes.size())
            m_error = QStringLiteral("Cannot write %1: %2").arg(name(), m_device->errorString());
    }

    bool finish()
    {
        if (auto* file = qobject_cast<QSaveFile*>(m_device.get())) {
            if (m_error.isEmpty() && !file->commit())
                m_error = QStringLiteral("Cannot write %1: %2").arg(name(), file->errorString());
        } else if (m_error.isEmpty() && !static_cast<QFile*>(m_device.get())->flush()) {
            m_error = QStringLiteral("Cannot write %1").arg(name());
        }
        return m_error.isEmpty();
    }

private:
    QString name() const
    {
        auto* file = qobject_cast<QSaveFile*>(m_device.get());
        return file ? file->fileName() : QStringLiteral("standard output");
    }

    std::unique_ptr<QIODevice> m_device;
    QString m_error;
    CsvDialect m_dialect;
};

int run(const ReportOptions& options)
{
    const CsvDialect dialect = options.analysis.dialect;
    Output out(options.output,
               options.format == ReportFormat::Csv ? dialect : CsvDialect::Comma);
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
                   [&options, withSeries](const QString& path) {
                       return analysedReportFile(path, options.periodMinutes, withSeries,
                                                 options.analysis);
                   },
                   [&](qsizetype, FileReport&& report) {
                       if (!report.ok()) {
                           printError(report.error);
                           failed = true;
                           return;
                       }
                       const AnalysisValues& analysis = report.values.analysis;
                       if (!analysis.masksError.isEmpty())
                           printError(analysis.masksError + QStringLiteral("; the masks are ignored"));
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

int parseAndRun()
{
    const ParsedReportOptions parsed = parseReportOptions(QCoreApplication::arguments());
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
        return parseAndRun();
    }
    QCoreApplication app(argc, argv);
    return parseAndRun();
}
