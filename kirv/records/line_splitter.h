#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

namespace kirv {

/// Cuts bytes into lines at CRLF, LF or a CR alone, fed in blocks of any size: a line cut by the
/// end of a block waits for the rest, and a CRLF split between two blocks is one line end. The
/// lines handed out carry no line end.
class LineSplitter
{
public:
    /// Hands `line(QByteArrayView)` each line that ends in `block`, while it returns true; false
    /// once `line` returned false (the rest of the block is not looked at).
    template <class Line>
    bool feed(QByteArrayView block, Line&& line)
    {
        if (block.isEmpty())
            return true;
        const char* at = block.data();
        const char* const end = at + block.size();
        if (m_afterCr) {
            m_afterCr = false;
            if (*at == '\n')
                ++at;
        }
        // The next LF is looked up once and kept, so that a file of CR-only line ends is not
        // searched to its end for every line.
        const char* lf = find(at, end, '\n');
        while (at < end) {
            if (lf < at)
                lf = find(at, end, '\n');
            const char* cr = find(at, lf, '\r');
            const char* stop = cr < lf ? cr : lf;
            if (stop == end) {
                m_carry.append(at, end - at);
                return true;
            }
            QByteArrayView text(at, stop - at);
            if (!m_carry.isEmpty()) {
                m_carry.append(text);
                text = m_carry;
            }
            at = stop + 1;
            if (stop == cr) {
                if (at == end)
                    m_afterCr = true;
                else if (*at == '\n')
                    ++at;
            }
            const bool more = line(text);
            if (!m_carry.isEmpty())
                m_carry.resize(0);
            if (!more)
                return false;
        }
        return true;
    }

    /// Hands out the last line when the bytes ended without a line end.
    template <class Line>
    bool finish(Line&& line)
    {
        if (m_carry.isEmpty())
            return true;
        const bool more = line(QByteArrayView(m_carry));
        m_carry.clear();
        return more;
    }

private:
    static const char* find(const char* at, const char* end, char c)
    {
        const auto* found = static_cast<const char*>(std::memchr(at, c, size_t(end - at)));
        return found ? found : end;
    }

    QByteArray m_carry;
    bool m_afterCr = false;
};

} // namespace kirv
