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
