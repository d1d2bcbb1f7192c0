#pragma once

#include <QtGlobal>

#include <array>

namespace kirv {

class LocalZone;

/// The parts of the day for Ld, Le and Ln.
enum DayPart
{
    Day,     // 07:00-19:00
    Evening, // 19:00-23:00
    Night,   // 23:00-07:00
    DayPartCount
};

/// The part of the day of a second of the local day (0..86399).
DayPart dayPartOf(qint64 secondOfDay);

/// Lden of the three parts' levels: the evening weighted +5 dB, the night +10 dB, over 12, 4
/// and 8 hours.
double ldenOf(double ld, double le, double ln);

/// The real seconds of the day (07-19), evening (19-23) and night (00-07 and 23-24) summed over
/// the local days `firstDay` to `lastDay` (days since 1970/01/01).
std::array<qint64, DayPartCount> dayPartSeconds(qint64 firstDay, qint64 lastDay, LocalZone& zone);

} // namespace kirv
