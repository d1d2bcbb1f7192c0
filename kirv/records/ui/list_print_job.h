#pragma once

#include "kirv/output/list_print.h"

#include <functional>

class QWidget;

namespace kirv {

class Panel;
class RecordStore;

// "Print" of a list window (a file view or a downloaded set): the print dialog, the printer
// note, the question of how many records go on one line, then the list with its boards, copy
// after copy, the caption counting the records and the panel's timers off meanwhile. A failed
// print says why. `closing` is asked after every line: when it says so, the job is discarded.
void printRecordList(QWidget* window, Panel* panel, const ListPrintBoards& boards,
                     const RecordStore& records, const std::function<bool()>& closing);

} // namespace kirv
