#include "kirv/records/report_values.h"

#include "kirv/analysis/level_stats.h"
#include "kirv/analysis/numbertext.h"
#include "kirv/records/record_levels.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kirv {

namespace {

constexpr qint64 SecondsPerDay = 86400;
constexpr qint64 Hour = 3600;

// Parts of the day for Ld, Le and Ln, by the second of the day.
enum DayPart
{
    Day,
    Evening,
    Night,
    DayPartCount
};
constexpr std::array<qint64, DayPartCount> DayPartSeconds{12 * Hour, 4 * Hour, 8 * Hour};

DayPart dayPartOf(qint64 secondOfDay)
{
    if (secondOfDay >= 7 * Hour && secondOfDay < 19 * Hour)
        return Day;
    if (secondOfDay >= 19 * Hour && secondOfDay < 23 * Hour)
        return Evening;
    return Night;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days since 1970/01/01 of a civil date (proleptic Gregorian).
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = floorDiv(y, 400);
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

void civilFromDays(qint64 z, qint64& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const qint64 era = floorDiv(z, 146097);
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = qint64(yoe) + era * 400 + (m <= 2);
}

// The level a text stands for, as the distribution classes it (to the tenth; "-" is 25.0 dB,
// "L" 145.0 dB, a text without a number 0), or nothing for a marked reading.
std::optional<double> levelOf(QByteArrayView text)
{
    const std::optional<int> c = levelClass(text, Resolution::Fine);
    return c ? std::optional(*c / 10.0) : std::nullopt;
}

std::optional<double> roundedTenth(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    return std::round(x * 10.0) / 10.0;
}

std::optional<double> truncatedTenth(const RunningLevel& level, double value)
{
    if (level.count() <= 0 || !std::isfinite(value))
        return std::nullopt;
    return tenthValue(value);
}

double coverage(qint64 counted, double interval, qint64 days, DayPart part)
{
    if (days <= 0)
        return 0.0;
    const double share = double(counted) * interval / double(days * DayPartSeconds[part]);
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

std::optional<qint64> civilSeconds(QByteArrayView t)
{
    if (t.size() != 19)
        return std::nullopt;
    auto digits = [&t](int at, int count, unsigned& out) {
        out = 0;
        for (int i = at; i < at + count; ++i) {
            const char c = t[i];
            if (c < '0' || c > '9')
                return false;
            out = out * 10 + unsigned(c - '0');
        }
        return true;
    };
    for (const int at : {4, 7, 10, 13, 16})
        if (t[at] >= '0' && t[at] <= '9')
            return std::nullopt;
    unsigned y, mo, d, h, mi, s;
    if (!digits(0, 4, y) || !digits(5, 2, mo) || !digits(8, 2, d) || !digits(11, 2, h) ||
        !digits(14, 2, mi) || !digits(17, 2, s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return daysFromCivil(y, mo, d) * SecondsPerDay + h * Hour + mi * 60 + s;
}

QString civilTimeText(qint64 seconds)
{
    const qint64 days = floorDiv(seconds, SecondsPerDay);
    const qint64 sod = seconds - days * SecondsPerDay;
    qint64 y;
    unsigned m, d;
    civilFromDays(days, y, m, d);
    return QString::asprintf("%04lld/%02u/%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m,
                             d, static_cast<long long>(sod / Hour),
                             static_cast<long long>(sod % Hour / 60),
                             static_cast<long long>(sod % 60));
}

ReportValues computeReport(const QString& file, const DataFileContent& content, int periodMinutes)
{
    ReportValues v;
    v.file = file;
    v.kind = content.kind;
    if (content.kind != DataFileKind::PlainList) {
        const double t = numericValue(content.headerLine(RealTimeIntervalLine));
        if (t > 0.0 && std::isfinite(t))
            v.interval = t;
    }
    const RecordStore& records = content.records;
    v.records = records.count();
    if (v.records > 0) {
        v.start = records.text(0, TimeColumn);
        v.end = records.text(v.records - 1, TimeColumn);
    }

    const qint64 periodSeconds = qint64(std::clamp(periodMinutes, 1, MaxPeriodMinutes)) * 60;
    RunningLevel all;
    std::array<RunningLevel, DayPartCount> parts;
    std::map<qint64, RunningLevel> periods;
    RunningLevel* period = nullptr;
    qint64 periodStart = 0;
    std::optional<qint64> previous;
    qint64 firstDay = 0;
    qint64 lastDay = -1;
    qsizetype maxIndex = -1;

    for (qsizetype i = 0; i < v.records; ++i) {
        const QByteArrayView timeText = records.field(i, TimeColumn);
        const std::optional<qint64> time = civilSeconds(timeText);
        if (time) {
            if (previous && double(*time - *previous) > 1.5 * v.interval) {
                ++v.gaps;
                v.gapSeconds += double(*time - *previous) - v.interval;
            }
            previous = time;
            const qint64 day = floorDiv(*time, SecondsPerDay);
            if (lastDay < firstDay)
                firstDay = lastDay = day;
            firstDay = std::min(firstDay, day);
            lastDay = std::max(lastDay, day);
        }
        const std::optional<double> counted = levelOf(records.field(i, LevelColumn));
        if (!counted) {
            ++v.paused;
            continue;
        }
        const double level = *counted;
        all.add(level);
        if (!v.lmax || level > *v.lmax)
            v.lmax = level, maxIndex = i;
        if (!v.lmin || level < *v.lmin)
            v.lmin = level;
        if (!time)
            continue;
        const qint64 day = floorDiv(*time, SecondsPerDay);
        const qint64 secondOfDay = *time - day * SecondsPerDay;
        parts[dayPartOf(secondOfDay)].add(level);
        const qint64 start = day * SecondsPerDay + secondOfDay / periodSeconds * periodSeconds;
        if (!period || start != periodStart)
            period = &periods[start], periodStart = start;
        period->add(level);
    }

    v.counted = all.count();
    v.leq = truncatedTenth(all, all.leq());
    if (v.counted > 0)
        v.sel = tenthValue(all.leq() + 10.0 * Log10(double(v.counted) * v.interval));
    if (maxIndex >= 0)
        v.lmaxTime = records.text(maxIndex, TimeColumn);

    const ExceedanceTable table = exceedance(distribute(records, Resolution::Fine));
    for (int j = 0; j < ExceedanceEntries; ++j)
        v.exceedance[size_t(j)] = table.level(j);

    for (const auto& [start, level] : periods)
        v.periods.append({civilTimeText(start), level.count(), tenthValue(level.leq())});

    auto partLevel = [&parts](DayPart part) -> std::optional<double> {
        return parts[part].count() > 0 ? std::optional(parts[part].leq()) : std::nullopt;
    };
    const std::optional<double> ld = partLevel(Day);
    const std::optional<double> le = partLevel(Evening);
    const std::optional<double> ln = partLevel(Night);
    v.ld = ld ? roundedTenth(*ld) : std::nullopt;
    v.le = le ? roundedTenth(*le) : std::nullopt;
    v.ln = ln ? roundedTenth(*ln) : std::nullopt;
    if (ld && le && ln)
        v.lden = roundedTenth(10.0 * Log10((12.0 * std::pow(10.0, *ld / 10.0) +
                                            4.0 * std::pow(10.0, (*le + 5.0) / 10.0) +
                                            8.0 * std::pow(10.0, (*ln + 10.0) / 10.0)) /
                                           24.0));
    const qint64 days = lastDay - firstDay + 1;
    v.coverageDay = coverage(parts[Day].count(), v.interval, days, Day);
    v.coverageEvening = coverage(parts[Evening].count(), v.interval, days, Evening);
    v.coverageNight = coverage(parts[Night].count(), v.interval, days, Night);
    return v;
}

ReportSeries computeReportSeries(const DataFileContent& content, int columns)
{
    ReportSeries series;
    const RecordStore& records = content.records;
    const qsizetype n = records.count();
    series.columns.resize(size_t(std::max<qsizetype>(0, std::min<qsizetype>(n, columns))));
    for (qsizetype i = 0; i < n; ++i) {
        ReportSeries::Column& column =
            series.columns[size_t(i * qsizetype(series.columns.size()) / n)];
        const std::optional<double> counted = levelOf(records.field(i, LevelColumn));
        if (!counted) {
            column.paused = true;
            continue;
        }
        const double level = *counted;
        column.low = column.counted ? std::min(column.low, level) : level;
        column.high = column.counted ? std::max(column.high, level) : level;
        column.counted = true;
    }
    series.fineCounts = distribute(records, Resolution::Fine).counts;
    return series;
}

FileReport reportFile(const QString& path, int periodMinutes, bool withSeries)
{
    FileReport report;
    const DataFileContent content = readDataFile(path);
    if (!content.ok()) {
        report.error = content.error;
        return report;
    }
    report.headerLines = content.headerLines;
    report.values = computeReport(path, content, periodMinutes);
    if (withSeries)
        report.series = computeReportSeries(content);
    return report;
}

} // namespace kirv
