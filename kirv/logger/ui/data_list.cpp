#include "kirv/logger/ui/data_list.h"

#include "kirv/records/ui/details_window.h"

#include "kirv/stats/ui/analysis_windows.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/masked_figures.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/widgets/placement.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/toolbar_icons.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/file_manifest.h"
#include "kirv/records/filenames.h"
#include "kirv/widgets/busy.h"
#include "kirv/widgets/file_list_icons.h"
#include "kirv/records/ui/list_print_job.h"
#include "kirv/widgets/record_list_view.h"
#include "kirv/stats/ui/report_actions.h"
#include "kirv/base/civil_time.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace kirv {

namespace {

QPointer<DataList> g_dataList;

// Records decoded between two looks at the clock while the list fills.
constexpr qsizetype FillStep = 256;

} // namespace

DataList::DataList(Panel& panel) : QWidget(nullptr), m_panel(panel)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QString::fromLatin1(Caption));

    Toolbar1 = new QToolBar(QStringLiteral("Toolbar1"), this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setIconSize(QSize(24, 24));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const auto& [key, tip] : {std::pair{"Save", "Save As"}, std::pair{"Print", "Print"},
                                   std::pair{"Report", "Report"}, std::pair{"CSV", "Export CSV"},
                                   std::pair{"Periods", "Periods"}, std::pair{"Events", "Events"},
                                   std::pair{"Details", "Details of the saved set"}}) {
        // The panel's "Save" image; the file views' images for the others.
        const QString name = QString::fromLatin1(key);
        QAction* action = Toolbar1->addAction(
            name == QLatin1String("Save") ? toolbarIcon(name) : fileListIcon(name), name);
        action->setData(QString::fromLatin1(key));
        action->setObjectName(QString::fromLatin1(key));
        action->setToolTip(QString::fromLatin1(tip));
        if (QWidget* w = Toolbar1->widgetForAction(action)) {
            w->setAccessibleName(QString::fromLatin1(key));
            w->setAccessibleDescription(QString::fromLatin1(tip));
        }
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, &DataList::Toolbar1_ButtonClick);

    const auto pair = [this](Board*& caption, const char* captionText, Board*& value,
                             const char* placeholder) {
        caption = new Board(QString::fromLatin1(captionText), this);
        value = new Board(QString::fromLatin1(placeholder), this);
        captionValue(value, caption->text());
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
    };
    pair(SSFreq, "Freq Weight", BoardCA, "A");
    pair(SSTW, "Time Weight", BoardSFI, "Slow");
    pair(SSSR, "Level Range", BoardLevel, "80-140");
    pair(SSMax, "Max dB", BoardMaxdB, "138.8");
    pair(SSPeak, "Peak", BoardPeakdB, "133.9");
    pair(SS05, "L 05", Board05, "138.8");
    pair(SS10, "L 10", Board10, "138.8");
    pair(SS50, "L 50", Board50, "133.9");
    pair(SS90, "L 90", Board90, "133.9");
    pair(SS95, "L 95", Board95, "133.9");
    pair(SSLeq, "Leq", BoardLeq, "133.9");
    pair(SSSEL, "SEL", BoardSEL, "133.9");
    BoardMaxTime = new Board(QStringLiteral("2009/03/04 08:00:00"), this);
    captionValue(BoardMaxTime, QStringLiteral("Time of the maximum"));
    BoardPeakTime = new Board(QStringLiteral("2009/03/04 08:00:00"), this);
    captionValue(BoardPeakTime, QStringLiteral("Time of the peak"));

    // Boards: settings on top, maximum and peak with their times, then the levels. Four equal
    // columns; the times take two.
    auto* boards = new QGridLayout;
    boards->setHorizontalSpacing(6);
    boards->setVerticalSpacing(4);
    const auto place = [boards](int row, std::initializer_list<Board*> cells) {
        int column = 0;
        for (Board* b : cells)
            boards->addWidget(b, row, column++);
    };
    place(0, {SSFreq, SSTW});
    boards->addWidget(SSSR, 0, 2, 1, 2);
    place(1, {BoardCA, BoardSFI});
    boards->addWidget(BoardLevel, 1, 2, 1, 2);
    place(2, {SSMax, BoardMaxdB});
    boards->addWidget(BoardMaxTime, 2, 2, 1, 2);
    place(3, {SSPeak, BoardPeakdB});
    boards->addWidget(BoardPeakTime, 3, 2, 1, 2);
    place(4, {SSLeq, SSSEL, SS05, SS10});
    place(5, {BoardLeq, BoardSEL, Board05, Board10});
    place(6, {SS50, SS90, SS95});
    place(7, {Board50, Board90, Board95});
    boards->setRowStretch(8, 1);
    const int column = SSTW->fontMetrics().horizontalAdvance(QStringLiteral("Time Weight")) + 16;
    for (int c = 0; c < 4; ++c) {
        boards->setColumnMinimumWidth(c, column);
        boards->setColumnStretch(c, 1);
    }

    m_view = new RecordListView(this);
    m_view->setModel(&m_list);

    auto* body = new QHBoxLayout;
    body->setSpacing(10);
    body->addLayout(boards, 1);
    body->addWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 8);
    layout->addWidget(Toolbar1);
    layout->addLayout(body, 1);
    LblMasked = new MaskedFigures(this);
    layout->addWidget(LblMasked);
    resize(sizeHint().width(), 420);

    // Beside the panel, where the logger window opens too: its set list stays in view.
    const Memory* memory = Memory::current();
    placeBeside(this, &panel, memory && memory->isVisible() ? globalRect(memory->GridSet) : QRect());
    g_dataList = this;
}

