#pragma once

#include "kirv/records/record.h"
#include "kirv/records/recordstore.h"

#include <QAbstractTableModel>

namespace kirv {

/// A record list as a table model with the columns "No.s", "Date Time" and "dB".
///
/// Two numberings meet here:
/// - grid rows, as the list windows and the file writers count them: row 0 holds the column
///   titles, rows 1..n hold records 1..n (`cell`, `record`, `lastRow`);
/// - model rows, as Qt views count them: model row r shows record r + 1; the titles are the
///   horizontal header data.
class RecordList : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordList(QObject* parent = nullptr);

    /// Number of records n.
    qsizetype count() const { return m_store.count(); }
    /// Last grid row: n (the title row is row 0).
    qsizetype lastRow() const { return m_store.count(); }
    /// Texts of grid row `row`: the titles for row 0, record `row` for rows 1..n.
    Record record(qsizetype row) const;
    /// Text of one cell of grid row `row` (0 gives the title).
    QString cell(qsizetype row, int column) const;

    /// Appends one record (one rowsInserted for one row).
    void append(const Record& record);
    void append(QByteArrayView number, QByteArrayView time, QByteArrayView level);
    /// Appends a whole block (one rowsInserted for all of it); a reader's result is moved in.
    void append(RecordStore&& records);
    /// Cuts the list back to its title row.
    void clear();

    /// The packed records, for writers and analyses that walk the whole list.
    const RecordStore& store() const { return m_store; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    RecordStore m_store;
};

} // namespace kirv
