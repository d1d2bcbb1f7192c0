#include "kirv/records/level_masks.h"

#include "kirv/base/civil_time.h"
#include "kirv/records/amendment_log.h"
#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/replace_file.h"
#include "kirv/base/text_lines.h"

#include <QFile>

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

// The next time of a line: one word, or a date and a time apart ("2026-03-04 08:30:05").
QByteArray nextTime(QByteArrayView& rest)
{
    QByteArray time = nextWord(rest).toByteArray();
    if (time.size() == 10 && time[4] == '-' && time[7] == '-') {
        QByteArrayView after = rest;
        const QByteArrayView clock = nextWord(after);
        if (clock.size() >= 8 && clock[2] == ':') {
            time += ' ' + clock.toByteArray();
            rest = after;
        }
    }
    return time;
}

} // namespace

MaskSpans mergedSpans(MaskSpans spans)
{
    // Sorted once, then each span either joins the last one kept or starts a new one: a
    // sidecar of a hundred thousand lines merges in one pass.
    std::stable_sort(spans.begin(), spans.end(),
                     [](const MaskSpan& a, const MaskSpan& b) { return a.start < b.start; });
    MaskSpans out;
    out.reserve(spans.size());
    for (MaskSpan& s : spans) {
        if (out.empty() || s.start > out.back().end + 1) {
            out.push_back(std::move(s));
            continue;
        }
        MaskSpan& last = out.back();
        last.end = std::max(last.end, s.end);
        if (!s.note.isEmpty())
            last.note += (last.note.isEmpty() ? QString() : QStringLiteral("; ")) + s.note;
    }
    return out;
}

MaskSpans withSpan(const MaskSpans& spans, const MaskSpan& added)
{
    MaskSpans out = spans;
    out.push_back(added);
    if (out.back().end < out.back().start)
        std::swap(out.back().start, out.back().end);
    return mergedSpans(std::move(out));
}

MaskSpans withoutSpanAt(const MaskSpans& spans, qint64 seconds)
{
    MaskSpans out = spans;
    const auto it = spanAt(spans, seconds);
    if (it != spans.end())
        out.erase(out.begin() + (it - spans.begin()));
    return out;
}

bool MaskLookup::holds(qint64 seconds)
{
    // The spans before m_next start at or before the last time, the others after it; a time
    // within the same bounds keeps m_next.
    const bool after = m_next == 0 || seconds >= m_spans[m_next - 1].start;
    const bool before = m_next == m_spans.size() || seconds < m_spans[m_next].start;
    if (!after || !before)
        m_next = size_t(std::upper_bound(m_spans.begin(), m_spans.end(), seconds,
                                         [](qint64 s, const MaskSpan& span) { return s < span.start; })
                        - m_spans.begin());
    return m_next > 0 && m_spans[m_next - 1].holds(seconds);
}

LevelSeries maskedSeries(LevelSeries series, const MaskSpans& spans)
{
    MaskLookup lookup(spans);
    for (LevelSample& s : series)
        s = lookup.masked(s);
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
    if (text.startsWith("\xEF\xBB\xBF")) // the byte order mark some editors put first
        text = text.sliced(3);
    MaskSpans spans;
    MasksParse failed;
    const bool read = forEachLine(text, [&](qsizetype lineNumber, QByteArrayView rest) {
        auto bad = [&](const char* reason) {
            failed.error = QStringLiteral("line %1: %2").arg(lineNumber).arg(QLatin1String(reason));
            return false;
        };
        QByteArrayView peek = rest;
        const QByteArrayView first = nextWord(peek);
        if (first.isEmpty() || first.startsWith('#'))
            return true;
        const std::optional<qint64> start = isoTimeSeconds(nextTime(rest));
        if (!start)
            return bad("the start is not a time such as 2026-03-04T08:30:05");
        const std::optional<qint64> stop = isoTimeSeconds(nextTime(rest));
        if (!stop)
            return bad("the end is not a time such as 2026-03-04T08:30:05");
        if (*stop < *start)
            return bad("the end lies before the start");
        spans.push_back({*start, *stop, trimmedNote(rest)});
        return true;
    });
    if (!read)
        return failed;
    return {mergedSpans(std::move(spans)), {}};
}

MasksLoad loadMasks(const QString& dataPath)
{
    const QString path = masksPath(dataPath);
    if (!QFile::exists(path))
        return {};
    QByteArray text;
    if (const FileStatus read = readRegularFile(path, MaxMasksBytes, text); !read.ok())
        return {{}, read.error};
    const MasksParse parse = parseMasks(text);
    if (!parse.spans)
        return {{}, FileStatus::failure("use", shownName(path), parse.error).error};
    return {*parse.spans, {}};
}

FileStatus saveMasks(const QString& dataPath, const MaskSpans& spans, const QString& login,
                     const QDateTime& when)
{
    const QString path = masksPath(dataPath);
    const MasksLoad before = loadMasks(dataPath);
    // The amendments: the spans no longer there, then the new ones, each as its sidecar line.
    QList<Amendment> changes;
    if (!before.error.isEmpty())
        changes.append({QStringLiteral("masks"), QStringLiteral("(unreadable: %1)").arg(before.error),
                        QString::fromUtf8(masksText(spans)).trimmed()});
    else {
        const auto spanText = [](const MaskSpan& s) { return QString::fromUtf8(masksText({s})).trimmed(); };
        for (const MaskSpan& s : before.spans)
            if (std::find(spans.begin(), spans.end(), s) == spans.end())
                changes.append({QStringLiteral("mask"), spanText(s), {}});
        for (const MaskSpan& s : spans)
            if (std::find(before.spans.begin(), before.spans.end(), s) == before.spans.end())
                changes.append({QStringLiteral("mask"), {}, spanText(s)});
    }
    if (const FileStatus written = replaceOrRemove(path, spans.empty() ? QByteArray() : masksText(spans));
        !written.ok())
        return written;
    return recordAmendments(dataPath, path, changes, login, when);
}

} // namespace kirv
