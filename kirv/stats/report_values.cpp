#include "kirv/stats/report_values.h"

#include "kirv/base/civil_time.h"
#include "kirv/base/decibels.h"
#include "kirv/base/numbertext.h"
#include "kirv/base/native_names.h"
#include "kirv/stats/class_energy.h"
#include "kirv/stats/day_parts.h"
#include "kirv/stats/period_table.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace kirv {

namespace {

constexpr qint64 Hour = 3600;

std::optional<double> truncatedTenth(const ClassEnergy& level, double value)
{
    if (level.count() <= 0 || !std::isfinite(value))
        return std::nullopt;
    return tenthValue(value);
}

double coverage(qint64 counted, double interval, qint64 partSeconds)
{
    if (partSeconds <= 0)
        return 0.0;
    const double share = double(counted) * interval / double(partSeconds);
    return std::round(std::clamp(share, 0.0, 1.0) * 1000.0) / 1000.0;
}

} // namespace

QString reportKindText(DataFileKind kind)
{
    switch (kind) {
    case DataFileKind::RealTime:
        return QStringLiteral("real-time");
    case DataFileKind::Logger:
        return QStringLiteral("logger");
    case DataFileKind::PlainList:
        break;
    }
    return QStringLiteral("plain");
}

std::optional<double> headerInterval(const DataFileReading& reading, QString* rejected)
{
    if (reading.kind == DataFileKind::PlainList || reading.headerLines.size() < RealTimeIntervalLine)
        return std::nullopt;
    const QString text = reading.headerLine(RealTimeIntervalLine);
    const double t = numericValue(text);
    if (std::isfinite(t) && t >= 1.0 && t <= double(SecondsPerDay) && t == std::floor(t))
        return t;
    if (rejected)
        *rejected = text;
    return std::nullopt;
}

QStringList reportWarnings(const QString& file, const DataFileReading& reading)
{
    QStringList warnings;
    QString rejected;
    if (!headerInterval(reading, &rejected) && !rejected.isNull())
        warnings << QStringLiteral("%1: the sampling interval \"%2\" is not a whole number of "
                                   "seconds from 1 to 86400; 1 s is taken")
                        .arg(QDir::toNativeSeparators(shownName(file)), rejected);
    if (!reading.complete())
        warnings << reading.stopNotice(file);
    return warnings;
}

QStringList reportWarnings(const QString& file, const DataFileSeries& series)
{
    const auto unreadable = std::count_if(series.samples.begin(), series.samples.end(),
                                          [](const LevelSample& s) { return s.unreadable() && !s.inMask(); });
    return reportWarnings(file, series, qint64(unreadable));
}

QStringList reportWarnings(const QString& file, const DataFileReading& reading, qint64 unreadable)
{
    QStringList warnings = reportWarnings(file, reading);
    if (unreadable > 0)
        warnings << QStringLiteral("%1: %2 of the levels are no number (such as \"nan\" or "
                                   "\"1e309\"); they enter no value")
                        .arg(QDir::toNativeSeparators(shownName(file)))
                        .arg(unreadable);
    return warnings;
}

ReportValues reportHeadValues(const QString& file, const DataFileReading& reading)
{
    ReportValues v;
    v.file = shownName(file);
    v.kind = reading.kind;
    v.complete = reading.complete();
    v.unreadLines = reading.unreadLines;
    v.interval = headerInterval(reading, nullptr).value_or(1.0);
    return v;
}

struct ReportFigures::Sums
{
    explicit Sums(double interval, int periodMinutes)
        : interval(interval), periodClock(std::clamp(periodMinutes, 1, MaxPeriodMinutes))
    {
    }

