#include "kirv/stats/ui/report_actions.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/print_job.h"
#include "kirv/records/level_series.h"
#include "kirv/output/list_csv.h"
#include "kirv/stats/report_of.h"
#include "kirv/widgets/busy.h"
#include "kirv/output/page/report_page.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace kirv {

void showFileError(QWidget* parent, const QString& text)
{
    showMessage(parent, text, QMessageBox::Critical, QString::fromLatin1(AppTitle));
}

void exportRecordsCsvAsked(QWidget* parent, const RecordStore& records)
{
    const QString path = Dialogs::instance().saveFileName(parent, QString::fromLatin1(CsvFilter));
    if (path.isEmpty())
        return;
    FileStatus status;
    {
        BusyCursor busy;
        status = exportRecordsCsv(path, records);
    }
    if (!status.ok())
        showFileError(parent, status.error);
}

void printReportAsked(QWidget* parent, const QString& name, DataFileKind kind,
                      const QStringList& headerLines, const RecordStore& records)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("Report %1").arg(name));
    DataFileContent content;
    content.kind = kind;
    content.headerLines = headerLines;
    content.records = records;
    FileReport report;
    {
        BusyCursor busy;
        ReportRequest request;
        request.withSeries = true;
        request.masks = false; // the list as shown: the window holds no sidecar of its own
        report = reportOf(name, seriesOf(content), request);
    }

    // The page is drawn for the preview first, then again for the printer chosen there.
    Dialogs::instance().printPreview(parent, printer, [parent, &report](QPrinter* printer) {
        PrintTarget target(*printer); // a PDF file is written whole or not at all
        QPainter painter;
        if (!target.device() || !painter.begin(target.device())) {
            showFileError(parent, QStringLiteral("Cannot print the report: %1")
                                  .arg(target.device() ? QStringLiteral("the printer could not be opened.")
                                                       : target.error()));
            return;
        }
        drawReportPage(painter, QRectF(QPointF(0, 0), target.pageRect().size()), report);
        if (!painter.end()) {
            target.abort();
            showFileError(parent, QStringLiteral("Cannot print the report: the printer failed."));
        } else if (!target.finish()) {
            showFileError(parent, QStringLiteral("Cannot print the report: %1").arg(target.error()));
        }
    });
}

} // namespace kirv
