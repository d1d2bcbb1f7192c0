#pragma once

#include "kirv/meter/exchange.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QObject;

namespace kirv {

class SerialLink;

// The meter's real-time clock on the line. Every field is one byte holding the two decimal
// digits of the value as its two hexadecimal digits (59 is 0x59); the year is its last two
// digits. Order on the line: seconds, minutes, hours, day, month, year.

inline constexpr int ClockReplySize = 6;

struct ClockReadResult
{
    ExchangeResult result;
    QByteArray fields; // the six clock bytes, when Done
};

// Reads the meter clock: drain, "I", 0.02 s, read everything pending, until at least six bytes
// came back, at most `attempts` times (then TimedOut, so a silent meter never holds its
// caller). Bytes beyond the sixth are ignored; a live frame ahead of the answer is skipped.
ClockReadResult readMeterClock(SerialLink& link, const QObject* owner, int attempts);

// "2009/05/07 08:30:00" from the six clock bytes: the century "20", then every field as its
// two hexadecimal digits, so a byte that is no decimal pair shows as it is (0x1A gives "1A").
QString meterClockText(const QByteArray& fields);

// "B" and the six fields of `time`: 42 59 30 08 07 05 09 for 2009-05-07 08:30:59.
QByteArray setClockCommand(const QDateTime& time);

// Sets the meter clock to `time` in one write and waits 0.02 s; nothing comes back.
ExchangeResult setMeterClock(SerialLink& link, const QDateTime& time, const QObject* owner);

} // namespace kirv
