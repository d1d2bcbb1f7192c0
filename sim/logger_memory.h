#pragma once

#include "sim/meter_bytes.h"

#include <QByteArray>
#include <QList>

#include <array>

namespace kirv::sim {

// One stored set as the logger keeps it:
//   00 55 AA 00 | interval hi lo | status | range | N level words | 5 timestamps | 10 words
// 58 + 2N bytes in all.
struct LoggerSet
{
    enum Trailer { Leq, Sel, Max, Fourth, Peak, L05, L10, L50, L90, L95, TrailerSize };
    enum Stamp { StampStart, StampEnd, StampMax, StampMin, StampPeak, StampCount };

    int interval = 1; // seconds
    quint8 status = 0;
    quint8 range = 0;
    QList<quint16> levels; // level words, bit 15 the marker
    std::array<Timestamp, StampCount> timestamps{};
    std::array<quint16, TrailerSize> trailer{};
};

inline const QByteArray SetMarker = QByteArrayLiteral("\x00\x55\xAA\x00");
constexpr int SetOverhead = 58;

QByteArray buildLoggerSet(const LoggerSet& set);
QByteArray buildLoggerSets(const QList<LoggerSet>& sets);

// A set whose timestamps and statistics follow from its records: start, end, time of the
// maximum, of the minimum and of the peak; Leq, SEL (over N x interval seconds), maximum, the
// minimum as the fourth level, a peak above the maximum, and L05..L95 (levels exceeded 5..95 %
// of the time). Marked records count with their level.
LoggerSet makeLoggerSet(int interval, quint8 status, quint8 range, const QList<quint16>& levels,
                        const QDateTime& start);

// What the memory holds when the virtual meter starts: five sets of an ordinary week.
QList<LoggerSet> sampleLoggerSets();
// The sample sets and a long one-second set after them: more than 64 K stored (pointers above
// 0xFFFF need all three bytes of the pointer reply).
QList<LoggerSet> largeLoggerSets();

// The logger memory and its replies. The pointer P is 48 + the stored bytes; the dump is
// P - 46 bytes: a leading byte, the stored data, a trailing byte.
class LoggerMemory
{
public:
    // Replies of the wrong length, as a confused logger or a noisy line gives them.
    enum class ReplyFault { None, PointerShort, PointerLong, SizeShort, SizeLong };

    static constexpr int EmptyPointer = 48;
    static constexpr int MaxPointer = 0xFFFFFF;
    static constexpr quint8 DumpFrameByte = 0xFF; // the leading and trailing byte of a dump

    void setSets(const QList<LoggerSet>& sets);
    void setStoredData(const QByteArray& data);
    QByteArray storedData() const { return m_data; }
    void erase();

    int pointer() const;
    // Forces the pointer the meter reports (to play a confused logger); the dump then sends
    // P - 48 stored bytes, filled with 0xFF or cut as needed. Any other change clears it.
    void setPointer(int pointer);

    int sizeUnits() const { return m_units; } // memory size in units of 64 K
    void setSizeUnits(int units);

    QByteArray pointerReply() const;
    QByteArray sizeReply() const;

    // The next `times` replies to "A" (PointerShort/Long) or "L" (SizeShort/Long) lose their
    // last byte or carry one byte more; `times` < 0 keeps the fault until it is cleared.
    void setReplyFault(ReplyFault fault, int times = -1);
    ReplyFault replyFault() const { return m_fault; }

    // Damages the marker of set s (from 1) of the stored data, as a memory cell that lost a bit;
    // false when there is no such set.
    bool corruptMarker(int s);
    // Gives set s (from 1) a start stamp that is no date (month 13), as a clock that was never
    // set; false when there is no such set.
    bool corruptStart(int s);
    QByteArray dump(bool shortDump = false) const;

private:
    // Where set s (from 1) begins in the stored data and where it ends; {-1, -1} when there is
    // no such set.
    std::pair<qsizetype, qsizetype> setBounds(int s) const;
    QByteArray withFault(QByteArray reply, ReplyFault cut, ReplyFault longer) const;

    QByteArray m_data;
    int m_forcedPointer = -1;
    int m_units = 2;
    mutable ReplyFault m_fault = ReplyFault::None;
    mutable int m_faultTimes = 0;
};

} // namespace kirv::sim
