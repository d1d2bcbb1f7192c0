#include "kirv/records/level_masks.h"

#include "kirv/records/iso_time.h"
#include "kirv/records/report_values.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kirv {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView nextWord(QByteArrayView& rest)
{
    qsizetype i = 0;
    while (i < rest.size() && isSpace(rest[i]))
        ++i;
    qsizetype j = i;
    while (j < rest.size() && !isSpace(rest[j]))
        ++j;
    const QByteArrayView word = rest.sliced(i, j - i);
    rest = rest.sliced(j);
    return word;
}

QString trimmedNote(QByteArrayView rest)
{
    return QString::fromUtf8(rest).trimmed();
}

// The span holding `seconds`, or the end of the spans.
MaskSpans::const_iterator spanAt(const MaskSpans& spans, qint64 seconds)
{
    auto it = std::upper_bound(spans.begin(), spans.end(), seconds,
                               [](qint64 s, const MaskSpan& span) { return s < span.start; });
    if (it == spans.begin())
        return spans.end();
    --it;
    return it->holds(seconds) ? it : spans.end();
}

} // namespace

MaskSpans withSpan(const MaskSpans& spans, const MaskSpan& added)
{
    MaskSpan span = added;
    if (span.end < span.start)
        std::swap(span.start, span.end);
    MaskSpans out;
    QStringList notes;
    for (const MaskSpan& s : spans) {
        if (s.end + 1 < span.start || s.start > span.end + 1) {
            out.push_back(s);
            continue;
        }
        span.start = std::min(span.start, s.start);
        span.end = std::max(span.end, s.end);
        if (!s.note.isEmpty())
            notes << s.note;
    }
    if (!span.note.isEmpty())
        notes << span.note;
    span.note = notes.join(QStringLiteral("; "));
    out.insert(std::upper_bound(out.begin(), out.end(), span,
                                [](const MaskSpan& a, const MaskSpan& b) { return a.start < b.start; }),
               span);
    return out;
}

MaskSpans withoutSpanAt(const MaskSpans& spans, qint64 seconds)
{
    MaskSpans out = spans;
    const auto it = spanAt(spans, seconds);
    if (it != spans.end())
        out.erase(out.begin() + (it - spans.begin()));
    return out;
}

LevelSeries maskedSeries(LevelSeries series, const MaskSpans& spans)
{
    if (spans.empty())
        return series;
    for (LevelSample& s : series)
        if (s.hasTime() && spanAt(spans, s.seconds) != spans.end())
            s.flags |= MaskedFlag | LevelSample::Empty;
    return series;
}

DataFileContent unmaskedContent(const DataFileContent& content, const MaskSpans& spans)
{
    DataFileContent out;
    out.kind = content.kind;
    out.headerLines = content.headerLines;
    out.lineCount = content.lineCount;
    out.stoppedAtLine = content.stoppedAtLine;
    out.error = content.error;
    const RecordStore& records = content.records;
    if (spans.empty()) {
        out.records = records;
        return out;
    }
    for (qsizetype i = 0; i < records.count(); ++i) {
        const std::optional<qint64> t = civilSeconds(records.field(i, TimeColumn));
        if (!t || spanAt(spans, *t) == spans.end())
            out.records.append(records.field(i, NumberColumn), records.field(i, TimeColumn),
                               records.field(i, LevelColumn));
    }
    return out;
}

QString masksPath(const QString& dataPath)
{
    return dataPath + QStringLiteral(".masks");
}

QByteArray masksText(const MaskSpans& spans)
{
    QByteArray out;
    for (const MaskSpan& s : spans) {
        out += isoLocalText(s.start).toLatin1() + ' ' + isoLocalText(s.end).toLatin1();
        // A note is one line; line ends a user typed become blanks.
        QString note = s.note;
        note.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        if (!note.trimmed().isEmpty())
            out += ' ' + note.trimmed().toUtf8();
        out += '\n';
    }
    return out;
}

MasksParse parseMasks(QByteArrayView text)
{
    MaskSpans spans;
    qsizetype lineNumber = 0;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            end = text.size();
        QByteArrayView rest = text.sliced(at, end - at);
        at = end + 1;
        ++lineNumber;
        auto bad = [lineNumber](const char* reason) {
            return MasksParse{std::nullopt,
                              QStringLiteral("line %1: %2").arg(lineNumber).arg(QLatin1String(reason))};
        };
        const QByteArrayView first = nextWord(rest);
        if (first.isEmpty() || first.startsWith('#'))
            continue;
        const QByteArrayView second = nextWord(rest);
        const std::optional<qint64> start = isoLocalSeconds(first);
        if (!start)
            return bad("the start is not a time such as 2026-03-04T08:30:05");
        const std::optional<qint64> stop = isoLocalSeconds(second);
        if (!stop)
            return bad("the end is not a time such as 2026-03-04T08:30:05");
        if (*stop < *start)
            return bad("the end lies before the start");
        spans = withSpan(spans, {*start, *stop, trimmedNote(rest)});
    }
    return {spans, {}};
}

MasksLoad loadMasks(const QString& dataPath)
{
    const QString path = masksPath(dataPath);
    QFile file(path);
    if (!file.exists())
        return {};
    // A sidecar is a few lines; anything beyond a few megabytes is not one.
    constexpr qint64 Limit = 4 << 20;
    if (!file.open(QIODevice::ReadOnly))
        return {{}, FileStatus::failure("read", path, file.errorString()).error};
    if (file.size() > Limit)
        return {{}, FileStatus::failure("use", path, QStringLiteral("the file is too large")).error};
    const QByteArray text = file.readAll();
    const MasksParse parse = parseMasks(text);
    if (!parse.spans)
        return {{}, FileStatus::failure("use", path, parse.error).error};
    return {*parse.spans, {}};
}

FileStatus saveMasks(const QString& dataPath, const MaskSpans& spans)
{
    const QString path = masksPath(dataPath);
    if (spans.empty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            return FileStatus::failure("remove", path, QStringLiteral("the file stays"));
        return {};
    }
    const QByteArray text = masksText(spans);
    return replaceFile(path, [&text](QIODevice& out) { return out.write(text) == text.size(); });
}

} // namespace kirv
