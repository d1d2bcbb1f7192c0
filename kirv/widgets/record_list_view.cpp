#include "kirv/widgets/record_list_view.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

namespace kirv {

namespace {

constexpr std::array<const char*, RecordListView::ColumnCount> SampleTexts {
    "ABADEAA", "AAAAA/AA/AAHH:NN:SSA", "ABADEAAA"};

} // namespace

RecordListView::RecordListView(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ColumnCount; ++i) {
        auto* grid = new QTableView(this);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->horizontalHeader()->setHighlightSections(false);
        grid->horizontalHeader()->setSectionsClickable(false);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(i == 2 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setWordWrap(false);
        grid->setCornerButtonEnabled(false);
        grid->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this, i](int value) { follow(i, value); });
        layout->addWidget(grid);
        m_grids[std::size_t(i)] = grid;
    }
    layout->addStretch(1);
    applyWidths();
}

QTableView* RecordListView::gridN(int i) const
{
    return i >= 0 && i < ColumnCount ? m_grids[std::size_t(i)] : nullptr;
}

QString RecordListView::sampleText(int column)
{
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(SampleTexts[std::size_t(column)])
                                               : QString();
}

int RecordListView::columnWidth(int column) const
{
    const QTableView* grid = gridN(column);
    if (!grid)
        return 0;
    // A table cell keeps the focus frame margin plus one pixel free on each side of its text.
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return grid->fontMetrics().horizontalAdvance(sampleText(column)) + 2 * margin;
}

void RecordListView::applyWidths()
{
    for (int i = 0; i < ColumnCount; ++i) {
        QTableView* grid = m_grids[std::size_t(i)];
        const int cell = columnWidth(i);
        grid->horizontalHeader()->setDefaultSectionSize(cell);
        grid->setColumnWidth(i, cell);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        const int bar = i == 2 ? grid->verticalScrollBar()->sizeHint().width() : 0;
        grid->setFixedWidth(cell + 2 * grid->frameWidth() + bar);
    }
}

void RecordListView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        applyWidths();
    QWidget::changeEvent(event);
}

void RecordListView::setModel(QAbstractItemModel* model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    for (QTableView* grid : m_grids)
        grid->setModel(model);
    if (model) {
        // One selection for all three grids, so the current record is marked across the row.
        for (int i = 0; i < 2; ++i)
            m_grids[std::size_t(i)]->setSelectionModel(m_grids[2]->selectionModel());
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [this] { m_newestWasInView = newestInView(); });
        connect(model, &QAbstractItemModel::rowsInserted, this, &RecordListView::onRowsInserted);
        // A reset rebuilds the headers, which forgets which columns were hidden.
        connect(model, &QAbstractItemModel::modelReset, this, &RecordListView::showOwnColumns);
        connect(model, &QAbstractItemModel::columnsInserted, this, &RecordListView::showOwnColumns);
    }
    showOwnColumns();
}

QAbstractItemModel* RecordListView::model() const
{
    return m_model;
}

void RecordListView::showOwnColumns()
{
    const int columns = m_model ? m_model->columnCount() : 0;
    for (int i = 0; i < ColumnCount; ++i) {
        QTableView* grid = m_grids[std::size_t(i)];
        for (int c = 0; c < columns; ++c)
            grid->setColumnHidden(c, c != i);
    }
    applyWidths();
}

void RecordListView::follow(int column, int value)
{
    if (m_following)
        return;
    m_following = true;
    for (int i = 0; i < ColumnCount; ++i) {
        if (i == column)
            continue;
        QScrollBar* bar = m_grids[std::size_t(i)]->verticalScrollBar();
        // A grid whose layout is still pending has an old range: lay it out first.
        if (value > bar->maximum())
            m_grids[std::size_t(i)]->doItemsLayout();
        bar->setValue(value);
    }
    m_following = false;
    emit topRowChanged(value);
}

int RecordListView::topRow() const
{
    return m_grids[2]->verticalScrollBar()->value();
}

void RecordListView::setTopRow(int row)
{
    QTableView* grid = m_grids[2];
    if (row > grid->verticalScrollBar()->maximum())
        grid->doItemsLayout();
    grid->verticalScrollBar()->setValue(row);
}

void RecordListView::setKeepNewestInView(bool on)
{
    m_keepNewest = on;
    if (on)
        scrollToNewest();
}

void RecordListView::scrollToNewest()
{
    if (!m_model || m_model->rowCount() == 0)
        return;
    const QModelIndex last = m_model->index(m_model->rowCount() - 1, 2);
    m_grids[2]->selectionModel()->setCurrentIndex(
        last, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    for (QTableView* grid : m_grids)
        grid->scrollToBottom();
}

bool RecordListView::newestInView() const
{
    // The grids scroll by whole rows: at the end of the bar the last row is on screen.
    const QScrollBar* bar = m_grids[2]->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void RecordListView::onRowsInserted(const QModelIndex& parent, int, int last)
{
    if (m_keepNewest && m_newestWasInView && !parent.isValid() &&
        last == m_model->rowCount() - 1)
        scrollToNewest();
}

} // namespace kirv
