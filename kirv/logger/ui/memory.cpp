#include "kirv/logger/ui/memory.h"

#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_state.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "kirv/widgets/placement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableView>

namespace kirv {

namespace {

QPointer<Memory> g_memory;

// The directory's titles, and the texts whose width sets each column's.
constexpr const char* DirectoryTitles[] = {"Set", "Sampling", "Records"};
constexpr const char* DirectoryWidthTexts[] = {" No.S ", " Sampling ", " Records "};

} // namespace

void SetDirectory::setSets(const logger::LoggerSets* sets)
{
    beginResetModel();
    m_sets = sets;
    endResetModel();
}

int SetDirectory::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_sets ? 0 : int(m_sets->count());
}

int SetDirectory::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant SetDirectory::data(const QModelIndex& index, int role) const
{
    if (!m_sets || !index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const qsizetype s = index.row() + 1;
    switch (index.column()) {
    case 0: return QString::number(s);
    case 1: return QString::number(m_sets->interval(s));
    case 2: return QString::number(m_sets->sets[s - 1].recordCount());
    }
    return {};
}

QVariant SetDirectory::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return QString::fromLatin1(DirectoryTitles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Memory::Memory(Panel& panel) : QWidget(nullptr), m_panel(panel)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(Caption));
    setObjectName(QStringLiteral("Memory"));

    SSPanel1 = new Board(QStringLiteral("Memory Size"), this);
    SSPanel2 = new Board(QStringLiteral("Remained"), this);
    LblSize = new QLabel(QStringLiteral("64 K"), this);
    LblRemain = new QLabel(this);
    LblMessage = new QLabel(this);
    for (QLabel* label : {LblSize, LblRemain, LblMessage})
        label->setAlignment(Qt::AlignCenter);
    captionValue(LblSize, SSPanel1->text());
    captionValue(LblRemain, SSPanel2->text());
    captionValue(LblMessage, QStringLiteral("Download"));
    LblMessage->setWordWrap(true);

    GridSet = new QTableView(this);
    GridSet->setObjectName(QStringLiteral("GridSet"));
    GridSet->setAccessibleName(QStringLiteral("Stored sets"));
    GridSet->setModel(&m_directory);
    GridSet->verticalHeader()->hide();
    GridSet->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridSet->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    GridSet->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridSet->setSelectionMode(QAbstractItemView::SingleSelection);
    GridSet->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridSet->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridSet->horizontalHeader()->setHighlightSections(false);
    GridSet->horizontalHeader()->setStretchLastSection(true);
    connect(GridSet, &QTableView::clicked, this, &Memory::GridSet_Click);
    connect(GridSet, &QTableView::activated, this, &Memory::GridSet_Click);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setHorizontalSpacing(8);
    layout->addWidget(SSPanel1, 0, 0);
    layout->addWidget(SSPanel2, 0, 1);
    layout->addWidget(LblSize, 1, 0);
    layout->addWidget(LblRemain, 1, 1);
    layout->addWidget(LblMessage, 2, 0, 1, 2);
    layout->addWidget(GridSet, 3, 0, 1, 2);
    layout->setRowStretch(3, 1);
    applyColumnWidths();
    resize(minimumSizeHint().width(), 340);

    // Beside the panel, top edges level.
    placeBeside(this, &panel);

    g_memory = this;
    loggerState().LoggerOpen = true;
}

Memory::~Memory()
{
    loggerState().LoggerOpen = false;
}

Memory* Memory::current()
{
    return g_memory && !g_memory->isClosing() ? g_memory.data() : nullptr;
}

void Memory::applyColumnWidths()
{
    const int margin = GridSet->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, GridSet) + 1;
    int total = 0;
    for (int c = 0; c < 3; ++c) {
        const int width = GridSet->fontMetrics().horizontalAdvance(
                              QString::fromLatin1(DirectoryWidthTexts[c]))
                          + 2 * margin;
        GridSet->setColumnWidth(c, width);
        total += width;
    }
    const int scrollBar = GridSet->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, GridSet);
    GridSet->setMinimumWidth(total + scrollBar + 2 * GridSet->frameWidth());
    GridSet->setMinimumHeight(8 * GridSet->verticalHeader()->defaultSectionSize());
}

void Memory::showMemory(const QString& size, const QString& remain)
{
    LblSize->setText(size);
    LblRemain->setText(remain);
}

void Memory::showProgress(qint64 received, qint64 total)
{
    const QString text = logger::completedText(received, total);
    if (text == m_progress)
        return;
    m_progress = text;
    LblMessage->setText(text);
}

void Memory::showSets(const logger::LoggerSets& sets)
{
    m_directory.setSets(&sets);
    const QString unread = logger::unreadText(sets.unreadBytes);
    if (!unread.isEmpty())
        LblMessage->setText(m_progress + QLatin1Char('\n') + unread);
}

void Memory::GridSet_Click(const QModelIndex& index)
{
    if (index.isValid())
        emit setChosen(index.row() + 1);
}

void Memory::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    loggerState().LoggerOpen = false;
    event->accept();
}

} // namespace kirv
