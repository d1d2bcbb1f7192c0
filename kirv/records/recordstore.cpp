#include "kirv/records/recordstore.h"

#include <QtGlobal>

namespace kirv {

void RecordStore::append(QByteArrayView number, QByteArrayView time, QByteArrayView level)
{
    const qsizetype size = m_text.size();
    Q_ASSERT(size + number.size() + time.size() + level.size() <= MaxTextBytes);
    m_starts.push_back(quint32(size));
    m_starts.push_back(quint32(size + number.size()));
    m_starts.push_back(quint32(size + number.size() + time.size()));
    m_text.append(number);
    m_text.append(time);
    m_text.append(level);
}

void RecordStore::append(const Record& record)
{
    append(record.number.toUtf8(), record.time.toUtf8(), record.level.toUtf8());
}

void RecordStore::append(const RecordStore& other)
{
    const auto shift = quint32(m_text.size());
    m_starts.reserve(m_starts.size() + other.m_starts.size());
    for (const quint32 start : other.m_starts)
        m_starts.push_back(start + shift);
    m_text.append(other.m_text);
}

QByteArrayView RecordStore::field(qsizetype index, int column) const
{
    Q_ASSERT(index >= 0 && index < count() && column >= 0 && column < RecordColumnCount);
    const size_t at = size_t(index) * RecordColumnCount + size_t(column);
    const qsizetype begin = m_starts[at];
    const qsizetype end = at + 1 < m_starts.size() ? qsizetype(m_starts[at + 1]) : m_text.size();
    return QByteArrayView(m_text.constData() + begin, end - begin);
}

Record RecordStore::record(qsizetype index) const
{
    return {text(index, NumberColumn), text(index, TimeColumn), text(index, LevelColumn)};
}

void RecordStore::clear()
{
    m_text.clear();
    m_starts.clear();
    m_starts.shrink_to_fit();
}

void RecordStore::reserve(qsizetype records, qsizetype textBytes)
{
    m_starts.reserve(size_t(records) * RecordColumnCount);
    m_text.reserve(textBytes);
}

void RecordStore::squeeze()
{
    m_text.squeeze();
    m_starts.shrink_to_fit();
}

qsizetype RecordStore::bytesUsed() const
{
    return m_text.capacity() + qsizetype(m_starts.capacity() * sizeof(quint32));
}

} // namespace kirv
