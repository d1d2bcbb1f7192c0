#include "kirv/records/report_values.h"

#include "kirv/analysis/level_stats.h"
#include "kirv/analysis/numbertext.h"
#include "kirv/records/native_names.h"
#include "kirv/records/period_table.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <limits>
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

// Count and energy sum of levels in 0.1 dB classes. The energy of each class comes from a table
// made once, relative to the top class, so a report over millions of records computes no power
// per record; the sum is compensated as RunningLevel's is.
class ClassEnergy
{
public:
    void add(int tenths)
    {
        ++m_count;
        const double term = table()[size_t(tenths)] - m_compensation;
        const double sum = m_energy + term;
        m_compensation = (sum - m_energy) - term;
        m_energy = sum;
    }

    qint64 count() const { return m_count; }
    // 10 log10(E/n); not a number while nothing has been added.
    double leq() const
    {
        if (m_count == 0)
            return std::numeric_limits<double>::quiet_NaN();
        return TopLevel + 10.0 * Log10(m_energy / double(m_count));
    }

private:
    static constexpr int Top = 1450;
    static constexpr double TopLevel = Top / 10.0;

    static const std::array<double, Top + 1>& table()
    {
        static const std::array<double, Top + 1> energies = [] {
            std::array<double, Top + 1> e{};
            for (int c = 0; c <= Top; ++c)
                e[size_t(c)] = std::pow(10.0, double(c - Top) / 100.0);
            return e;
        }();
        return energies;
    }

    qint64 m_count = 0;
    double m_energy = 0.0;
    double m_compensation = 0.0;
};

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
    const qint64 days = daysFromCivil(y, mo, d);
    // A day the month does not have (2026/02/30, 2026/04/31) is no time, not the day it would
    // count on to.
    qint64 year;
    unsigned month, day;
    civilFromDays(days, year, month, day);
    if (month != mo)
        return std::nullopt;
    return days * SecondsPerDay + h * Hour + mi * 60 + s;
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
        const double lden = 10.0 * Log10((12.0 * std::pow(10.0, *ld / 10.0) +
                                          4.0 * std::pow(10.0, (*le + 5.0) / 10.0) +
                                          8.0 * std::pow(10.0, (*ln + 10.0) / 10.0)) /
                                         24.0);
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
