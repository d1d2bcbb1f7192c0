#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

class QAbstractItemModel;
class QModelIndex;
class QTableView;

namespace kirv {

/// A record list shown as three single-column grids side by side over one model with the
/// columns "No.s", "Date Time" and "dB" (the model's header data are the titles).
///
/// The grids scroll together: only the "dB" grid shows a vertical scroll bar, and scrolling
/// any of them (wheel, keys, bar) moves the others to the same top row. Each grid is as wide
/// as its sample text in the current font, so the layout follows the window's font.
class RecordListView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 3;

    explicit RecordListView(QWidget* parent = nullptr);

    /// Shows `model` (not owned); nullptr empties the view.
    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const;

    /// The grid of column i (0 "No.s", 1 "Date Time", 2 "dB"); nullptr outside 0..2.
    QTableView* gridN(int i) const;

    /// The text whose printed width sets the width of column i.
    static QString sampleText(int column);
    /// Width of the cell of column i: its sample text in the current font plus the cell margins.
    int columnWidth(int column) const;

    /// Model row shown at the top of the grids (model row r is record r + 1).
    int topRow() const;
    void setTopRow(int row);

    /// While on, a row appended at the end becomes the current row and is scrolled into view, as
    /// long as the newest row was in view before it came: a reader who scrolled back to earlier
    /// rows is not pulled away by every new sample.
    void setKeepNewestInView(bool on);
    bool keepNewestInView() const { return m_keepNewest; }
    /// Makes the last row current and scrolls it into view now.
    void scrollToNewest();

signals:
    /// The grids were scrolled to a new top row (by the user or by code).
    void topRowChanged(int row);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyWidths();
    void showOwnColumns();
    void follow(int column, int value);
    void onRowsInserted(const QModelIndex& parent, int first, int last);
    bool newestInView() const;

    std::array<QTableView*, ColumnCount> m_grids {};
    QPointer<QAbstractItemModel> m_model;
    bool m_keepNewest = false;
    bool m_following = false;
    bool m_newestWasInView = true;
};

} // namespace kirv
