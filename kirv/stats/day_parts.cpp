#include "kirv/stats/day_parts.h"

#include "kirv/base/civil_time.h"
#include "kirv/base/decibels.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr qint64 Hour = 3600;

} // namespace

DayPart dayPartOf(qint64 secondOfDay)
{
    if (secondOfDay >= 7 * Hour && secondOfDay < 19 * Hour)
        return Day;
    if (secondOfDay >= 19 * Hour && secondOfDay < 23 * Hour)
        return Evening;
    return Night;
}

double ldenOf(double ld, double le, double ln)
{
    return 10.0 * Log10((12.0 * std::pow(10.0, ld / 10.0) + 4.0 * std::pow(10.0, (le + 5.0) / 10.0) +
                         8.0 * std::pow(10.0, (ln + 10.0) / 10.0)) /
                        24.0);
}

std::array<qint64, DayPartCount> dayPartSeconds(qint64 firstDay, qint64 lastDay, LocalZone& zone)
{
    std::array<qint64, DayPartCount> sum{};
    for (qint64 day = firstDay; day <= lastDay;) {
        const qint64 midnight = day * SecondsPerDay;
        // Whole days up to the zone's next change have the parts' nominal lengths.
        const qint64 steady =
            std::min(floorDiv(zone.steadyUntil(midnight) - 1, SecondsPerDay) - day,
                     lastDay - day + 1);
        if (steady > 0) {
            sum[Day] += steady * 12 * Hour;
            sum[Evening] += steady * 4 * Hour;
            sum[Night] += steady * 8 * Hour;
            day += steady;
            continue;
        }
        auto at = [&zone, midnight](qint64 hour) {
            const qint64 civil = midnight + hour * Hour;
            return civil - zone.readings(civil).first;
        };
        const qint64 zero = at(0), seven = at(7), nineteen = at(19), eleven = at(23);
        sum[Day] += nineteen - seven;
        sum[Evening] += eleven - nineteen;
        sum[Night] += seven - zero + at(24) - eleven;
        ++day;
    }
    return sum;
}

} // namespace kirv
