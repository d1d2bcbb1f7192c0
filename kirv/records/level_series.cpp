#include "kirv/records/level_series.h"

#include "kirv/base/level_class.h"
#include "kirv/base/numbertext.h"
#include "kirv/base/native_names.h"
#include "kirv/records/datafile_lines.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/civil_time.h"

#include <QFile>

#include <string>

namespace kirv {

namespace {

bool blank(QByteArrayView text)
{
    for (const char c : text)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

// Whether a level text that is not blank is a level: one of the marks decides it ("*", "-",
// "L"), or it starts with a finite number (blanks ignored). A NUL byte is never part of a level.
bool readableLevel(QByteArrayView level)
{
    if (level.contains('\0'))
        return false;
    bool general = false; // a sign or an exponent: the general number reader decides
    for (const char c : level) {
        if (c == '*' || c == '-' || c == 'L')
            return true;
        general |= c == '+' || c == 'e' || c == 'E';
    }
    qsizetype i = 0;
    while (i < level.size() && (level[i] == ' ' || level[i] == '\t'))
        ++i;
    if (i == level.size())
        return false;
    const bool digit = level[i] >= '0' && level[i] <= '9';
    if (digit && !general)
        return true;
    if (!digit && level[i] != '+' && level[i] != '.')
        return false;
    return leadingNumber(QString::fromUtf8(level.sliced(i))).has_value();
}

// Appends samples and keeps the time texts a report states as stored.
class SeriesBuilder
{
public:
    explicit SeriesBuilder(DataFileSeries& out) : m_out(out) {}

    void add(QByteArrayView time, QByteArrayView level) { add(time, sampleOf(time, level)); }
    void add(QByteArrayView time, const LevelSample& sample)
    {
        if (m_out.samples.empty())
            m_out.firstTime = time.toByteArray();
        m_last.assign(time.data(), size_t(time.size()));
        if (sample.counted() && (m_out.maxIndex < 0 || sample.tenths > m_maxTenths)) {
            m_out.maxIndex = qsizetype(m_out.samples.size());
            m_out.maxTime = time.toByteArray();
            m_maxTenths = sample.tenths;
        }
        m_out.samples.push_back(sample);
    }

    void finish() { m_out.lastTime = QByteArray(m_last.data(), qsizetype(m_last.size())); }

private:
    DataFileSeries& m_out;
    std::string m_last;
    qint64 m_maxTenths = 0;
};

// A record line holds at least a number, a time and a level; a guess this short reserves room
// for the records of a file as written once, without the copies of a growing series.
constexpr qint64 TypicalRecordBytes = 24;

} // namespace

LevelSample sampleOf(QByteArrayView time, QByteArrayView level, CivilSecondsReader* times)
{
    LevelSample sample;
    if (const std::optional<qint64> seconds = times ? times->read(time) : civilSeconds(time))
        sample.seconds = *seconds;
    else
        sample.flags |= LevelSample::NoTime;
    if (blank(level)) {
        sample.flags |= LevelSample::Empty;
        return sample;
    }
    if (!readableLevel(level)) {
        sample.flags |= LevelSample::Empty | LevelSample::Unreadable;
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

namespace kirv {

namespace {

// The reading of a file, fed block after block, hands each record's sample to a sink.
class SampleReading
{
public:
    SampleReading(DataFileReading& out, SampleSink& sink) : m_sink(sink), m_walk(out) {}

    void feed(QByteArrayView block) { m_walk.feed(block, Record{m_sink, m_times}); }
    void finish() { m_walk.finish(Record{m_sink, m_times}); }

private:
    struct Record
    {
        SampleSink& sink;
        CivilSecondsReader& times;
        void operator()(const QByteArrayView (&fields)[RecordColumnCount], qsizetype) const
        {
            sink.take(fields[TimeColumn], sampleOf(fields[TimeColumn], fields[LevelColumn], &times));
        }
    };

    SampleSink& m_sink;
    CivilSecondsReader m_times;
    DataFileLines m_walk;
};

// The series as a sink.
class SeriesSink final : public SampleSink
{
public:
    explicit SeriesSink(DataFileSeries& out) : m_out(out), m_builder(out) {}
    void finish() { m_builder.finish(); }

    void take(QByteArrayView time, const LevelSample& sample) override { m_builder.add(time, sample); }
    void sized(qint64 bytes) override
    {
        m_out.samples.reserve(size_t(bytes / TypicalRecordBytes + 1));
    }

private:
    DataFileSeries& m_out;
    SeriesBuilder m_builder;
};

} // namespace

void readDataFileSamples(const QString& path, qint64 maxBytes, DataFileReading& out,
                         SampleSink& sink)
{
    QFile file;
    if (const FileStatus opened = openRegularFile(file, path, maxBytes); !opened.ok()) {
        out.error = opened.error;
        return;
    }
    sink.sized(file.size());
    SampleReading reading(out, sink);
    constexpr qint64 BlockBytes = qint64(1) << 20;
    QByteArray block(BlockBytes, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.read(block.data(), BlockBytes);
        if (got < 0) {
            out.error = FileStatus::failure("read", shownName(path), file.errorString()).error;
            return;
        }
        // The size was checked at the open; a file that grows meanwhile is read no further.
        total += got;
        if (got == 0 || total > maxBytes)
            break;
        reading.feed(QByteArrayView(block.constData(), got));
    }
    reading.finish();
}

DataFileSeries readDataFileSeries(const QString& path)
{
    DataFileSeries series;
    SeriesSink sink(series);
    readDataFileSamples(path, MaxDataFileBytes, series, sink);
    sink.finish();
    return series;
}

DataFileSeries parseDataFileSeries(QByteArrayView bytes)
{
    DataFileSeries series;
    SeriesSink sink(series);
    SampleReading reading(series, sink);
    reading.feed(bytes);
    reading.finish();
    sink.finish();
    return series;
}

DataFileSeries seriesOf(const DataFileContent& content)
{
    DataFileSeries series;
    static_cast<DataFileReading&>(series) = content;
    series.samples.reserve(size_t(content.records.count()));
    SeriesBuilder builder(series);
    for (qsizetype i = 0; i < content.records.count(); ++i)
        builder.add(content.records.field(i, TimeColumn), content.records.field(i, LevelColumn));
    builder.finish();
    return series;
}

} // namespace kirv
