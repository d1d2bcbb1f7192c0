#pragma once

#include <QByteArray>
#include <QDateTime>

#include <array>

namespace kirv::sim {

// What the meter puts on the line: live frames, the acknowledge, BCD clock fields.

constexpr int FrameSize = 6;
constexpr quint8 FrameStart = 0x02;
constexpr quint8 FrameEnd = 0x03;
constexpr int RangeCodeCount = 6; // 0 = 80-140 .. 5 = 30-90

enum class RunState { Run, Pause, Stop };

// The front-panel state that the live frames carry.
struct MeterSettings
{
    int rangeCode = 2;     // 0..5
    int freqWeighting = 0; // 0 A, 1 C, 2 Z, 3 AA
    int timeWeighting = 0; // 0 FAST, 1 SLOW, 2 IMP
    RunState runState = RunState::Run;
    bool over = false;
    bool under = false;
    bool marked = false;
};

// Range byte: bits 0..2 the range code, bit 7 over-range.
quint8 rangeByte(const MeterSettings& settings);
// Status byte: time weighting (bits 0..1), run/pause/stop (bits 2..4), frequency weighting
// (bits 5..6), under-range (bit 7).
quint8 statusByte(const MeterSettings& settings);
// Level word in tenths of a dB, bit 15 the marker. Levels are clamped to 0..3276.7 dB.
quint16 levelWord(double db, bool marked = false);
// 02 R S H L 03.
QByteArray liveFrame(const MeterSettings& settings, double db);
QByteArray acknowledgeFrame();

// The lower and upper end of a range code, e.g. 2 -> 60, 120.
int rangeLower(int code);
int rangeUpper(int code);

// Two decimal digits as two hex digits: 59 -> 0x59. Values are taken modulo 100.
quint8 toBcd(int value);
// 0x59 -> 59; a nibble above 9 gives -1.
int fromBcd(quint8 byte);

// Six BCD bytes: second, minute, hour, day, month, two-digit year.
using Timestamp = std::array<quint8, 6>;
Timestamp timestampBytes(const QDateTime& time);
QByteArray clockBytes(const QDateTime& time);
// The date and time six BCD bytes name (years 2000..2099); invalid when a field is not BCD or
// the date or time does not exist.
QDateTime fromClockBytes(const QByteArray& bytes);

} // namespace kirv::sim
