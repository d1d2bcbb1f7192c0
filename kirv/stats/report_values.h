#pragma once

#include "kirv/stats/exceedance.h"
#include "kirv/stats/analysis_values.h"
#include "kirv/stats/report_evidence.h"
#include "kirv/records/datafile.h"
#include "kirv/base/civil_time.h"
#include "kirv/records/level_series.h"

#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace kirv {

/// Energy-average level of the counted records of one clock-aligned period.
struct PeriodLevel
{
    QString start; // "yyyy/mm/dd hh:nn:ss"
    qint64 records = 0;
    double leq = 0.0; // tenth-truncated
    int offset = 0;   // the UTC offset at the start: a repeated hour has one period per pass

    friend bool operator==(const PeriodLevel&, const PeriodLevel&) = default;
};

/// Number of exceedance entries L(0)..L(99).
inline constexpr int ExceedanceEntries = ExceedanceTable::Entries;
using ExceedanceLevels = std::array<std::optional<double>, ExceedanceEntries>;

/// Everything a noise report states about one data file. Levels are in dB; a missing value (no
/// counted record, no record in a part of the day) is empty. Marked records ("*", the meter
/// paused) are "paused", records without a level "empty"; every other record is "counted" and
/// enters the levels. Every level is tenth-truncated (tenthValue()).
struct ReportValues
{
    QString file;
    DataFileKind kind = DataFileKind::PlainList;
    bool complete = true;     // read to the end of the file
    qint64 unreadLines = 0;   // lines from the one that stopped the reading to the end
    double interval = 1.0; // T in seconds: header line 2 (a whole 1..86400), otherwise 1
    qint64 records = 0;
    qint64 counted = 0;
    qint64 paused = 0;
    qint64 empty = 0; // records without a level
    qint64 unreadable = 0; // records whose level text is no level (LevelSample::Unreadable)
    QString start; // time texts of the first and last record, as stored
    QString end;
    LocalTime startAt; // the same as local times, read in record order; invalid for a text
    LocalTime endAt;   // that is not a civil time
    std::optional<double> leq;
    std::optional<double> sel; // leq + 10 log10(counted x T)
    std::optional<double> lmax;
    QString lmaxTime; // the first counted record at the maximum
    LocalTime lmaxAt;
    std::optional<double> lmin;
    ExceedanceLevels exceedance; // L(0)..L(99) of the 0.1 dB distribution
    qint64 gaps = 0;
    double gapSeconds = 0.0;
    QList<PeriodLevel> periods;
    std::optional<double> ld; // 07:00-19:00
    std::optional<double> le; // 19:00-23:00
    std::optional<double> ln; // 23:00-07:00
    std::optional<double> lden;
    double coverageDay = 0.0; // 0..1, three decimals
    double coverageEvening = 0.0;
    double coverageNight = 0.0;
    AnalysisValues analysis; // periods with their levels, events, exposure: kirv-report fills it
    ReportEvidence evidence; // details, calibration check, masks and SHA-256 of a file's report

    std::optional<double> exceedanceAt(int j) const { return exceedance[size_t(j)]; }
};

/// What the report page draws beside the values: the level trace reduced to columns, and the
/// 0.1 dB distribution of the counted records.
struct ReportSeries
{
    struct Column
    {
        double low = 0.0; // lowest and highest counted level of the column's records
        double high = 0.0;
        bool counted = false; // the column holds a counted record
        bool paused = false;  // the column holds a marked record
    };
    std::vector<Column> columns;    // records spread evenly over the columns, in list order
    std::vector<qint64> fineCounts; // count of each 0.1 dB class (0..1450)
};

/// Default and limits of the period length in minutes.
inline constexpr int DefaultPeriodMinutes = 15;
inline constexpr int MaxPeriodMinutes = 1440;

/// Text of the file kind: "real-time", "logger" or "plain".
QString reportKindText(DataFileKind kind);


/// The sampling interval of a file's header when it is a whole number of seconds from 1 to
/// 86400; otherwise nothing, and `rejected` (when given) gets the header's text if there was one.
std::optional<double> headerInterval(const DataFileReading& reading, QString* rejected);
/// What a report says about a file on the side: an interval taken as 1 s, a reading that stopped
/// before the end of the file.
QStringList reportWarnings(const QString& file, const DataFileReading& reading);
/// The same, and how many records outside the masks have a level text that is no level.
QStringList reportWarnings(const QString& file, const DataFileSeries& series);
/// The same when that many were counted as the records went by (ReportValues::unreadable).
QStringList reportWarnings(const QString& file, const DataFileReading& reading, qint64 unreadable);

/// The report values a reading gives before its records: the name, kind, completeness and T.
ReportValues reportHeadValues(const QString& file, const DataFileReading& reading);

/// The figures of the report values summed one sample at a time, in record order.
class ReportFigures
{
public:
    /// `periodMinutes` as computeReport() takes it; T is `interval` seconds. Without `periods`
    /// the periods are left to the caller, who has a period table of the same samples.
    ReportFigures(double interval, int periodMinutes, bool periods = true);
    ~ReportFigures();
    ReportFigures(const ReportFigures&) = delete;
    ReportFigures& operator=(const ReportFigures&) = delete;

    /// A sample (masks applied) at `time` as a LocalClock read it (invalid without a time).
    void add(const LevelSample& sample, const LocalTime& time);
    /// Fills `v` with the figures, and the texts the records' times are stated as: those of the
    /// first and the last record and of the first counted one at the maximum.
    void finish(ReportValues& v, QByteArrayView firstTime, QByteArrayView lastTime,
                QByteArrayView maxTime);

private:
    struct Sums;
    std::unique_ptr<Sums> m;
};

/// The report values of a read data file; `file` is the name to report it under.
/// `periodMinutes` (1..1440) sets the clock-aligned periods, counted from each local midnight
/// as PeriodClock cuts them. Gaps and the day parts' coverage count real seconds.
ReportValues computeReport(const QString& file, const DataFileSeries& series,
                           int periodMinutes = DefaultPeriodMinutes);
ReportValues computeReport(const QString& file, const DataFileContent& content,
                           int periodMinutes = DefaultPeriodMinutes);

/// The columns the report page's level trace is reduced to.
inline constexpr int ReportSeriesColumns = 600;

/// The plot and distribution data of a read data file for the report page.
ReportSeries computeReportSeries(const DataFileSeries& series, int columns = ReportSeriesColumns);
ReportSeries computeReportSeries(const DataFileContent& content, int columns = ReportSeriesColumns);

/// The same data built one sample at a time, in record order, once the record count is known.
class ReportSeriesBuilder
{
public:
    ReportSeriesBuilder(qsizetype records, int columns);
    /// The next record's sample (masks applied); those past the count are left out.
    void add(const LevelSample& sample);
    ReportSeries finish() { return std::move(m_series); }

private:
    ReportSeries m_series;
    qsizetype m_records;
    qsizetype m_index = 0;
};

/// One file's report: the values, the page's plot data and the header lines as stored, or the
/// reason the file could not be read.
struct FileReport
{
    QString error; // names the file and the reason; empty when the file was read
    QStringList warnings; // reportWarnings()
    QStringList headerLines;
    ReportValues values;
    ReportSeries series;

    bool ok() const { return error.isEmpty(); }
};

} // namespace kirv
