#pragma once

#include "kirv/logger/logger_original.h"
#include "kirv/logger/logger_set.h"
#include "kirv/records/recordlist.h"

#include <QByteArrayView>
#include <QWidget>

class QAction;
class QToolBar;

namespace kirv {

class Board;
class MaskedFigures;
class Panel;
class RecordListView;

// One downloaded set, "Data List": its records and the statistics the meter stored with it.
// Opening another set closes this window and shows a new one, so two sets never mix.
class DataList : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char* Caption = "Data List";

    explicit DataList(Panel& panel);
    ~DataList() override;

    // The window of the running program, if open.
    static DataList* current();

    // Fills the list and the boards from a whole set (marker and trailer included), with the
    // caption showing "% Completed" meanwhile. Returns false when the window was closed while
    // it filled, or when set `number` could not be opened (a start stamp that is not a date,
    // said in a message; nothing is filled). `currentYear` gives the century of the stamps.
    bool showSet(QByteArrayView set, int interval, int currentYear, int number = 1);

    // The download the set on show came from: "Save" keeps it beside the data file as its raw
    // image, with the manifest of both. Without one only the manifest of the file is written.
    void setOriginal(const logger::LoggerOriginal& original) { m_original = original; }

    const RecordList& records() const { return m_list; }
    RecordListView* list() const { return m_view; }

    QToolBar* Toolbar1 = nullptr;
    Board* SSFreq = nullptr;
    Board* BoardCA = nullptr;
    Board* SSTW = nullptr;
    Board* BoardSFI = nullptr;
    Board* SSSR = nullptr;
    Board* BoardLevel = nullptr;
    Board* SSMax = nullptr;
    Board* BoardMaxdB = nullptr;
    Board* BoardMaxTime = nullptr;
    Board* SSPeak = nullptr;
    Board* BoardPeakdB = nullptr;
    Board* BoardPeakTime = nullptr;
    Board* SS05 = nullptr;
    Board* Board05 = nullptr;
    Board* SS10 = nullptr;
    Board* Board10 = nullptr;
    Board* SS50 = nullptr;
    Board* Board50 = nullptr;
    Board* SS90 = nullptr;
    Board* Board90 = nullptr;
    Board* SS95 = nullptr;
    Board* Board95 = nullptr;
    Board* SSLeq = nullptr;
    Board* BoardLeq = nullptr;
    Board* SSSEL = nullptr;
    Board* BoardSEL = nullptr;
    /// Under the list: the figures without the masked spans, hidden while none are masked.
    MaskedFigures* LblMasked = nullptr;

    void Toolbar1_ButtonClick(QAction* button);
    // "Save": the set as a logger data file, through the save dialog.
    void save();
    // "Print": the list with its boards, as the file views print theirs.
    void printList();
    bool printing() const { return m_printing; }

protected:
    // A close while the list prints waits until the print has ended (the job is discarded).
    void closeEvent(QCloseEvent* event) override;

private:
    void fillBoards(const logger::SetBoards& boards);
    logger::SetBoards shownBoards() const;

    Panel& m_panel;
    RecordList m_list;
    std::optional<logger::LoggerOriginal> m_original;
    QString m_savedPath; // the data file "Save" wrote last: "Details" edits its sidecar
    RecordListView* m_view = nullptr;
    bool m_printing = false;
    bool m_closeAfterPrint = false;
};

} // namespace kirv
