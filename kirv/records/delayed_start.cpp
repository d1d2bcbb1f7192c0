#include "kirv/records/delayed_start.h"

#include "kirv/base/decibels.h"
#include "kirv/base/numbertext.h"

#include <cmath>

namespace kirv {

namespace {

// The whole part of the number a piece of the answer starts with, modulo the unit's range;
// nothing for a negative number.
std::optional<int> periodPart(const QString& piece, int modulo)
{
    const double value = std::trunc(numericValue(piece));
    if (value < 0)
        return std::nullopt;
    return int(std::fmod(value, double(modulo)));
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString LaunchPeriod::text() const
{
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':')
           + twoDigits(seconds);
}

std::optional<LaunchPeriod> parseLaunchPeriod(const QString& answer)
{
    const qsizetype p1 = answer.indexOf(QLatin1Char(':'));
    if (p1 < 0)
        return std::nullopt;
    const qsizetype p2 = answer.indexOf(QLatin1Char(':'), p1 + 1);
    const QString hoursText = answer.left(p1);
    // With one colon there are no minutes, and the seconds follow it.
    const QString minutesText = p2 < 0 ? QString() : answer.mid(p1 + 1, p2 - p1);
    const QString secondsText = answer.mid((p2 < 0 ? p1 : p2) + 1, 2);

    const std::optional<int> hours = periodPart(hoursText, 24);
    const std::optional<int> minutes = periodPart(minutesText, 60);
    const std::optional<int> seconds = periodPart(secondsText, 60);
    if (!hours || !minutes || !seconds)
        return std::nullopt;
    return LaunchPeriod{*hours, *minutes, *seconds};
}

bool DelayedStart::toggle(int launchDelay, const QDateTime& now)
{
    m_armed = !m_armed;
    if (m_armed) {
        m_launchDelay = launchDelay;
        m_armedAt = now;
    }
    return m_armed;
}

int DelayedStart::LaunchStart() const
{
    return m_armedAt.isValid() ? m_armedAt.time().msecsSinceStartOfDay() / 1000 : 0;
}

QDateTime DelayedStart::fireTime() const
{
    return m_armed ? m_armedAt.addSecs(m_launchDelay) : QDateTime();
}

bool DelayedStart::due(const QDateTime& now)
{
    if (!m_armed || now < fireTime())
        return false;
    m_armed = false;
    return true;
}

} // namespace kirv
