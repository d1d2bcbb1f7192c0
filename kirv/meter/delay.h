#pragma once

class QObject;

namespace kirv {

// Waits `seconds` on a monotonic clock while the event loop keeps serving windows, timers and
// the serial port (no busy wait; midnight is not special). Returns false when the wait was cut
// short because the program is quitting or `owner` was destroyed meanwhile; callers that retry
// "for ever" stop on false, so no exchange outlives its window or the program.
bool Delay(double seconds, const QObject* owner = nullptr);

// True once the program has begun to quit; every later Delay returns false at once.
bool waitsCancelled();

} // namespace kirv
