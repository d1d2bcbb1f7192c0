#include "kirv/base/civil_time.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kirv {

namespace {

constexpr qint64 Hour = 3600;

// Days since 1970/01/01 of a civil date (proleptic Gregorian).
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = floorDiv(y, 400);
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

void civilFromDays(qint64 z, qint64& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const qint64 era = floorDiv(z, 146097);
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = qint64(yoe) + era * 400 + (m <= 2);
}


const QTimeZone& localZone()
{
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone;
}

QDateTime utcDateTime(qint64 utc)
{
    return QDateTime::fromSecsSinceEpoch(utc, QTimeZone::utc());
}

int offsetAtUtc(qint64 utc)
{
    return localZone().offsetFromUtc(utcDateTime(utc));
}

// Both readings of a civil time: the offsets that, taken from the civil time, land on an
// instant where the zone really has that offset. Offsets three hours either side are the
// candidates; no zone changes twice within six hours.
ZoneReadings readingsOf(qint64 civil)
{
    const int before = offsetAtUtc(civil - 3 * 3600);
    const int after = offsetAtUtc(civil + 3 * 3600);
    auto fits = [&](int offset) { return offsetAtUtc(civil - offset) == offset; };
    ZoneReadings r;
    const bool early = fits(before);
    const bool late = after != before && fits(after);
    r.first = early || !late ? before : after;
    if (early && late)
        r.second = after;
    if (!early && !late) {
        r.skipped = true;
        r.second = after;
    }
    return r;
}

QString offsetText(int offset)
{
    const QChar sign = offset < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(sign)
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

std::optional<qint64> civilSeconds(QByteArrayView t)
{
    if (t.size() != 19)
        return std::nullopt;
    auto digits = [&t](int at, int count, unsigned& out) {
        out = 0;
        for (int i = at; i < at + count; ++i) {
            const char c = t[i];
            if (c < '0' || c > '9')
                return false;
            out = out * 10 + unsigned(c - '0');
        }
        return true;
    };
    for (const int at : {4, 7, 10, 13, 16})
        if (t[at] >= '0' && t[at] <= '9')
            return std::nullopt;
    unsigned y, mo, d, h, mi, s;
    if (!digits(0, 4, y) || !digits(5, 2, mo) || !digits(8, 2, d) || !digits(11, 2, h) ||
        !digits(14, 2, mi) || !digits(17, 2, s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    const qint64 days = daysFromCivil(y, mo, d);
    // A day the month does not have (2026/02/30, 2026/04/31) is no time, not the day it would
    // count on to.
    qint64 year;
    unsigned month, day;
    civilFromDays(days, year, month, day);
    if (month != mo)
        return std::nullopt;
    return days * SecondsPerDay + h * Hour + mi * 60 + s;
}

std::optional<qint64> CivilSecondsReader::read(QByteArrayView t)
{
    if (m_known && t.size() == 19 && std::memcmp(t.data(), m_date, sizeof m_date) == 0) {
        // The date (its separators included) was read as a day: only the time of day is left.
        auto two = [&t](int at) {
            const unsigned hi = unsigned(t[at] - '0');
            const unsigned lo = unsigned(t[at + 1] - '0');
            return hi <= 9 && lo <= 9 ? int(hi * 10 + lo) : -1;
        };
        const int h = two(11);
        const int mi = two(14);
        const int s = two(17);
        const bool separated = !(t[10] >= '0' && t[10] <= '9') && !(t[13] >= '0' && t[13] <= '9') &&
                               !(t[16] >= '0' && t[16] <= '9');
        if (!separated || h < 0 || mi < 0 || s < 0 || h > 23 || mi > 59 || s > 59)
            return std::nullopt;
        return m_day * SecondsPerDay + h * Hour + mi * 60 + s;
    }
    const std::optional<qint64> seconds = civilSeconds(t);
    if (seconds) {
        std::memcpy(m_date, t.data(), sizeof m_date);
        m_day = floorDiv(*seconds, SecondsPerDay);
        m_known = true;
    }
    return seconds;
}

QString civilTimeText(qint64 seconds)
{
    const qint64 days = floorDiv(seconds, SecondsPerDay);
    const qint64 sod = seconds - days * SecondsPerDay;
    qint64 y;
    unsigned m, d;
    civilFromDays(days, y, m, d);
    return QString::asprintf("%04lld/%02u/%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m,
                             d, static_cast<long long>(sod / Hour),
                             static_cast<long long>(sod % Hour / 60),
                             static_cast<long long>(sod % 60));
}

QString stampText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString isoText(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
           + QStringLiteral("%1%2:%3")
                 .arg(QChar(offset < 0 ? u'-' : u'+'))
                 .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                 .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}


QString isoLocalText(qint64 civilSeconds)
{
    QString text = civilTimeText(civilSeconds);
    // "yyyy/mm/dd hh:nn:ss", the year wider past 9999: the separators counted from the end.
    const qsizetype n = text.size();
    text[n - 15] = text[n - 12] = QLatin1Char('-');
    text[n - 9] = QLatin1Char('T');
    return n > 19 ? QLatin1Char('+') + text : text;
}

std::optional<qint64> isoLocalSeconds(QByteArrayView text)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    return civilSeconds(text);
}

namespace {

// The seconds east of UTC of an offset text ("Z", "+02:00", "+0200", "-05"), or nothing.
std::optional<int> offsetSeconds(QByteArrayView text)
{
    if (text == "Z")
        return 0;
    if (text.size() < 3 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    QByteArray digits = text.sliced(1).toByteArray();
    if (digits.size() == 5 && digits[2] == ':')
        digits.remove(2, 1);
    if (digits.size() != 2 && digits.size() != 4)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    const int hours = digits.size() == 2 ? value : value / 100;
    const int minutes = digits.size() == 2 ? 0 : value % 100;
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    return text[0] == '-' ? -seconds : seconds;
}

} // namespace

std::optional<qint64> isoTimeSeconds(QByteArrayView text)
{
    if (text.size() < 19)
        return std::nullopt;
    QByteArray local = text.first(19).toByteArray();
    if (local[10] == ' ')
        local[10] = 'T';
    const std::optional<qint64> civil = isoLocalSeconds(local);
    if (!civil || text.size() == 19)
        return civil;
    const std::optional<int> offset = offsetSeconds(text.sliced(19));
    if (!offset)
        return std::nullopt;
    const qint64 utc = *civil - *offset;
    return utc + offsetAtUtc(utc);
}

LocalTime LocalTime::after(qint64 seconds) const
{
    return valid ? localTimeAt(utc() + seconds) : LocalTime();
}

LocalTime localTimeAt(qint64 utc)
{
    const int offset = offsetAtUtc(utc);
    return {utc + offset, offset, true};
}

QString isoText(const LocalTime& time)
{
    return time.valid ? isoLocalText(time.civil) + offsetText(time.offset) : QString();
}

QString civilText(const LocalTime& time)
{
    return time.valid ? civilTimeText(time.civil) : QString();
}

ZoneReadings LocalZone::lookUp(qint64 civil)
{
    const ZoneReadings r = readingsOf(civil);
    const QTimeZone& zone = localZone();
    if (r.second || r.skipped || !zone.hasTransitions())
        return r;
    // The span around this time between the zone's changes, less the civil times a change
    // repeats or skips at either end.
    const qint64 utc = civil - r.first;
    const QTimeZone::OffsetData previous = zone.previousTransition(utcDateTime(utc + 1));
    const QTimeZone::OffsetData next = zone.nextTransition(utcDateTime(utc));
    qint64 from = std::numeric_limits<qint64>::min();
    qint64 to = std::numeric_limits<qint64>::max();
    if (previous.atUtc.isValid()) {
        const qint64 at = previous.atUtc.toSecsSinceEpoch();
        from = at + std::max(r.first, offsetAtUtc(at - 1));
    }
    if (next.atUtc.isValid())
        to = next.atUtc.toSecsSinceEpoch() + std::min(r.first, next.offsetFromUtc);
    if (from <= civil && civil < to) {
        m_from = from;
        m_to = to;
        m_offset = r.first;
    }
    return r;
}

qint64 LocalZone::steadyUntil(qint64 civil)
{
    readings(civil);
    return civil >= m_from && civil < m_to ? m_to : civil;
}

LocalTime LocalClock::readChange(qint64 civil)
{
    const ZoneReadings r = m_zone.readings(civil);
    int offset = r.first;
    if (!r.second || r.skipped) {
        m_later = false;
    } else {
        // Time going back into the repeated hour while the records go on: its second pass.
        if (civil < m_previousCivil && civil - *r.second > m_previousUtc)
            m_later = true;
        if (m_later)
            offset = *r.second;
    }
    return remember(civil, offset);
}

QString IsoTimeTexts::text(qint64 civil)
{
    return isoText(m_clock.read(civil));
}

} // namespace kirv