DataList::~DataList() = default;

DataList* DataList::current()
{
    return g_dataList;
}

bool DataList::showSet(QByteArrayView set, int interval, int currentYear, int number)
{
    QPointer<DataList> self(this);
    // A start that is no date ends the opening before the first record: the list stays empty
    // and the boards keep their first texts, and the user hears which set and bytes were wrong.
    if (const QString problem = logger::startStampProblem(set, number, currentYear);
        !problem.isEmpty()) {
        showCritical(this, problem);
        return false;
    }
    const qsizetype n = logger::recordCountOf(set);
    const QByteArrayView startStamp = logger::setTimestamp(set, logger::StartStamp);
    const auto start = logger::timestampTime(startStamp, currentYear);
    const QString startText = logger::timestampText(startStamp, currentYear);

    // The caption counts the records in tenths of a percent; it changes when its text does, and
    // the window system is served every few tens of milliseconds, not after every record. (Not
    // CaptionProgress: a click on another set may delete this window while it fills.)
    const QString caption = windowTitle();
    Toolbar1->setEnabled(false); // no save or print of a half-filled list
    QString shown;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    RecordStore pending;
    for (qsizetype i = 0; i < n; i += FillStep) {
        const qsizetype count = std::min(FillStep, n - i);
        logger::appendSetRecords(set, i, count, start, startText, interval, pending);
        if (sinceEvents.elapsed() < EventIntervalMs && i + count < n)
            continue;
        m_list.append(std::move(pending));
        pending = RecordStore();
        const QString text = logger::completedText(i + count, n);
        if (text != shown) {
            shown = text;
            setWindowTitle(text);
        }
        QCoreApplication::processEvents();
        if (!self)
            return false;
        sinceEvents.restart();
    }
    setWindowTitle(caption);

    Toolbar1->setEnabled(true);
    const logger::SetBoards boards = logger::decodeSetBoards(set, currentYear);
    LoggerState& state = loggerState();
    state.StatHighClass = boards.maxLevel;
    state.StatLowClass = boards.fourthLevel;
    fillBoards(boards);
    return true;
}