    double interval;
    qint64 records = 0;
    qint64 paused = 0;
    qint64 empty = 0;
    qint64 unreadable = 0;
    qint64 gaps = 0;
    double gapSeconds = 0.0;
    LocalTime startAt;
    LocalTime endAt;
    LocalTime lmaxAt;
    ClassEnergy all;
    std::array<ClassEnergy, DayPartCount> parts;
    // Periods by the instant they start, with their local start.
    std::map<qint64, std::pair<LocalTime, ClassEnergy>> periods;
    ClassEnergy* period = nullptr;
    qint64 periodStart = 0;
    bool countsPeriods = true;
    PeriodClock periodClock;
    std::optional<qint64> previous;
    qint64 firstDay = 0;
    qint64 lastDay = -1;
    LevelDistribution distribution;
    int low = topClass(Resolution::Fine) + 1;
    int high = -1;
};

ReportFigures::ReportFigures(double interval, int periodMinutes, bool periods)
    : m(std::make_unique<Sums>(interval, periodMinutes))
{
    m->countsPeriods = periods;
}

ReportFigures::~ReportFigures() = default;

void ReportFigures::add(const LevelSample& sample, const LocalTime& time)
{
    Sums& f = *m;
    if (sample.hasTime()) {
        // Real seconds: the hour a change forward skips is no gap, nor a repeated one.
        const qint64 utc = time.utc();
        if (f.previous && double(utc - *f.previous) > 1.5 * f.interval) {
            ++f.gaps;
            f.gapSeconds += double(utc - *f.previous) - f.interval;
        }
        f.previous = utc;
        const qint64 day = floorDiv(sample.seconds, SecondsPerDay);
        if (f.lastDay < f.firstDay)
            f.firstDay = f.lastDay = day;
        f.firstDay = std::min(f.firstDay, day);
        f.lastDay = std::max(f.lastDay, day);
    }
    if (f.records++ == 0)
        f.startAt = time;
    f.endAt = time;
    if (sample.inMask())
        return; // masked by the user: neither a level nor an empty reading
    if (sample.unreadable()) {
        ++f.unreadable;
        return;
    }
    if (sample.empty()) {
        ++f.empty;
        return;
    }
    if (sample.marked()) {
        ++f.paused;
        return;
    }
    const int tenths = int(sample.tenths);
    f.all.add(tenths);
    ++f.distribution.counts[size_t(tenths)];
    f.low = std::min(f.low, tenths);
    if (tenths > f.high) {
        f.high = tenths;
        f.lmaxAt = time; // the first counted record at the maximum
    }
    if (!sample.hasTime())
        return;
    const qint64 secondOfDay =
        sample.seconds - floorDiv(sample.seconds, SecondsPerDay) * SecondsPerDay;
    f.parts[dayPartOf(secondOfDay)].add(tenths);
    if (!f.countsPeriods)
        return;
    const LocalTime start = f.periodClock.startOf(time);
    if (!f.period || start.utc() != f.periodStart) {
        auto& entry = f.periods[start.utc()];
        entry.first = start;
        f.period = &entry.second;
        f.periodStart = start.utc();
    }
    f.period->add(tenths);
}

