#pragma once

#include "kirv/meter/exchange.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QObject;

namespace kirv {

class SerialLink;

// The meter's settings as the toolbar changes them: the one-byte keys for weightings and range,
// and the meter's own sampling interval ("J" to read it, "C" hi lo to set it).

// Sends a command that has no answer (a setting byte "G", "D", "E" or "F", the clock) as it
// is, without draining first, and waits 0.02 s for the meter to act on it. The next live
// frames show the change. Cancelled when `owner` went away during the wait.
ExchangeResult sendCommand(SerialLink& link, const QByteArray& command, const QObject* owner);

// How often a reply to "J" that is short or no interval is asked again before the read fails.
inline constexpr int IntervalRetries = 5;
// The meter's own sampling interval lies in 1..MaxMeterInterval seconds.
inline constexpr int MaxMeterInterval = 255;

struct IntervalResult
{
    ExchangeResult result;
    int seconds = 0; // byte 1 * 256 + byte 2 of the reply, when Done
};

// Reads the meter's sampling interval: drain, "J", 0.02 s, read everything pending. A reply
// shorter than two bytes, or whose two bytes are no interval of 1..MaxMeterInterval (one byte
// and the start of a live frame, say), is drained and asked again, at most IntervalRetries
// more times; then the result is TimedOut. A live frame that slipped in ahead of the answer is
// skipped.
IntervalResult readMeterInterval(SerialLink& link, const QObject* owner);

// Sets the meter's sampling interval: "C", t \ 256, t mod 256 in one write, nothing waited
// for or read back. `seconds` is sent as given (the caller clamps it).
ExchangeResult writeMeterInterval(SerialLink& link, int seconds);

// The answer typed into a sampling input box as a whole number of seconds: the number rounded
// to the nearest whole one (an exact half to the even one: 2.5 gives 2, 3.5 gives 4) and
// clamped to 1..`maximum`. Nothing for an empty answer (Cancel) or one that is not a number.
std::optional<int> samplingAnswerSeconds(const QString& answer, int maximum);

// The live frames the meter may stream between a drain and its answer: whole frames at the
// front of a reply are dropped, so the answer starts at byte 1.
QByteArray skipLeadingFrames(const QByteArray& reply);

} // namespace kirv
