#include "start/inputitems.h"

namespace kirv {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Steps over the separator at pos (a comma, CR, LF or CR LF), if there is one.
qsizetype skipSeparator(const QByteArray &data, qsizetype pos)
{
    if (pos >= data.size())
        return pos;
    if (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n')
        return pos + 2;
    return pos + 1;
}

} // namespace

QByteArrayList inputItems(const QByteArray &data)
{
    QByteArrayList items;
    const qsizetype size = data.size();
    qsizetype pos = 0;
    while (pos < size) {
        while (pos < size && isBlank(data[pos]))
            ++pos;
        if (pos < size && data[pos] == '"') {
            const qsizetype start = pos + 1;
            qsizetype end = data.indexOf('"', start);
            if (end < 0)
                end = size;
            items.append(data.mid(start, end - start));
            pos = end + 1;
            while (pos < size && data[pos] != ',' && !isLineEnd(data[pos]))
                ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < size && data[pos] != ',' && !isLineEnd(data[pos]))
                ++pos;
            qsizetype end = pos;
            while (end > start && isBlank(data[end - 1]))
                --end;
            items.append(data.mid(start, end - start));
        }
        pos = skipSeparator(data, pos);
    }
    return items;
}

} // namespace kirv
