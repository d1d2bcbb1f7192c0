#pragma once

#include "kirv/base/civil_time.h"
#include "kirv/records/datafile.h"
#include "kirv/records/recordstore.h"

#include <QByteArray>

#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

namespace kirv {

/// One record reduced to numbers, as every statistic reads it: the civil seconds of its time
/// text, its level in tenths of a dB as the 0.1 dB distribution classes it ("-" 25.0, "L" 145.0),
/// and what kind of reading it is. A text that holds none of the marks and does not start with a
/// finite number ("nan", "inf", "1e309", "abc"), or holds a NUL byte, is no level: Unreadable. Eight bytes a record, never the
/// record's texts: a five-million-record file fits in 40 MB.
struct LevelSample
{
    enum Flag : quint8 {
        Marked = 1, // "*": the meter paused; its level enters no statistic
        Empty = 2,  // no level at all (a reading taken while the link was lost); `tenths` is 0
        NoTime = 4, // the time text is not a civil time; `seconds` is 0
        InMask = 8, // the record lies in a span the user masked; also Empty, so nothing counts it
        Unreadable = 16, // a level text that is no level ("nan", "1e309", a NUL byte); also Empty
    };

    /// Seconds since 1970/01/01 00:00:00 read as civil time (years 0000..9999 fit in 40 bits).
    qint64 seconds : 40 = 0;
    /// The 0.1 dB class of the level, 0..1450.
    qint64 tenths : 16 = 0;
    /// Flag bits.
    qint64 flags : 8 = 0;

    /// Enters Leq, SEL, extremes and L(n): neither marked nor empty.
    bool counted() const { return (flags & (Marked | Empty)) == 0; }
    bool marked() const { return (flags & Marked) != 0; }
    bool empty() const { return (flags & Empty) != 0; }
    bool hasTime() const { return (flags & NoTime) == 0; }
    bool inMask() const { return (flags & InMask) != 0; }
    bool unreadable() const { return (flags & Unreadable) != 0; }
    double level() const { return double(tenths) / 10.0; }
};
static_assert(sizeof(LevelSample) == 8);

using LevelSeries = std::vector<LevelSample>;

/// The sample of one record's time and level texts: the one place where a record's texts turn
/// into numbers. A reader of the records in order passes its `times`, which read the dates
/// they share once.
LevelSample sampleOf(QByteArrayView time, QByteArrayView level, CivilSecondsReader* times = nullptr);

/// The samples of every record of a store, in list order.
LevelSeries seriesOf(const RecordStore& records);

/// A data file read for its statistics: what the reading found, the series of its records and
/// the few time texts a report states as they are stored.
struct DataFileSeries : DataFileReading
{
    LevelSeries samples;
    QByteArray firstTime; // time texts of the first and the last record
    QByteArray lastTime;
    qsizetype maxIndex = -1; // the first counted sample at the highest level, or -1
    QByteArray maxTime;      // its time text
};

/// Takes the records of a data file one at a time, as the reading finds them.
class SampleSink
{
public:
    virtual ~SampleSink() = default;
    /// One record: its time text as stored and its sample (sampleOf()).
    virtual void take(QByteArrayView time, const LevelSample& sample) = 0;
    /// The size of the file, before its first record is taken.
    virtual void sized(qint64 bytes) { Q_UNUSED(bytes); }
};

/// Largest file a reading that holds no record takes: what it keeps does not grow with the file.
inline constexpr qint64 MaxStreamedFileBytes = qint64(1) << 40;

/// Reads the data file `path` in blocks of a megabyte, handing each record to `sink` as its line
/// ends, and fills `out` with what the reading found (kind, header, stop, error). Its header is
/// in `out` before the first record is taken. Refuses what is not a regular file, or larger than
/// `maxBytes`, at once; a file that grows while it is read is read no further than `maxBytes`.
void readDataFileSamples(const QString& path, qint64 maxBytes, DataFileReading& out,
                         SampleSink& sink);

/// Reads the data file `path` in blocks, straight into its series: the records' texts are never
/// held. Refuses what is not a regular file, or larger than MaxDataFileBytes, at once.
DataFileSeries readDataFileSeries(const QString& path);
/// The same from the bytes of a whole file.
DataFileSeries parseDataFileSeries(QByteArrayView bytes);
/// The series of a file already read into a list.
DataFileSeries seriesOf(const DataFileContent& content);

} // namespace kirv
