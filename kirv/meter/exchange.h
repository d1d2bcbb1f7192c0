#pragma once

#include <QByteArray>

class QObject;

namespace kirv {

class SerialLink;

// The straight-line exchanges with the meter. Each drains the receive buffer before it listens
// and validates what it reads, so a tick or a click that steals its bytes only costs a retry.
// Every wait ends when `owner` goes away or the program quits (the result says so).

enum class ExchangeResult { Done, TimedOut, Cancelled };

// Live poll: drain, wait in 0.01 s steps for at least six bytes, take the last six of
// everything pending; a frame with misplaced markers is dropped and the wait starts again.
// After 100 steps (about a second) without a valid frame the result is TimedOut; misaligned
// bytes do not restart that count, so a line that carries only noise is a lost link too.
struct FrameResult
{
    ExchangeResult result;
    QByteArray frame;
};
FrameResult takeLiveFrame(SerialLink& link, const QObject* owner);

// Link recovery: wait without limit, in 0.02 s steps, until the last six pending bytes have
// the frame markers. Returns Done or Cancelled.
ExchangeResult waitForFrames(SerialLink& link, const QObject* owner);

// Attention before a key press: drain, send "A" every 0.2 s until six bytes are pending, and
// start again until the acknowledge frame is the last thing in the buffer. No retry limit.
ExchangeResult MeterAttention(SerialLink& link, const QObject* owner);

// A remote key press: attention, then "K" 00 00 code in one write. Nothing is read back.
ExchangeResult pressKey(SerialLink& link, int code, const QObject* owner);

// Read and discard everything pending.
void drain(SerialLink& link);

} // namespace kirv
