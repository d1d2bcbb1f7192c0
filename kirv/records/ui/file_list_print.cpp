// "Print" of the file views: the list, k records to a line, on the printer of the print dialog.

#include "kirv/records/ui/file_list.h"

#include "kirv/app/ui/dialogs.h"
#include "kirv/panel/ui/widgets.h"
#include "kirv/records/list_print.h"
#include "kirv/records/ui/busy.h"
#include "kirv/records/ui/file_list_timers.h"
#include "kirv/records/ui/print_job.h"

#include <QCloseEvent>
#include <QPrinter>

namespace kirv {

namespace {

constexpr const char* PerLineQuestion = "Input record(s) to print in one row (1-5)";

MessageSpec messageOf(const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon)
{
    MessageSpec request;
    request.text = text;
    request.icon = icon;
    return request;
}

} // namespace

void FileList::printList()
{
    if (m_printing)
        return;
    m_printing = true;
    printRun();
    m_printing = false;
    // A close asked for while the print ran was held back until now.
    if (m_closeAfterPrint)
        close();
}

void FileList::printRun()
{
    CaptionProgress caption(this);
    PanelTimersOff timers(m_panel, false);
    Dialogs& dialogs = Dialogs::instance();

    QPrinter printer;
    if (!dialogs.print(this, printer))
        return;
    dialogs.message(this, messageOf(printerNoteText()));
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1); // the copies are printed one after the other in the same job

    int perLine = 0;
    while (perLine == 0) {
        const QString answer = dialogs.input(this, QString::fromLatin1(PerLineQuestion),
                                             QString::fromLatin1(kAppTitle), QStringLiteral("1"));
        if (answer.isEmpty() || m_closeAfterPrint)
            return;
        perLine = recordsPerPrintLine(answer);
    }

    const ListPrintBoards boards{SSFreq->text(),   BoardCA->text(),    SSTW->text(),
                                 BoardSFI->text(), SSSR->text(),       BoardLevel->text(),
                                 SSMax->text(),    BoardMaxdB->text(), BoardMaxTime->text(),
                                 SSSEL->text(),    BoardSEL->text(),   SSLeq->text(),
                                 BoardLeq->text()};
    const ListPrintLayout layout(boards.items(), m_records.store(), perLine);
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
                if (m_closeAfterPrint) {
                    job.abort(); // the view is closing: the half-printed job is discarded
                    return;
                }
            }
        }
        if (!job.finish())
            failure = job.error();
    }
    if (!failure.isEmpty())
        dialogs.message(this, messageOf(QStringLiteral("Cannot print: %1").arg(failure),
                                        QMessageBox::Critical));
}

void FileList::closeEvent(QCloseEvent* event)
{
    if (m_printing) {
        m_closeAfterPrint = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace kirv
