#include "kirv/records/recordlist.h"

namespace kirv {

RecordList::RecordList(QObject* parent)
    : QAbstractTableModel(parent)
{
}

Record RecordList::record(qsizetype row) const
{
    if (row == 0)
        return {QString::fromLatin1(RecordColumnTitles[NumberColumn]),
                QString::fromLatin1(RecordColumnTitles[TimeColumn]),
                QString::fromLatin1(RecordColumnTitles[LevelColumn])};
    return m_store.record(row - 1);
}

QString RecordList::cell(qsizetype row, int column) const
{
    if (row == 0)
        return QString::fromLatin1(RecordColumnTitles[size_t(column)]);
    return m_store.text(row - 1, column);
}

void RecordList::append(const Record& record)
{
    append(record.number.toUtf8(), record.time.toUtf8(), record.level.toUtf8());
}

void RecordList::append(QByteArrayView number, QByteArrayView time, QByteArrayView level)
{
    const int row = int(m_store.count());
    beginInsertRows({}, row, row);
    m_store.append(number, time, level);
    endInsertRows();
}

void RecordList::append(RecordStore&& records)
{
    if (records.isEmpty())
        return;
    const int first = int(m_store.count());
    beginInsertRows({}, first, first + int(records.count()) - 1);
    if (m_store.isEmpty())
        m_store = std::move(records);
    else
        m_store.append(records);
    endInsertRows();
}

void RecordList::clear()
{
    beginResetModel();
    m_store.clear();
    endResetModel();
}

int RecordList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_store.count());
}

int RecordList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RecordColumnCount;
}

QVariant RecordList::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return m_store.text(index.row(), index.column());
}

QVariant RecordList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < RecordColumnCount)
        return QString::fromLatin1(RecordColumnTitles[size_t(section)]);
    if (orientation == Qt::Vertical)
        return section + 1;
    return {};
}

} // namespace kirv
