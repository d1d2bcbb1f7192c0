#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace kirv {

/// "2026-03-04T08:30:05": civil seconds as an ISO 8601 local time without an offset.
QString isoLocalText(qint64 civilSeconds);
/// The civil seconds of "2026-03-04T08:30:05" (exactly that form), or nothing.
std::optional<qint64> isoLocalSeconds(QByteArrayView text);

/// The local civil seconds of an ISO 8601 time as people write it: the form above, also with a
/// blank for the "T", or followed by a UTC offset ("Z", "+02:00", "+0200", "-05"), which fixes
/// the instant that is then read in the local zone. Nothing for another text.
std::optional<qint64> isoTimeSeconds(QByteArrayView text);

/// ISO 8601 times with the local zone's UTC offset, "2026-03-04T08:30:05+01:00", for a run of
/// civil times in order. A civil time of the hour that a change back from summer time repeats
/// is read first with the summer offset and, once the times have stepped back into that hour,
/// with the winter one; a time in the hour skipped by the change forward takes the offset before
/// the change.
class IsoTimeTexts
{
public:
    QString text(qint64 civilSeconds);

private:
    std::optional<qint64> m_previous;
    bool m_later = false; // inside a repeated hour, on its second pass
};

/// The UTC offset in seconds that the local zone gives civil time `civilSeconds`; the earlier
/// reading (`later` false) or the later one of a repeated hour.
int localOffsetOf(qint64 civilSeconds, bool later);

} // namespace kirv