void ReportFigures::finish(ReportValues& v, QByteArrayView firstTime, QByteArrayView lastTime,
                           QByteArrayView maxTime)
{
    Sums& f = *m;
    v.records = f.records;
    if (v.records > 0) {
        v.start = QString::fromUtf8(firstTime);
        v.end = QString::fromUtf8(lastTime);
    }
    v.startAt = f.startAt;
    v.endAt = f.endAt;
    v.lmaxAt = f.lmaxAt;
    v.paused = f.paused;
    v.empty = f.empty;
    v.unreadable = f.unreadable;
    v.gaps = f.gaps;
    v.gapSeconds = f.gapSeconds;
    v.counted = f.all.count();
    f.distribution.counted = v.counted;
    f.distribution.leftOut = v.paused + v.empty + v.unreadable;
    v.leq = truncatedTenth(f.all, f.all.leq());
    if (v.counted > 0) {
        v.sel = tenthValue(f.all.leq() + 10.0 * Log10(double(v.counted) * v.interval));
        v.lmax = f.high / 10.0;
        v.lmin = f.low / 10.0;
        v.lmaxTime = QString::fromUtf8(maxTime);
    }

    const ExceedanceTable table = exceedance(f.distribution);
    for (int j = 0; j < ExceedanceEntries; ++j)
        v.exceedance[size_t(j)] = table.level(j);

    for (const auto& [utc, entry] : f.periods) {
        const auto& [start, level] = entry;
        v.periods.append(
            {civilTimeText(start.civil), level.count(), tenthValue(level.leq()), start.offset});
    }

    // Every level of the report is tenth-truncated as the windows show Leq, so a file measured
    // wholly in the day has Ld = Leq.
    const auto& parts = f.parts;
    auto partLevel = [&parts](DayPart part) -> std::optional<double> {
        return parts[part].count() > 0 ? std::optional(parts[part].leq()) : std::nullopt;
    };
    const std::optional<double> ld = partLevel(Day);
    const std::optional<double> le = partLevel(Evening);
    const std::optional<double> ln = partLevel(Night);
    v.ld = ld ? truncatedTenth(parts[Day], *ld) : std::nullopt;
    v.le = le ? truncatedTenth(parts[Evening], *le) : std::nullopt;
    v.ln = ln ? truncatedTenth(parts[Night], *ln) : std::nullopt;
    if (ld && le && ln) {
        const double lden = ldenOf(*ld, *le, *ln);
        if (std::isfinite(lden))
            v.lden = tenthValue(lden);
    }
    // Each part's length in real seconds, summed over the calendar days of the file.
    LocalZone zone;
    const std::array<qint64, DayPartCount> lengths = dayPartSeconds(f.firstDay, f.lastDay, zone);
    v.coverageDay = coverage(parts[Day].count(), v.interval, lengths[Day]);
    v.coverageEvening = coverage(parts[Evening].count(), v.interval, lengths[Evening]);
    v.coverageNight = coverage(parts[Night].count(), v.interval, lengths[Night]);
}

ReportValues computeReport(const QString& file, const DataFileSeries& series, int periodMinutes)
{
    ReportValues v = reportHeadValues(file, series);
    ReportFigures figures(v.interval, periodMinutes);
    LocalClock clock;
    for (const LevelSample& s : series.samples)
        figures.add(s, s.hasTime() ? clock.read(s.seconds) : LocalTime());
    figures.finish(v, series.firstTime, series.lastTime, series.maxTime);
    return v;
}

ReportValues computeReport(const QString& file, const DataFileContent& content, int periodMinutes)
{
    return computeReport(file, seriesOf(content), periodMinutes);
}

ReportSeriesBuilder::ReportSeriesBuilder(qsizetype records, int columns) : m_records(records)
{
    m_series.columns.resize(
        size_t(std::max<qsizetype>(0, std::min<qsizetype>(records, columns))));
    m_series.fineCounts.assign(size_t(topClass(Resolution::Fine)) + 1, 0);
}

void ReportSeriesBuilder::add(const LevelSample& sample)
{
    if (m_index >= m_records)
        return;
    ReportSeries::Column& column =
        m_series.columns[size_t(m_index++ * qsizetype(m_series.columns.size()) / m_records)];
    if (sample.marked())
        column.paused = true;
    if (!sample.counted())
        return;
    const double level = sample.level();
    ++m_series.fineCounts[size_t(sample.tenths)];
    column.low = column.counted ? std::min(column.low, level) : level;
    column.high = column.counted ? std::max(column.high, level) : level;
    column.counted = true;
}

ReportSeries computeReportSeries(const DataFileSeries& file, int columns)
{
    ReportSeriesBuilder builder(qsizetype(file.samples.size()), columns);
    for (const LevelSample& sample : file.samples)
        builder.add(sample);
    return builder.finish();
}

ReportSeries computeReportSeries(const DataFileContent& content, int columns)
{
    return computeReportSeries(seriesOf(content), columns);
}

} // namespace kirv