void DataList::fillBoards(const logger::SetBoards& b)
{
    BoardCA->setText(b.freqWeight);
    BoardSFI->setText(b.timeWeight);
    BoardLevel->setText(b.range);
    BoardMaxTime->setText(b.maxTime);
    BoardMaxdB->setText(b.maxLevel);
    BoardPeakTime->setText(b.peakTime);
    BoardPeakdB->setText(b.peakLevel);
    Board05->setText(b.l05);
    Board10->setText(b.l10);
    Board50->setText(b.l50);
    Board90->setText(b.l90);
    Board95->setText(b.l95);
    BoardSEL->setText(b.sel);
    BoardLeq->setText(b.leq);
}

logger::SetBoards DataList::shownBoards() const
{
    logger::SetBoards b;
    b.freqWeight = BoardCA->text();
    b.timeWeight = BoardSFI->text();
    b.range = BoardLevel->text();
    b.maxTime = BoardMaxTime->text();
    b.maxLevel = BoardMaxdB->text();
    b.l05 = Board05->text();
    b.l10 = Board10->text();
    b.l50 = Board50->text();
    b.l90 = Board90->text();
    b.l95 = Board95->text();
    b.sel = BoardSEL->text();
    b.leq = BoardLeq->text();
    return b;
}

void DataList::Toolbar1_ButtonClick(QAction* button)
{
    const QString key = button->data().toString();
    if (key == QLatin1String("Save"))
        save();
    else if (key == QLatin1String("Print"))
        printList();
    else if (key == QLatin1String("Report"))
        printReportAsked(this, windowTitle(), DataFileKind::Logger,
                         logger::loggerHeaderOf(shownBoards(), loggerState().SetInterval).lines(),
                         m_list.store());
    else if (key == QLatin1String("CSV"))
        exportRecordsCsvAsked(this, m_list.store());
    else if (key == QLatin1String("Periods") || key == QLatin1String("Events")) {
        // A downloaded set has no file, so no sidecar: its analysis lives with the window.
        if (!FileAnalysis::of(this))
            LblMasked->follow(
                new FileAnalysis({}, seriesOf(m_list.store()), loggerState().SetInterval, this));
        showAnalysisWindow(this, key);
    } else if (key == QLatin1String("Details")) {
        // The details are kept beside a data file, so the set is saved first.
        if (m_savedPath.isEmpty())
            showMessage(this, QStringLiteral("Save the set first: its details are kept beside its data file."),
                        QMessageBox::Information);
        else
            DetailsWindow::open(m_savedPath, this);
    }
}

void DataList::printList()
{
    if (m_printing)
        return;
    m_printing = true;
    const ListPrintBoards boards{SSFreq->text(),   BoardCA->text(),    SSTW->text(),
                                 BoardSFI->text(), SSSR->text(),       BoardLevel->text(),
                                 SSMax->text(),    BoardMaxdB->text(), BoardMaxTime->text(),
                                 SSSEL->text(),    BoardSEL->text(),   SSLeq->text(),
                                 BoardLeq->text()};
    printRecordList(this, &m_panel, boards, m_list.store(), [this] { return m_closeAfterPrint; });
    m_printing = false;
    if (m_closeAfterPrint)
        close();
}

void DataList::closeEvent(QCloseEvent* event)
{
    if (m_printing) {
        m_closeAfterPrint = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void DataList::save()
{
    BusyCursor busy;
    const QString path = Dialogs::instance().saveFileName(this, QString::fromLatin1(DataFileFilter));
    if (path.isEmpty())
        return;
    const FileStatus status = writeDataFile(
        path, logger::loggerHeaderOf(shownBoards(), loggerState().SetInterval).lines(),
        m_list.store());
    if (!status.ok()) {
        showCritical(this, status.error);
        return;
    }
    // The file as the meter's memory held it: the raw image beside it and the SHA-256 of both,
    // so that the file can be shown later to be what the download gave.
    m_savedPath = path;
    const FileStatus kept = m_original && !m_original->dump.isEmpty()
                                ? logger::keepLoggerOriginal(path, *m_original)
                                : writeManifest(path);
    if (!kept.ok())
        showCritical(this, kept.error);
}

} // namespace kirv
