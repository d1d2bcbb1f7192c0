#pragma once

// Line handling shared by the data file reader and writers (not part of the public API).

#include "datafile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <cstring>

namespace kirv {

/// Cuts the next line off [at, end): the text up to LF, without a CR just before the LF.
inline QByteArrayView takeLine(const char*& at, const char* end)
{
    const auto* newline = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)));
    const char* lineEnd = newline ? newline : end;
    const char* begin = at;
    at = newline ? newline + 1 : end;
    if (lineEnd > begin && lineEnd[-1] == '\r')
        --lineEnd;
    return QByteArrayView(begin, lineEnd - begin);
}

/// Collects lines and hands them to the device in large chunks.
class LineSink
{
public:
    static constexpr qsizetype ChunkBytes = qsizetype(1) << 16;

    explicit LineSink(QIODevice& out)
        : m_out(out)
    {
        m_buffer.reserve(ChunkBytes + 1024);
    }

    void append(QByteArrayView bytes) { m_buffer.append(bytes); }

    void endLine()
    {
        m_buffer.append(LineEnd, 2);
        if (m_buffer.size() >= ChunkBytes)
            flush();
    }

    /// Hands everything collected to the device; false once any write was refused.
    bool flush()
    {
        if (m_ok && !m_buffer.isEmpty())
            m_ok = m_out.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
        return m_ok;
    }

    bool ok() const { return m_ok; }

private:
    QIODevice& m_out;
    QByteArray m_buffer;
    bool m_ok = true;
};

} // namespace kirv
