#pragma once

#include "kirv/records/recordlist.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QGroupBox;
class QPushButton;
class QToolBar;

namespace kirv {

class Board;
class MaskedFigures;
class Panel;
class RecordListView;

/// The file views: `FileList` shows a logger file, `FileListReal` a real-time or plain list
/// file. Both show the file's header values on labelled boards and its records in three grids
/// that scroll together; `FileListReal` is the same window without the five exceedance boards.
/// The toolbar plots the levels, offers the resolution choice for the level statistics, prints
/// the list, prints the report page and exports the records as CSV.
class FileList : public QMainWindow
{
    Q_OBJECT

public:
    enum class Kind
    {
        Logger,
        RealTime
    };

    static constexpr const char* LoggerCaption = "File List";
    static constexpr const char* RealTimeCaption = "File List Real";

    /// `panel` (may be null) is the main window whose timers a print switches off and on.
    FileList(Kind kind, Panel* panel, QWidget* parent = nullptr);
    ~FileList() override;

    Kind kind() const { return m_kind; }
    Panel* panel() const { return m_panel; }
    const RecordList& records() const { return m_records; }

    /// Puts header lines 3.. of a data file (headerLines[k - 1] is line k) on their boards; the
    /// boards of lines the file does not have keep their texts.
    void showHeader(const QStringList& headerLines);
    /// Takes the records read from the file.
    void setRecords(RecordStore&& records);
    /// Left edge at the main window's right edge, top edges level.
    void placeBeside(const QWidget* mainWindow);

    // --- controls --------------------------------------------------------------------------
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
    // The exceedance boards; null in FileListReal.
    Board* SS05 = nullptr;
    Board* SS10 = nullptr;
    Board* SS50 = nullptr;
    Board* SS90 = nullptr;
    Board* SS95 = nullptr;
    Board* Board05 = nullptr;
    Board* Board10 = nullptr;
    Board* Board50 = nullptr;
    Board* Board90 = nullptr;
    Board* Board95 = nullptr;
    Board* SSLeq = nullptr;
    Board* BoardLeq = nullptr;
    Board* SSSEL = nullptr;
    Board* BoardSEL = nullptr;
    RecordListView* GridN = nullptr;
    QWidget* PicResolution = nullptr;
    QGroupBox* SSFrame1 = nullptr;
    QPushButton* Cmd1dB = nullptr;
    QPushButton* Cmd01dB = nullptr;
    /// Under the grids: the figures without the masked spans, hidden while none are masked.
    MaskedFigures* LblMasked = nullptr;

    /// The header lines as read (line 1 first).
    const QStringList& headerLines() const { return m_headerLines; }

    /// Toolbar button by key ("Plot", "Ln", "Print", "Report", "CSV", "Periods", "Events",
    /// "Details").
    QAction* toolbarButton(const QString& key) const;

    // --- handlers --------------------------------------------------------------------------
    void Toolbar1_ButtonClick(QAction* button);
    void Cmd1dB_Click();
    void Cmd01dB_Click();
    /// "Print": the list on the printer chosen in the print dialog.
    void printList();
    bool printing() const { return m_printing; }

signals:
    /// "1 dB" (fine = false) or "0.1 dB" (fine = true) was chosen.
    void levelStatisticsRequested(bool fine);
    /// "Plot" was clicked; the plot's hand-over PlotRows holds the record count already.
    void plotRequested();
    /// "Periods" or "Events" was clicked: `key` names the analysis window asked for.
    void analysisRequested(const QString& key);
    /// "Details" was clicked: the session details of the view's file.
    void detailsRequested();

protected:
    /// Closing while a print runs stops the print (its job is discarded), then closes.
    void closeEvent(QCloseEvent* event) override;

private:
    void printRun();
    QWidget* buildBoards();
    QWidget* buildResolution(QWidget* parent);
    void buildToolbar();
    Board* boardForLine(int lineNumber) const;

    Kind m_kind;
    QPointer<Panel> m_panel;
    RecordList m_records;
    QStringList m_headerLines; // as read, for the report page
    bool m_printing = false;
    bool m_closeAfterPrint = false;
};

} // namespace kirv
