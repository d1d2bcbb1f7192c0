#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

class QObject;

namespace kirv {

class SerialLink;

// The straight-line exchanges with the meter. Each drains the receive buffer before it listens
// and validates what it reads, so a tick or a click that steals its bytes only costs a retry.
// Every wait ends when `owner` goes away or the program quits (the result says so).

// Failed: the port did not take a command whole, or the device went away meanwhile; nothing
// of it counts as sent.
enum class [[nodiscard]] ExchangeResult { Done, TimedOut, Cancelled, Failed };

// The newest complete frame (0x02, four bytes, 0x03) in `buffer`, nothing when it holds none.
// Stray bytes after it, or a frame cut at either end, do not hide it.
std::optional<QByteArray> newestFrame(QByteArrayView buffer);

// Live poll: drain, wait in 0.01 s steps for at least six bytes, take the newest complete frame
// of what was read (a frame split over two reads counts); when there is none the wait goes on.
// After 100 steps (about a second) without a valid frame the result is TimedOut; noise does not
// restart that count, so a line that carries only noise is a lost link too, while a line that
// carries frames among noise is not. A device that goes away meanwhile gives Failed at once.
struct [[nodiscard]] FrameResult
{
    ExchangeResult result;
    QByteArray frame;
};
FrameResult takeLiveFrame(SerialLink& link, const QObject* owner);

// Link recovery: wait without limit, in 0.02 s steps, until a complete frame arrives.
// Returns Done, Cancelled, or Failed when the device goes away.
ExchangeResult waitForFrames(SerialLink& link, const QObject* owner);

// Attention before a key press: drain, send "A" every 0.2 s until six bytes are pending, and
// start again until the acknowledge frame is the last thing in the buffer. A meter that has not
// acknowledged after about a second (five "A") gives TimedOut: the live poll then finds out
// whether the link is still there. An "A" the port does not take gives Failed.
inline constexpr int AttentionTries = 5;
ExchangeResult MeterAttention(SerialLink& link, const QObject* owner);

// A remote key press: attention, then "K" 00 00 code in one write. Nothing is read back; no
// "K" is sent when the attention was not acknowledged; a "K" not taken whole gives Failed.
ExchangeResult pressKey(SerialLink& link, int code, const QObject* owner);

// Read and discard everything pending.
void drain(SerialLink& link);

} // namespace kirv
