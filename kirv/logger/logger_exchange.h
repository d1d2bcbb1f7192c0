#pragma once

#include <QByteArray>

#include <functional>

class QObject;

namespace kirv {

class SerialLink;

// The logger memory exchanges, in the protocol's straight-line shape. The replies to "A" and
// "L" are asked again while they have the wrong length, but only for a bounded time: a meter
// that stays silent (cable out) ends the download instead of freezing the panel.
namespace logger {

inline constexpr double ReplyWait = 0.02;    // seconds between a command and its reply
inline constexpr double RetryLimit = 5.0;    // seconds of wrong replies before giving up
inline constexpr double DumpStallLimit = 5.0; // seconds without a dump byte before giving up

struct MemoryQuery
{
    enum Outcome {
        Ready,     // pointer and size read; a dump of P - 46 bytes can follow
        Empty,     // nothing stored: "No Data in Memory"
        BadPointer, // below 46 or beyond the memory: "Error! Try again!"
        NoReply,   // no reply of the right length within the retry limit
        Cancelled, // the owner went away or the program is quitting
    };
    Outcome outcome = NoReply;
    int pointer = 0;
    int sizeUnits = 0;
};

// "A" then "L", each after a drain and answered within 0.02 s; a reply that is not exactly three
// bytes starts again with "A". The size is asked only when the pointer promises a dump.
MemoryQuery queryMemory(SerialLink& link, const QObject* owner, double retryLimit = RetryLimit);

struct DumpResult
{
    enum Outcome { Complete, Stalled, Cancelled, Failed }; // Failed: the port did not take "K"
    Outcome outcome = Cancelled;
    QByteArray bytes; // everything received (at least `length` bytes when Complete)
};

// Sends "K" and collects `length` bytes, reporting the count received (at most `length`)
// after every read. Ends Stalled when no byte came for `stallLimit` seconds, Cancelled when
// `stop` says so (the window was closed), the owner went away or the program quits. Waits only
// for bytes to arrive, so the dump runs at the line's speed.
[[nodiscard]] DumpResult dumpMemory(SerialLink& link, qint64 length,
                      const std::function<void(qint64 received)>& progress,
                      const std::function<bool()>& stop, const QObject* owner,
                      double stallLimit = DumpStallLimit);

// "H": erases the memory; nothing is read back.
// False when the port did not take the command.
[[nodiscard]] bool eraseMemory(SerialLink& link, const QObject* owner);

} // namespace logger
} // namespace kirv
