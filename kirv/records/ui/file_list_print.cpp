// "Print" of the file views: the list, k records to a line, on the printer of the print dialog.

#include "kirv/records/ui/file_list.h"

#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/ui/list_print_job.h"

#include <QCloseEvent>

namespace kirv {

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
    const ListPrintBoards boards{SSFreq->text(),   BoardCA->text(),    SSTW->text(),
                                 BoardSFI->text(), SSSR->text(),       BoardLevel->text(),
                                 SSMax->text(),    BoardMaxdB->text(), BoardMaxTime->text(),
                                 SSSEL->text(),    BoardSEL->text(),   SSLeq->text(),
                                 BoardLeq->text()};
    printRecordList(this, m_panel, boards, m_records.store(), [this] { return m_closeAfterPrint; });
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
