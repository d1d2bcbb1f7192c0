#include "kirv/records/iso_time.h"

#include "kirv/records/report_values.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <limits>

namespace kirv {

namespace {

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

int localOffsetOf(qint64 civilSeconds, bool later)
{
    const ZoneReadings r = readingsOf(civilSeconds);
    return later && r.second && !r.skipped ? *r.second : r.first;
}

QString IsoTimeTexts::text(qint64 civil)
{
    return isoText(m_clock.read(civil));
}

} // namespace kirv
