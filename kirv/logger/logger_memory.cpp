#include "kirv/logger/logger_memory.h"

#include <algorithm>
#include <cstring>

namespace kirv::logger {

namespace {
constexpr qint64 FreeSpaceFloor = 60; // less than a set of one record: nothing free
}

std::optional<int> pointerOf(QByteArrayView reply)
{
    if (reply.size() != ReplyLength)
        return std::nullopt;
    const auto byte = [&](int i) { return int(quint8(reply[i])); };
    return byte(0) * 65536 + byte(1) * 256 + byte(2);
}

std::optional<int> sizeUnitsOf(QByteArrayView reply)
{
    if (reply.size() != ReplyLength)
        return std::nullopt;
    return int(quint8(reply[1]));
}

PointerVerdict verdictOf(int pointer)
{
    if (pointer < LowestPointer)
        return PointerVerdict::Error;
    if (pointer <= EmptyPointer)
        return PointerVerdict::Empty;
    return PointerVerdict::Dump;
}

PointerVerdict verdictOf(int pointer, int sizeUnits)
{
    const PointerVerdict verdict = verdictOf(pointer);
    if (verdict == PointerVerdict::Dump && qint64(pointer) > qint64(sizeUnits) * MemoryUnitBytes)
        return PointerVerdict::Error;
    return verdict;
}

QString sizeText(int sizeUnits)
{
    return QStringLiteral("%1 K").arg(64 * sizeUnits);
}

QString freeText(int sizeUnits, int pointer)
{
    const qint64 free = qint64(sizeUnits) * MemoryUnitBytes - pointer;
    const double kilobytes = free < FreeSpaceFloor ? 0.0 : double(free) / 1024.0;
    return QString::number(kilobytes, 'f', 1) + QStringLiteral(" K");
}

QString completedText(qint64 received, qint64 total)
{
    const double percent = total > 0 ? 100.0 * double(received) / double(total) : 100.0;
    return QString::number(percent, 'f', 1) + QStringLiteral("% Completed");
}

QByteArray storedData(QByteArrayView dump, qint64 length)
{
    length = std::min<qint64>(length, dump.size());
    if (length <= 2)
        return {};
    QByteArray data = dump.sliced(1, length - 2).toByteArray();
    data += dump.sliced(1, std::min<qint64>(SetMarker.size(), length - 2));
    return data;
}

QByteArrayView LoggerSets::set(qsizetype s) const
{
    if (s < 1 || s > sets.size())
        return {};
    const SetSpan& span = sets[s - 1];
    return QByteArrayView(data).sliced(span.offset, span.length);
}

int LoggerSets::interval(qsizetype s) const
{
    const QByteArrayView bytes = set(s);
    return bytes.size() >= 6 ? int(quint8(bytes[4])) * 256 + int(quint8(bytes[5])) : 0;
}

LoggerSets walkSets(QByteArrayView dump, qint64 length)
{
    LoggerSets result;
    QByteArray data = storedData(dump, length);
    const qint64 markerSize = SetMarker.size();
    // The stored bytes; the marker copy after them closes the last set.
    const qint64 stored = std::max<qint64>(0, std::min<qint64>(length, dump.size()) - 2);
    const char* const bytes = data.constData();
    const auto markerAt = [&](qint64 at) {
        return at >= 0 && at + markerSize <= data.size()
               && std::memcmp(bytes + at, SetMarker.constData(), size_t(markerSize)) == 0;
    };

    qint64 start = 0;
    while (start < stored) {
        if (!markerAt(start))
            break;
        // The next marker at an even distance of at least 60 bytes from this one. The search
        // runs on its second byte (0x55), rare in level words, with memchr's speed.
        qint64 next = -1;
        for (qint64 from = start + SetOverhead + 2 + 1; from + markerSize - 1 <= data.size();) {
            const auto* hit = static_cast<const char*>(
                std::memchr(bytes + from, SetMarker[1], size_t(data.size() - from)));
            if (!hit)
                break;
            const qint64 at = hit - bytes - 1;
            if ((at - start) % 2 == 0 && markerAt(at)) {
                next = at;
                break;
            }
            from = at + 2;
        }
        if (next < 0)
            break;
        result.sets.append({start, next - start});
        start = next;
    }
    result.unreadBytes = std::max<qint64>(0, stored - start);
    result.data = std::move(data);
    return result;
}

QString unreadText(qint64 unreadBytes)
{
    if (unreadBytes <= 0)
        return {};
    return QStringLiteral("%1 byte%2 could not be read as sets")
        .arg(unreadBytes)
        .arg(unreadBytes == 1 ? "" : "s");
}

} // namespace kirv::logger
