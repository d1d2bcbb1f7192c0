// "Print" of the list windows: the list, k records to a line, on the printer of the print dialog.
#include "kirv/records/ui/list_print_job.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/busy.h"
#include "kirv/panel/ui/panel_timers.h"
#include "kirv/widgets/print_job.h"

#include <QPrinter>

namespace kirv {

namespace {

constexpr const char* PerLineQuestion = "Input record(s) to print in one row (1-5)";

} // namespace

void printRecordList(QWidget* window, Panel* panel, const ListPrintBoards& boards,
                     const RecordStore& records, const std::function<bool()>& closing)
{
    CaptionProgress caption(window);
    PanelTimersOff timers(panel, false);
    Dialogs& dialogs = Dialogs::instance();

    QPrinter printer;
    if (!dialogs.print(window, printer))
        return;
    showMessage(window, printerNoteText(), QMessageBox::NoIcon);
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1); // the copies are printed one after the other in the same job

    int perLine = 0;
    while (perLine == 0) {
        const QString answer = dialogs.input(window, QString::fromLatin1(PerLineQuestion),
                                             QString::fromLatin1(AppTitle), QStringLiteral("1"));
        if (answer.isEmpty() || closing())
            return;
        perLine = recordsPerPrintLine(answer);
    }

    const ListPrintLayout layout(boards.items(), records, perLine);
    QString failure;
    {
        BusyCursor busy; // while the lines go out, not over the dialogs
        LinePrinter job(printer);
        for (int copy = 0; copy < copies && job.isActive(); ++copy) {
            timers.stop();
            for (const QString& line : layout.leadLines())
                job.print(line);
            const qsizetype lines = layout.recordLineCount();
            for (qsizetype line = 0; line < lines && job.isActive(); ++line) {
                job.print(layout.recordLine(line));
                caption.show(QString::number(layout.firstRecordOf(line)) +
                                 QStringLiteral(" Completed"),
                             line + 1 == lines);
                if (closing()) {
                    job.abort(); // the view is closing: the half-printed job is discarded
                    return;
                }
            }
        }
        if (!job.finish())
            failure = job.error();
    }
    if (!failure.isEmpty())
        showPrintFailure(window, failure);
}

} // namespace kirv
