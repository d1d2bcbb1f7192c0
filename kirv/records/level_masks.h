#pragma once

#include "kirv/records/datafile.h"
#include "kirv/base/clock.h"
#include "kirv/base/filestatus.h"
#include "kirv/base/login_name.h"
#include "kirv/records/level_series.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace kirv {

/// A span of a measurement left out of every figure: the records whose time lies from `start`
/// to `end` (civil seconds, both included), with the user's note.
struct MaskSpan
{
    qint64 start = 0;
    qint64 end = 0;
    QString note;

    bool holds(qint64 seconds) const { return seconds >= start && seconds <= end; }
    friend bool operator==(const MaskSpan&, const MaskSpan&) = default;
};

/// Spans in order of their start, none overlapping another.
using MaskSpans = std::vector<MaskSpan>;

/// A sample flag of our own beside LevelSample's: the record lies in a masked span. A masked
/// sample is also Empty, so it enters no statistic.
inline constexpr quint8 MaskedFlag = LevelSample::InMask;

/// The spans in order of their start, those that overlap or touch merged into one (their notes
/// joined in that order).
MaskSpans mergedSpans(MaskSpans spans);
/// The spans with `span` added: spans it overlaps or touches merge with it (their notes joined).
MaskSpans withSpan(const MaskSpans& spans, const MaskSpan& span);
/// The spans without the one that holds `seconds` (unchanged when none does).
MaskSpans withoutSpanAt(const MaskSpans& spans, qint64 seconds);

/// Flags samples read one at a time as maskedSeries() flags a series. Records in time order cost
/// no search: the span of the last record, or the gap after it, is looked at first.
class MaskLookup
{
public:
    /// `spans` (in order, none overlapping) must outlive the lookup.
    explicit MaskLookup(const MaskSpans& spans) : m_spans(spans) {}

    bool any() const { return !m_spans.empty(); }
    /// Whether a span holds `seconds`.
    bool holds(qint64 seconds);
    /// The sample flagged Masked and Empty when it has a time inside a span.
    LevelSample masked(LevelSample sample)
    {
        if (sample.hasTime() && any() && holds(sample.seconds))
            sample.flags |= MaskedFlag | LevelSample::Empty;
        return sample;
    }

private:
    const MaskSpans& m_spans;
    size_t m_next = 0; // the first span that starts after the last time looked up
};

/// The series with every sample that has a time inside a span flagged Masked and Empty. A series
/// moved in is flagged where it lies, without a second one.
LevelSeries maskedSeries(LevelSeries series, const MaskSpans& spans);
/// The records of `content` whose time lies in no span (records without a time stay), for the
/// figures computed from the record texts.
DataFileContent unmaskedContent(const DataFileContent& content, const MaskSpans& spans);

/// The sidecar beside a data file: "name.kirv" keeps its masks in "name.kirv.masks".
QString masksPath(const QString& dataPath);

/// The sidecar's text: one span a line, start and end as ISO 8601 local times separated by
/// white space, then the note if there is one. Empty lines and lines starting with "#" are
/// skipped. The reading also takes what people write by hand (isoTimeSeconds(): a blank for the
/// "T", a UTC offset) and a byte order mark before the first line.
QByteArray masksText(const MaskSpans& spans);

/// The spans of a sidecar's text, or the reason it cannot be used ("line 3: ..."); a text with
/// one bad line gives no spans at all.
struct MasksParse
{
    std::optional<MaskSpans> spans;
    QString error;
};
MasksParse parseMasks(QByteArrayView text);

/// Largest sidecar read; a bigger file is not one (a hundred thousand spans take about 4 MB).
inline constexpr qint64 MaxMasksBytes = qint64(64) << 20;

/// The masks of the data file at `dataPath`: none when it has no sidecar; `error` names the
/// sidecar and the reason when it cannot be read or parsed (and then no span applies).
struct MasksLoad
{
    MaskSpans spans;
    QString error;
};
MasksLoad loadMasks(const QString& dataPath);

/// Writes the sidecar whole or not at all; no spans remove it. Each span removed or added is a
/// line of the amendment log ("mask", the span's sidecar line as old or new value), written by
/// `login` at `when`; the manifest follows.
FileStatus saveMasks(const QString& dataPath, const MaskSpans& spans,
                     const QString& login = loginName(), const QDateTime& when = now());

} // namespace kirv
