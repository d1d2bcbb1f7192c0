#pragma once

#include "kirv/records/record.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace kirv {

/// The records of a list, packed for size: the texts of all records live in one UTF-8 byte
/// buffer, one after the other, and each record keeps the offsets of its three texts. A record of
/// a typical list costs about 40 bytes, so a full live list of 348000 records stays near 14 MB.
///
/// Indices are 0-based (index i is record number i + 1 of a list that counts from 1). The store
/// is a plain value: readers fill one off the window thread's model and hand it over by move.
class RecordStore
{
public:
    qsizetype count() const { return qsizetype(m_starts.size() / RecordColumnCount); }
    bool isEmpty() const { return m_starts.empty(); }

    void append(QByteArrayView number, QByteArrayView time, QByteArrayView level);
    void append(const Record& record);
    /// Appends every record of `other` after the records held already.
    void append(const RecordStore& other);

    /// The raw UTF-8 bytes of one cell; valid until the store changes.
    QByteArrayView field(qsizetype index, int column) const;
    QString text(qsizetype index, int column) const { return QString::fromUtf8(field(index, column)); }
    Record record(qsizetype index) const;

    void clear();
    /// Reserves room for `records` records holding `textBytes` bytes of text together.
    void reserve(qsizetype records, qsizetype textBytes);
    /// Gives back the room reserved beyond what the records use.
    void squeeze();
    /// Heap bytes held (text buffer plus offsets, capacity included).
    qsizetype bytesUsed() const;

    /// Largest text size the offsets can address; appends beyond it are refused.
    static constexpr qsizetype MaxTextBytes = 0x7fffffff;

private:
    QByteArray m_text;
    std::vector<quint32> m_starts; // three per record: where number, time and level begin
};

} // namespace kirv
