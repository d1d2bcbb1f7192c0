#pragma once

#include <QByteArray>
#include <QByteArrayView>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
        while (at < end) {
            const char* stop = findLineEnd(at, end);
            if (stop == end) {
                m_carry.append(at, end - at);
                return true;
            }
            QByteArrayView text(at, stop - at);
            if (!m_carry.isEmpty()) {
                m_carry.append(text);
                text = m_carry;
            }
            const bool cr = *stop == '\r';
            at = stop + 1;
            if (cr) {
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
    // The first CR or LF in [at, end), or end: one pass over the bytes, sixteen at a time
    // where the processor has the instructions, so that a CRLF line is scanned once, not once
    // for each character.
    static const char* findLineEnd(const char* at, const char* end)
    {
#if defined(__SSE2__)
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (; end - at >= 16; at += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const int found = _mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
            if (found != 0)
                return at + __builtin_ctz(unsigned(found));
        }
#endif
        while (at < end && *at != '\r' && *at != '\n')
            ++at;
        return at;
    }

    QByteArray m_carry;
    bool m_afterCr = false;
};

} // namespace kirv
