#pragma once

// The walk through a data file's lines shared by the list's reader and the series reader (not
// part of the public API): which line is the kind, a header line, the column titles or a
// record, and where the reading stops.

#include "kirv/records/datafile_format.h"
#include "kirv/records/record.h"
#include "kirv/base/line_splitter.h"

#include <cstring>

namespace kirv {

/// Finds the three tabs of a record line; false when it has fewer.
inline bool splitRecord(QByteArrayView line, QByteArrayView (&fields)[RecordColumnCount])
{
    const char* at = line.data();
    const char* end = at + line.size();
    for (QByteArrayView& field : fields) {
        const auto* tab = static_cast<const char*>(std::memchr(at, '\t', size_t(end - at)));
        if (!tab)
            return false;
        field = QByteArrayView(at, tab - at);
        at = tab + 1;
    }
    return true;
}

/// Fed the file in blocks; hands each record's fields with its line index n (from 0) to
/// `record(fields, n)` and fills the reading's kind, header and stop. After the stop the lines
/// are only counted.
class DataFileLines
{
public:
    explicit DataFileLines(DataFileReading& out) : m_out(out) {}

    template <class Record>
    void feed(QByteArrayView block, Record&& record)
    {
        m_splitter.feed(block, [&](QByteArrayView line) { return take(line, record); });
    }

    template <class Record>
    void finish(Record&& record)
    {
        m_splitter.finish([&](QByteArrayView line) { return take(line, record); });
        m_out.lineCount = m_out.stoppedAtLine ? m_out.stoppedAtLine : m_n;
    }

private:
    template <class Record>
    bool take(QByteArrayView line, Record& record)
    {
        if (m_out.stoppedAtLine) {
            ++m_out.unreadLines;
            return true;
        }
        const qsizetype n = m_n++;
        if (n > m_headerCount) {
            QByteArrayView fields[RecordColumnCount];
            if (!splitRecord(line, fields)) {
                m_out.stoppedAtLine = n + 1;
                m_out.stopText = line.first(std::min(line.size(), DataFileReading::StopTextBytes))
                                     .toByteArray();
                m_out.unreadLines = 1;
                return true;
            }
            ++m_out.recordLines;
            record(fields, n);
        } else if (n == 0) {
            m_out.kind = dataFileKindOf(line);
            m_headerCount = headerLineCount(m_out.kind);
            m_out.titled = line == QByteArrayView(ColumnTitleLine);
            if (m_headerCount > 0)
                m_out.headerLines.append(QString::fromUtf8(line));
        } else if (n < m_headerCount) {
            m_out.headerLines.append(QString::fromUtf8(line));
        }
        // n == m_headerCount: the column title line, which is not a record.
        return true;
    }

    DataFileReading& m_out;
    LineSplitter m_splitter;
    qsizetype m_n = 0; // index of the next line, from 0
    int m_headerCount = 0;
};

} // namespace kirv
