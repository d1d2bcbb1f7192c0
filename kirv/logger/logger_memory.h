#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace kirv {

// The logger memory as the meter sends it: "A" gives the pointer P (24 bits, high byte first),
// "L" the size in units of 64 K (second byte of its reply), "K" a dump of P - 46 bytes: a
// leading byte, the stored data, a trailing byte. The stored data are the sets one after the
// other; each set is
//   00 55 AA 00 | interval hi lo | status | range | N level words | 5 timestamps | 10 words
// 58 + 2N bytes, its record count known only from where the next marker stands.
namespace logger {

inline constexpr int LowestPointer = 46;   // a dump of 0 bytes
inline constexpr int EmptyPointer = 48;    // no set stored
inline constexpr int ReplyLength = 3;      // the replies to "A" and "L"
inline constexpr int SetOverhead = 58;     // header and trailer of a set
inline constexpr int SetHeaderBytes = 8;   // marker, interval, status, range
inline constexpr int MemoryUnitBytes = 65536;
inline const QByteArray SetMarker = QByteArrayLiteral("\x00\x55\xAA\x00");

// P from a reply to "A"; nothing unless the reply is exactly three bytes.
std::optional<int> pointerOf(QByteArrayView reply);
// The size in units of 64 K from a reply to "L"; nothing unless exactly three bytes.
std::optional<int> sizeUnitsOf(QByteArrayView reply);

// What a pointer means for the download.
enum class PointerVerdict {
    Error,  // below 46, or beyond the memory the meter reports: "Error! Try again!"
    Empty,  // 46..48, nothing to dump: "No Data in Memory"
    Dump,   // a dump of P - 46 bytes follows
};
PointerVerdict verdictOf(int pointer);
// The same once the size is known: a pointer beyond the memory is an error.
PointerVerdict verdictOf(int pointer, int sizeUnits);

inline qint64 dumpLength(int pointer) { return qint64(pointer) - LowestPointer; }

// "128 K" for two units.
QString sizeText(int sizeUnits);
// Free memory "127.0 K": 64 K x units - P bytes, in K with one decimal; under 60 bytes is 0.0 K.
QString freeText(int sizeUnits, int pointer);
// "37.5% Completed": received of total, with one decimal.
QString completedText(qint64 received, qint64 total);

// The stored data of a dump that holds (at least) `length` bytes: bytes 2 .. length - 1 (the
// leading and trailing bytes dropped), followed by a copy of the first set's marker so that the
// last set is followed by a marker too. Bytes beyond `length` are ignored.
QByteArray storedData(QByteArrayView dump, qint64 length);

// One set found by the walk: where it lies in the stored data.
struct SetSpan
{
    qint64 offset = 0;
    qint64 length = 0; // 58 + 2N

    qint64 recordCount() const { return (length - SetOverhead) / 2; }
};

// The sets of a downloaded memory, found by the walk, with the bytes they lie in.
struct LoggerSets
{
    QByteArray data;            // the stored data, the marker copy appended
    QList<SetSpan> sets;        // set s (from 1) is sets[s - 1]
    qint64 unreadBytes = 0;     // stored bytes after the last set that did not form a set

    qsizetype count() const { return sets.size(); }
    // The whole bytes of set s (from 1), marker and trailer included; empty outside 1..count.
    QByteArrayView set(qsizetype s) const;
    // Sampling interval of set s, from its header.
    int interval(qsizetype s) const;
};

// Walks the stored data of a dump of `length` bytes (trimmed by storedData()): a set starts with
// the marker where the previous one ended, and its record count N is the smallest k >= 1 with
// the marker at 58 + 2k. The walk stops at the first start without a marker or a set without a
// following marker; the sets found before stay, and the bytes left count as unread. It never
// reads beyond the data, whatever the bytes say, and lists any number of sets.
LoggerSets walkSets(QByteArrayView dump, qint64 length);

// The line under the percentage when the walk stopped early, or empty when every byte was read.
QString unreadText(qint64 unreadBytes);

} // namespace logger
} // namespace kirv
