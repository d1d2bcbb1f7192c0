#include "kirv/records/iso_time.h"

#include "kirv/records/report_values.h"

#include <QDateTime>
#include <QTimeZone>

namespace kirv {

namespace {

int offsetAtUtc(const QTimeZone& zone, qint64 utc)
{
    return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utc, QTimeZone::utc()));
}

// Both readings of a civil time: the offsets that, taken from the civil time, land on an
// instant where the zone really has that offset. Offsets three hours either side are the
// candidates; no zone changes twice within six hours.
std::pair<std::optional<int>, std::optional<int>> readings(qint64 civil)
{
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    const int before = offsetAtUtc(zone, civil - 3 * 3600);
    const int after = offsetAtUtc(zone, civil + 3 * 3600);
    auto fits = [&](int offset) { return offsetAtUtc(zone, civil - offset) == offset; };
    std::optional<int> first, second;
    if (fits(before))
        first = before;
    if (after != before && fits(after))
        (first ? second : first) = after;
    if (!first)
        first = before; // a skipped hour
    return {first, second};
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
    text[4] = text[7] = QLatin1Char('-');
    text[10] = QLatin1Char('T');
    return text;
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
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    const qint64 utc = *civil - *offset;
    return utc + offsetAtUtc(zone, utc);
}

int localOffsetOf(qint64 civilSeconds, bool later)
{
    const auto [first, second] = readings(civilSeconds);
    return later && second ? *second : *first;
}

QString IsoTimeTexts::text(qint64 civil)
{
    const auto [first, second] = readings(civil);
    if (!second)
        m_later = false;
    else if (m_previous && civil < *m_previous)
        m_later = true;
    m_previous = civil;
    return isoLocalText(civil) + offsetText(m_later && second ? *second : *first);
}

} // namespace kirv
