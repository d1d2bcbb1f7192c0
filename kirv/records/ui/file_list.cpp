#include "kirv/records/ui/file_list.h"

#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/widgets/file_list_icons.h"
#include "kirv/stats/ui/masked_figures.h"
#include "kirv/widgets/record_list_view.h"
#include "kirv/stats/ui/report_actions.h"
#include "kirv/widgets/placement.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace kirv {

namespace {

struct ToolbarKey
{
    const char* key;
    const char* tip;
};

// A caption panel: raised, where the value boards are sunken.
Board* captionBoard(const char* name, const char* text, QWidget* parent)
{
    auto* board = new Board(QString::fromLatin1(text), parent);
    board->setObjectName(QString::fromLatin1(name));
    board->setFrameStyle(QFrame::Panel | QFrame::Raised);
    board->setMinimumWidth(board->fontMetrics().horizontalAdvance(QStringLiteral("Level Range")) +
                           16);
    return board;
}

Board* valueBoard(const char* name, const char* text, const Board* caption, QWidget* parent)
{
    auto* board = new Board(QString::fromLatin1(text), parent);
    board->setObjectName(QString::fromLatin1(name));
    captionValue(board, caption->text());
    board->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return board;
}

} // namespace

FileList::FileList(Kind kind, Panel* panel, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_kind(kind), m_panel(panel)
{
    const bool logger = kind == Kind::Logger;
    setObjectName(logger ? QStringLiteral("FileList") : QStringLiteral("FileListReal"));
    setWindowTitle(QString::fromLatin1(logger ? LoggerCaption : RealTimeCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    buildToolbar();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(8);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    GridN = new RecordListView(central);
    GridN->setObjectName(QStringLiteral("GridN"));
    GridN->setModel(&m_records);
    row->addWidget(GridN);
    row->addWidget(buildBoards(), 0, Qt::AlignTop);
    row->addStretch(1);
    column->addLayout(row, 1);
    LblMasked = new MaskedFigures(central);
    column->addWidget(LblMasked);
    setCentralWidget(central);
    resize(sizeHint().width(), logger ? 560 : 470);
}

FileList::~FileList() = default;

void FileList::buildToolbar()
{
    const bool logger = m_kind == Kind::Logger;
    const ToolbarKey keys[] = {{"Plot", logger ? "Plot" : "Graphic Plot"},
                               {"Ln", "Histogram"},
                               {"Print", "Print"},
                               {"Report", "Report"},
                               {"CSV", "Export CSV"},
                               {"Periods", "Periods"},
                               {"Events", "Events"},
                               {"Details", "Details"}};
    Toolbar1 = new QToolBar(QStringLiteral("Toolbar1"), this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    for (const ToolbarKey& k : keys) {
        const QString key = QString::fromLatin1(k.key);
        const QString tip = QString::fromLatin1(k.tip);
        QAction* action = Toolbar1->addAction(fileListIcon(key), tip);
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(tip);
        if (QWidget* button = Toolbar1->widgetForAction(action)) {
            button->setAccessibleName(tip);
            button->setAccessibleDescription(tip);
        }
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, &FileList::Toolbar1_ButtonClick);
    addToolBar(Qt::TopToolBarArea, Toolbar1);
}

QWidget* FileList::buildBoards()
{
    auto* column = new QWidget(this);
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(10);

    auto* boards = new QWidget(column);
    auto* grid = new QGridLayout(boards);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    int row = 0;
    const auto pair = [&](Board*& caption, const char* captionName, const char* captionText,
                          Board*& value, const char* valueName, const char* valueText) {
        caption = captionBoard(captionName, captionText, boards);
        value = valueBoard(valueName, valueText, caption, boards);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        ++row;
    };
    pair(SSFreq, "SSFreq", "Freq Weight", BoardCA, "BoardCA", "A");
    pair(SSTW, "SSTW", "Time Weight", BoardSFI, "BoardSFI", "Slow");
    pair(SSSR, "SSSR", "Level Range", BoardLevel, "BoardLevel", "80-140");
    pair(SSMax, "SSMax", "Max dB", BoardMaxdB, "BoardMaxdB", "138.8");
    BoardMaxTime = valueBoard("BoardMaxTime", "2009/03/04 08:00:00", SSMax, boards);
    BoardMaxTime->setMinimumWidth(
        BoardMaxTime->fontMetrics().horizontalAdvance(BoardMaxTime->text()) + 16);
    grid->addWidget(BoardMaxTime, row++, 1);
    if (m_kind == Kind::Logger) {
        grid->setRowMinimumHeight(row++, 6);
        pair(SS05, "SS05", "L 05", Board05, "Board05", "138.8");
        pair(SS10, "SS10", "L 10", Board10, "Board10", "138.8");
        pair(SS50, "SS50", "L 50", Board50, "Board50", "133.9");
        pair(SS90, "SS90", "L 90", Board90, "Board90", "133.9");
        pair(SS95, "SS95", "L 95", Board95, "Board95", "133.9");
    }
    grid->setRowMinimumHeight(row++, 6);
    pair(SSLeq, "SSLeq", "Leq", BoardLeq, "BoardLeq", "133.9");
    pair(SSSEL, "SSSEL", "SEL", BoardSEL, "BoardSEL", "133.9");
    v->addWidget(boards);
    v->addWidget(buildResolution(column));
    return column;
}

QWidget* FileList::buildResolution(QWidget* parent)
{
    PicResolution = new QWidget(parent);
    PicResolution->setObjectName(QStringLiteral("PicResolution"));
    auto* outer = new QVBoxLayout(PicResolution);
    outer->setContentsMargins(0, 0, 0, 0);
    SSFrame1 = new QGroupBox(QStringLiteral("Resolution"), PicResolution);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    auto* buttons = new QHBoxLayout(SSFrame1);
    Cmd1dB = new QPushButton(QStringLiteral("1 dB"), SSFrame1);
    Cmd1dB->setObjectName(QStringLiteral("Cmd1dB"));
    Cmd01dB = new QPushButton(QStringLiteral("0.1 dB"), SSFrame1);
    Cmd01dB->setObjectName(QStringLiteral("Cmd01dB"));
    for (QPushButton* button : {Cmd1dB, Cmd01dB}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    outer->addWidget(SSFrame1);
    connect(Cmd1dB, &QPushButton::clicked, this, &FileList::Cmd1dB_Click);
    connect(Cmd01dB, &QPushButton::clicked, this, &FileList::Cmd01dB_Click);
    PicResolution->hide();
    return PicResolution;
}

QAction* FileList::toolbarButton(const QString& key) const
{
    return Toolbar1->findChild<QAction*>(key, Qt::FindDirectChildrenOnly);
}

Board* FileList::boardForLine(int lineNumber) const
{
    // Lines 3..5 are the same in both kinds of file.
    switch (lineNumber) {
    case RealTimeFreqWeightLine:
        return BoardCA;
    case RealTimeTimeWeightLine:
        return BoardSFI;
    case RealTimeRangeLine:
        return BoardLevel;
    default:
        break;
    }
    if (m_kind == Kind::RealTime) {
        switch (lineNumber) {
        case RealTimeMaxLevelLine:
            return BoardMaxdB;
        case RealTimeMaxTimeLine:
            return BoardMaxTime;
        case RealTimeSelLine:
            return BoardSEL;
        case RealTimeLeqLine:
            return BoardLeq;
        default:
            return nullptr;
        }
    }
    switch (lineNumber) {
    case LoggerL05Line:
        return Board05;
    case LoggerL10Line:
        return Board10;
    case LoggerL50Line:
        return Board50;
    case LoggerL90Line:
        return Board90;
    case LoggerL95Line:
        return Board95;
    case LoggerMaxLevelLine:
        return BoardMaxdB;
    case LoggerMaxTimeLine:
        return BoardMaxTime;
    case LoggerSelLine:
        return BoardSEL;
    case LoggerLeqLine:
        return BoardLeq;
    default:
        return nullptr;
    }
}

void FileList::showHeader(const QStringList& headerLines)
{
    m_headerLines = headerLines;
    for (int line = RealTimeFreqWeightLine; line <= int(headerLines.size()); ++line) {
        if (Board* board = boardForLine(line))
            board->setText(headerLines[line - 1]);
    }
}

void FileList::setRecords(RecordStore&& records)
{
    m_records.clear();
    m_records.append(std::move(records));
}

void FileList::placeBeside(const QWidget* mainWindow)
{
    if (!mainWindow)
        return;
    kirv::placeBeside(this, mainWindow);
}

void FileList::Toolbar1_ButtonClick(QAction* button)
{
    PicResolution->hide();
    const QString key = button ? button->data().toString() : QString();
    if (key == QLatin1String("Plot")) {
        setPlotRows(m_records.count());
        emit plotRequested();
    } else if (key == QLatin1String("Ln")) {
        PicResolution->show();
    } else if (key == QLatin1String("Print")) {
        printList();
    } else if (key == QLatin1String("Report")) {
        // A real-time view holds a plain list file when the file had no header.
        const DataFileKind kind = m_kind == Kind::Logger ? DataFileKind::Logger
                                  : m_headerLines.isEmpty() ? DataFileKind::PlainList
                                                            : DataFileKind::RealTime;
        const FileAnalysis* analysis = FileAnalysis::of(this);
        printReportAsked(this, windowTitle(), kind, m_headerLines,
                         analysis && analysis->masked()
                             ? analysis->unmaskedRecords(m_records.store())
                             : m_records.store());
    } else if (key == QLatin1String("CSV")) {
        exportRecordsCsvAsked(this, m_records.store());
    } else if (key == QLatin1String("Periods") || key == QLatin1String("Events")) {
        emit analysisRequested(key);
    } else if (key == QLatin1String("Details")) {
        emit detailsRequested();
    }
}

void FileList::Cmd1dB_Click()
{
    emit levelStatisticsRequested(false);
}

void FileList::Cmd01dB_Click()
{
    emit levelStatisticsRequested(true);
}

} // namespace kirv
