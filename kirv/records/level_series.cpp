#include "kirv/records/level_series.h"

#include "kirv/analysis/exceedance.h"
#include "kirv/records/report_values.h"

namespace kirv {

namespace {

bool blank(QByteArrayView text)
{
    for (const char c : text)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

} // namespace

LevelSample sampleOf(QByteArrayView time, QByteArrayView level)
{
    LevelSample sample;
    if (const std::optional<qint64> seconds = civilSeconds(time))
        sample.seconds = *seconds;
    else
        sample.flags |= LevelSample::NoTime;
    if (blank(level)) {
        sample.flags |= LevelSample::Empty;
        return sample;
    }
    if (const std::optional<int> tenths = levelClass(level, Resolution::Fine))
        sample.tenths = qint16(*tenths);
    else
        sample.flags |= LevelSample::Marked;
    return sample;
}

LevelSeries seriesOf(const RecordStore& records)
{
    LevelSeries series;
    series.reserve(size_t(records.count()));
    for (qsizetype i = 0; i < records.count(); ++i)
        series.push_back(sampleOf(records.field(i, TimeColumn), records.field(i, LevelColumn)));
    return series;
}

} // namespace kirv
