#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace kirv {

// The period typed into the delayed-start box, "hh:nn:ss".
struct LaunchPeriod
{
    int hours = 0;   // 0..23
    int minutes = 0; // 0..59
    int seconds = 0; // 0..59

    int totalSeconds() const { return hours * 3600 + minutes * 60 + seconds; }
    // Two digits each: "01:02:03".
    QString text() const;
};

// Reads an answer such as "1:2:3" (01:02:03), "25:61:70" (01:01:10) or "10:30" (10:00:30, a
// single colon separates hours and seconds). Each part is the number it starts with, its whole
// part taken modulo 24 or 60. An answer without a colon, or with a negative part, is invalid
// (the caller says "Invalid, comply with the data format properly" and asks again).
std::optional<LaunchPeriod> parseLaunchPeriod(const QString& answer);

// The armed delayed start: a recording starts by itself once LaunchDelay seconds have passed
// since it was armed. Time is measured between date-times, so midnight is nothing special.
class DelayedStart
{
public:
    // Arms with the delay when disarmed, disarms when armed (each answer switches it).
    // Returns whether it is armed now.
    bool toggle(int launchDelay, const QDateTime& now);
    bool armed() const { return m_armed; }
    int LaunchDelay() const { return m_launchDelay; }
    // Whole seconds since midnight at the moment of arming.
    int LaunchStart() const;
    // When the recording is due to start (invalid while disarmed).
    QDateTime fireTime() const;
    // True once, at the first call at or after fireTime(); it disarms then.
    bool due(const QDateTime& now);

private:
    bool m_armed = false;
    int m_launchDelay = 0;
    QDateTime m_armedAt;
};

} // namespace kirv
