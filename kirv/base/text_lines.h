#pragma once

// Line handling shared by the file readers and writers: lines cut off a buffer, lines written
// through a buffer.

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace kirv {

/// The line end of every file the program writes.
inline constexpr char LineEnd[] = "\r\n";

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

/// Calls `line(number, text)` for each line of `text` (numbered from 1, LF or CRLF ended, the
/// line end dropped) until it returns false; false then, true when every line was taken.
template <typename LineFunction>
bool forEachLine(QByteArrayView text, LineFunction&& line)
{
    const char* at = text.data();
    const char* const end = at + text.size();
    for (qsizetype number = 1; at < end; ++number)
        if (!line(number, takeLine(at, end)))
            return false;
    return true;
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
            static_cast<void>(flush()); // a refused write stays in ok() and the last flush()
    }

    /// Hands everything collected to the device; false once any write was refused. A short
    /// write is tried again with the rest, so that a full disk is reported with its reason
    /// rather than as a count that came up short.
    [[nodiscard]] bool flush()
    {
        for (qsizetype done = 0; m_ok && done < m_buffer.size();) {
            const qint64 n = m_out.write(m_buffer.constData() + done, m_buffer.size() - done);
            m_ok = n > 0;
            done += qsizetype(std::max<qint64>(n, 0));
        }
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
