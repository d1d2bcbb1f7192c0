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
    QStringList warnings = reportWarnings(file, static_cast<const DataFileReading&>(series));
    const auto unreadable = std::count_if(series.samples.begin(), series.samples.end(),
                                          [](const LevelSample& s) { return s.unreadable() && !s.inMask(); });
    if (unreadable > 0)
        warnings << QStringLiteral("%1: %2 of the levels are no number (such as \"nan\" or "
                                   "\"1e309\"); they enter no value")
                        .arg(QDir::toNativeSeparators(shownName(file)))
                        .arg(unreadable);
    return warnings;
}

ReportValues computeReport(const QString& file, const DataFileSeries& series, int periodMinutes)
{
    ReportValues v;
    v.file = shownName(file);
    v.kind = series.kind;
    v.complete = series.complete();
    v.unreadLines = series.unreadLines;
    v.interval = headerInterval(series, nullptr).value_or(1.0);
    const LevelSeries& samples = series.samples;
    v.records = qint64(samples.size());
    if (v.records > 0) {
        v.start = QString::fromUtf8(series.firstTime);
        v.end = QString::fromUtf8(series.lastTime);
    }

    ClassEnergy all;
    std::array<ClassEnergy, DayPartCount> parts;
    // Periods by the instant they start, with their local start.
    std::map<qint64, std::pair<LocalTime, ClassEnergy>> periods;
    ClassEnergy* period = nullptr;
    qint64 periodStart = 0;
    LocalClock clock;
    PeriodClock periodClock(std::clamp(periodMinutes, 1, MaxPeriodMinutes));
    std::optional<qint64> previous;
    qint64 firstDay = 0;
    qint64 lastDay = -1;
    LevelDistribution distribution;
    int low = topClass(Resolution::Fine) + 1;
    int high = -1;

    for (size_t i = 0; i < samples.size(); ++i) {
        const LevelSample sample = samples[i];
        LocalTime time;
        if (sample.hasTime()) {
            time = clock.read(sample.seconds);
            // Real seconds: the hour a change forward skips is no gap, nor a repeated one.
            const qint64 utc = time.utc();
            if (previous && double(utc - *previous) > 1.5 * v.interval) {
                ++v.gaps;
                v.gapSeconds += double(utc - *previous) - v.interval;
            }
            previous = utc;
            const qint64 day = floorDiv(sample.seconds, SecondsPerDay);
            if (lastDay < firstDay)
                firstDay = lastDay = day;
            firstDay = std::min(firstDay, day);
            lastDay = std::max(lastDay, day);
        }
        if (i == 0)
            v.startAt = time;
        if (i + 1 == samples.size())
            v.endAt = time;
        if (qsizetype(i) == series.maxIndex)
            v.lmaxAt = time;
        if (sample.inMask())
            continue; // masked by the user: neither a level nor an empty reading
        if (sample.unreadable()) {
            ++v.unreadable;
            continue;
        }
        if (sample.empty()) {
            ++v.empty;
            continue;
        }
        if (sample.marked()) {
            ++v.paused;
            continue;
        }
        const int tenths = int(sample.tenths);
        all.add(tenths);
        ++distribution.counts[size_t(tenths)];
        low = std::min(low, tenths);
        high = std::max(high, tenths);
        if (!sample.hasTime())
            continue;
        const qint64 secondOfDay =
            sample.seconds - floorDiv(sample.seconds, SecondsPerDay) * SecondsPerDay;
        parts[dayPartOf(secondOfDay)].add(tenths);
        const LocalTime start = periodClock.startOf(time);
        if (!period || start.utc() != periodStart) {
            auto& entry = periods[start.utc()];
            entry.first = start;
            period = &entry.second;
            periodStart = start.utc();
        }
        period->add(tenths);
    }

    v.counted = all.count();
    distribution.counted = v.counted;
    distribution.leftOut = v.paused + v.empty + v.unreadable;
    v.leq = truncatedTenth(all, all.leq());
    if (v.counted > 0) {
        v.sel = tenthValue(all.leq() + 10.0 * Log10(double(v.counted) * v.interval));
        v.lmax = high / 10.0;
        v.lmin = low / 10.0;
        v.lmaxTime = QString::fromUtf8(series.maxTime);
    }

    const ExceedanceTable table = exceedance(distribution);
    for (int j = 0; j < ExceedanceEntries; ++j)
        v.exceedance[size_t(j)] = table.level(j);

    for (const auto& [utc, entry] : periods) {
        const auto& [start, level] = entry;
        v.periods.append(
            {civilTimeText(start.civil), level.count(), tenthValue(level.leq()), start.offset});
    }

    // Every level of the report is tenth-truncated as the windows show Leq, so a file measured
    // wholly in the day has Ld = Leq.
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
    const std::array<qint64, DayPartCount> lengths = dayPartSeconds(firstDay, lastDay, zone);
    v.coverageDay = coverage(parts[Day].count(), v.interval, lengths[Day]);
    v.coverageEvening = coverage(parts[Evening].count(), v.interval, lengths[Evening]);
    v.coverageNight = coverage(parts[Night].count(), v.interval, lengths[Night]);
    return v;
}

ReportValues computeReport(const QString& file, const DataFileContent& content, int periodMinutes)
{
    return computeReport(file, seriesOf(content), periodMinutes);
}

ReportSeries computeReportSeries(const DataFileSeries& file, int columns)
{
    ReportSeries series;
    const LevelSeries& samples = file.samples;
    const auto n = qsizetype(samples.size());
    series.columns.resize(size_t(std::max<qsizetype>(0, std::min<qsizetype>(n, columns))));
    series.fineCounts.assign(size_t(topClass(Resolution::Fine)) + 1, 0);
    for (qsizetype i = 0; i < n; ++i) {
        ReportSeries::Column& column =
            series.columns[size_t(i * qsizetype(series.columns.size()) / n)];
        const LevelSample sample = samples[size_t(i)];
        if (sample.marked())
            column.paused = true;
        if (!sample.counted())
            continue;
        const double level = sample.level();
        ++series.fineCounts[size_t(sample.tenths)];
        column.low = column.counted ? std::min(column.low, level) : level;
        column.high = column.counted ? std::max(column.high, level) : level;
        column.counted = true;
    }
    return series;
}

ReportSeries computeReportSeries(const DataFileContent& content, int columns)
{
    return computeReportSeries(seriesOf(content), columns);
}

} // namespace kirv
