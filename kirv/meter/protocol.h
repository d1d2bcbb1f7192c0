#pragma once

#include <QByteArray>

#include <optional>

namespace kirv {

// Bytes on the line between the PC and the meter.
namespace protocol {

constexpr int kFrameSize = 6;
constexpr char kFrameStart = 0x02;
constexpr char kFrameEnd = 0x03;

inline const QByteArray kAttention = QByteArrayLiteral("A");
inline const QByteArray kAcknowledge = QByteArrayLiteral("\x02\xFF\xFF\xFF\xFF\x03");
inline const QByteArray kFreqWeightKey = QByteArrayLiteral("G");
inline const QByteArray kTimeWeightKey = QByteArrayLiteral("D");
inline const QByteArray kRangeUp = QByteArrayLiteral("E");
inline const QByteArray kRangeDown = QByteArrayLiteral("F");
inline const QByteArray kReadInterval = QByteArrayLiteral("J");
inline const QByteArray kReadClock = QByteArrayLiteral("I");
inline const QByteArray kMemoryPointer = QByteArrayLiteral("A");
inline const QByteArray kMemorySize = QByteArrayLiteral("L");
inline const QByteArray kMemoryDump = QByteArrayLiteral("K");
inline const QByteArray kMemoryErase = QByteArrayLiteral("H");

// The ten meter keys by their code.
enum Key : int {
    KeyCA = 1,
    KeyFastSlow = 2,
    KeyLeq = 3,
    KeyMax = 4,
    KeyPlayPause = 5,
    KeyRecord = 6,
    KeyDate = 7,
    KeyInteg = 8,
    KeyUp = 9,
    KeyDown = 10,
};

// "K" 00 00 code: a remote key press, sent after the meter acknowledged the attention.
QByteArray keyCommand(int code);
// "C" hi lo: set the meter's own sampling interval.
QByteArray setIntervalCommand(int seconds);

// The last six bytes of a buffer when they form a frame (start and end markers in place).
// Bytes 2..5 are not validated; a misaligned buffer gives nothing.
std::optional<QByteArray> lastFrame(const QByteArray& buffer);
// True when the acknowledge frame is the last thing in the buffer.
bool endsWithAcknowledge(const QByteArray& buffer);

} // namespace protocol
} // namespace kirv
