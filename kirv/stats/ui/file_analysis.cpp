#include "kirv/stats/ui/file_analysis.h"

#include "kirv/base/numbertext.h"
#include "kirv/records/datafile.h"

#include <algorithm>
#include <cmath>

namespace kirv {

FileAnalysis::FileAnalysis(const QString& dataPath, LevelSeries series, double interval,
                           QObject* parent)
    : QObject(parent), m_dataPath(dataPath), m_whole(std::move(series)),
      m_interval(interval > 0.0 && std::isfinite(interval) ? interval : 1.0)
{
    setObjectName(QStringLiteral("FileAnalysis"));
    if (!dataPath.isEmpty()) {
        const MasksLoad load = loadMasks(dataPath);
        m_spans = load.spans;
        m_loadError = load.error;
    }
    m_masked = maskedSeries(m_whole, m_spans);
}

FileAnalysis* FileAnalysis::of(const QObject* window)
{
    return window ? window->findChild<FileAnalysis*>(QStringLiteral("FileAnalysis"),
                                                     Qt::FindDirectChildrenOnly)
                  : nullptr;
}

FileStatus FileAnalysis::apply(MaskSpans spans)
{
    if (spans == m_spans)
        return {};
    if (!m_dataPath.isEmpty()) {
        const FileStatus saved = saveMasks(m_dataPath, spans);
        if (!saved.ok())
            return saved;
    }
    m_spans = std::move(spans);
    m_masked = maskedSeries(m_whole, m_spans);
    emit masksChanged();
    return {};
}

FileStatus FileAnalysis::exclude(qint64 from, qint64 to, const QString& note)
{
    return apply(withSpan(m_spans, {std::min(from, to), std::max(from, to), note}));
}

FileStatus FileAnalysis::include(qint64 at)
{
    return apply(withoutSpanAt(m_spans, at));
}

RecordStore FileAnalysis::unmaskedRecords(const RecordStore& records) const
{
    DataFileContent content;
    content.records = records;
    return unmaskedContent(content, m_spans).records;
}

bool FileAnalysis::spanOfRecords(qsizetype first, qsizetype last, qint64& from, qint64& to) const
{
    const qsizetype n = qsizetype(m_whole.size());
    first = std::clamp<qsizetype>(first, 0, n - 1);
    last = std::clamp<qsizetype>(last, 0, n - 1);
    if (n == 0)
        return false;
    bool any = false;
    for (qsizetype i = std::min(first, last); i <= std::max(first, last); ++i) {
        const LevelSample& s = m_whole[size_t(i)];
        if (!s.hasTime())
            continue;
        from = any ? std::min(from, s.seconds) : s.seconds;
        to = any ? std::max(to, s.seconds) : s.seconds;
        any = true;
    }
    return any;
}

double intervalOfHeader(const QStringList& headerLines)
{
    if (headerLines.size() < RealTimeIntervalLine)
        return 1.0;
    const double t = numericValue(headerLines[RealTimeIntervalLine - 1]);
    return t > 0.0 && std::isfinite(t) ? t : 1.0;
}

} // namespace kirv
