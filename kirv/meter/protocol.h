#pragma once

#include <QByteArray>

#include <optional>

namespace kirv {

// Bytes on the line between the PC and the meter.
namespace protocol {

constexpr int FrameSize = 6;
constexpr char FrameStart = 0x02;
constexpr char FrameEnd = 0x03;

inline const QByteArray AttentionCommand = QByteArrayLiteral("A");
inline const QByteArray Acknowledge = QByteArrayLiteral("\x02\xFF\xFF\xFF\xFF\x03");
inline const QByteArray FreqWeightKey = QByteArrayLiteral("G");
inline const QByteArray TimeWeightKey = QByteArrayLiteral("D");
inline const QByteArray RangeUp = QByteArrayLiteral("E");
inline const QByteArray RangeDown = QByteArrayLiteral("F");
inline const QByteArray ReadInterval = QByteArrayLiteral("J");
inline const QByteArray ReadClock = QByteArrayLiteral("I");
inline const QByteArray MemoryPointer = QByteArrayLiteral("A");
inline const QByteArray MemorySize = QByteArrayLiteral("L");
inline const QByteArray MemoryDump = QByteArrayLiteral("K");
inline const QByteArray MemoryErase = QByteArrayLiteral("H");

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

// True when the acknowledge frame is the last thing in the buffer.
bool endsWithAcknowledge(const QByteArray& buffer);

} // namespace protocol
} // namespace kirv
