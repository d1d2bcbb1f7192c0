#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <limits>
#include <optional>

namespace kirv {

inline constexpr qint64 SecondsPerDay = 86400;

// a / b rounded toward minus infinity: the day of a civil second before 1970 is negative.
constexpr qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Seconds since 1970/01/01 00:00:00 of a time text "yyyy/mm/dd hh:nn:ss" read as civil time
// (any single separators), or empty when the text is not such a time.
std::optional<qint64> civilSeconds(QByteArrayView timeText);
// civilSeconds() for time texts read one after another: the day of a text whose date is the
// one of the text before is not worked out again.
class CivilSecondsReader
{
public:
    std::optional<qint64> read(QByteArrayView timeText);

private:
    char m_date[10] = {};
    qint64 m_day = 0; // days since 1970/01/01 of m_date
    bool m_known = false;
};
// The time text of civil seconds, "yyyy/mm/dd hh:nn:ss".
QString civilTimeText(qint64 seconds);
// "yyyy/mm/dd hh:nn:ss", the pattern of every stored or shown time, of a clock reading.
QString stampText(const QDateTime& time);
// ISO 8601 local time with its UTC offset: "2026-12-08T23:59:59+01:00".
QString isoText(const QDateTime& time);

/// "2026-03-04T08:30:05": civil seconds as an ISO 8601 local time without an offset; a year past
/// 9999 in the expanded form "+10000-01-01T00:00:00".
QString isoLocalText(qint64 civilSeconds);
/// The civil seconds of "2026-03-04T08:30:05" (exactly that form), or nothing.
std::optional<qint64> isoLocalSeconds(QByteArrayView text);

/// The local civil seconds of an ISO 8601 time as people write it: the form above, also with a
/// blank for the "T", or followed by a UTC offset ("Z", "+02:00", "+0200", "-05"), which fixes
/// the instant that is then read in the local zone. Nothing for another text.
std::optional<qint64> isoTimeSeconds(QByteArrayView text);

/// A local time that names one instant: civil seconds and the UTC offset that held then.
/// `valid` is false for a record whose time text is not a civil time.
struct LocalTime
{
    qint64 civil = 0;
    int offset = 0;
    bool valid = false;

    qint64 utc() const { return civil - offset; }
    /// The same clock `seconds` later in real time, in the offset that holds then.
    LocalTime after(qint64 seconds) const;
};

/// The local time of an instant (seconds since 1970 UTC).
LocalTime localTimeAt(qint64 utc);
/// "2026-03-04T08:30:05+01:00", or empty for an invalid time.
QString isoText(const LocalTime& time);
/// "2026/03/04 08:30:05", or empty for an invalid time.
QString civilText(const LocalTime& time);

/// How the local zone reads one civil time: with one offset, with two (the hour a change back
/// from summer time repeats: `first` the earlier pass, `second` the later), or with none (the hour
/// a change forward skips: `first` the offset before the change, `second` the one after).
struct ZoneReadings
{
    int first = 0;
    std::optional<int> second;
    bool skipped = false;
};

/// The local zone's readings of civil times. Between two changes of the zone every civil time
/// reads alike; that span is remembered, so times near each other cost a comparison each.
class LocalZone
{
public:
    ZoneReadings readings(qint64 civil)
    {
        if (civil >= m_from && civil < m_to)
            return {m_offset, std::nullopt, false};
        return lookUp(civil);
    }
    /// The end of the span of civil times around `civil` that all read with one offset, or
    /// `civil` itself when it is repeated or skipped (or the zone tells nothing of its changes).
    qint64 steadyUntil(qint64 civil);

private:
    friend class LocalClock;
    ZoneReadings lookUp(qint64 civil);

    qint64 m_from = 1; // civil times [from, to) that read with the one offset `m_offset`
    qint64 m_to = 0;
    int m_offset = 0;
};

/// The civil times of records read in record order as instants. A time of an hour that a change
/// back from summer time repeats is read on its first pass until the times step back into that
/// hour while real time goes on (the later reading lies after the previous record); from then on
/// it is read on the second pass. A time in a skipped hour takes the offset before the change.
class LocalClock
{
public:
    LocalTime read(qint64 civil)
    {
        if (civil >= m_zone.m_from && civil < m_zone.m_to) {
            m_later = false;
            return remember(civil, m_zone.m_offset);
        }
        return readChange(civil);
    }

private:
    LocalTime readChange(qint64 civil);
    LocalTime remember(qint64 civil, int offset)
    {
        m_previousCivil = civil;
        m_previousUtc = civil - offset;
        return {civil, offset, true};
    }

    LocalZone m_zone;
    qint64 m_previousCivil = std::numeric_limits<qint64>::min(); // none yet: no time lies before
    qint64 m_previousUtc = 0;
    bool m_later = false; // inside a repeated hour, on its second pass
};

/// ISO 8601 times with the local zone's UTC offset, "2026-03-04T08:30:05+01:00", for a run of
/// civil times in order, read as LocalClock reads them.
class IsoTimeTexts
{
public:
    QString text(qint64 civilSeconds);

private:
    LocalClock m_clock;
};


} // namespace kirv
