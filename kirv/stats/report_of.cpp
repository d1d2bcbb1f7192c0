#include "kirv/stats/report_of.h"

#include "kirv/base/civil_time.h"
#include "kirv/records/level_masks.h"
#include "kirv/records/level_series.h"
#include "kirv/stats/analysis_values.h"

#include <algorithm>
#include <optional>
#include <string>
#include <future>
#include <utility>

namespace kirv {

namespace {

// The first counted sample at the highest level once masks took some out; its time as the
// record's text gives it.
void findMaximum(DataFileSeries& series)
{
    series.maxIndex = -1;
    series.maxTime.clear();
    for (size_t i = 0; i < series.samples.size(); ++i) {
        const LevelSample s = series.samples[i];
        if (s.counted() && (series.maxIndex < 0 || s.tenths > series.samples[size_t(series.maxIndex)].tenths))
            series.maxIndex = qsizetype(i);
    }
    if (series.maxIndex >= 0 && series.samples[size_t(series.maxIndex)].hasTime())
        series.maxTime = civilTimeText(series.samples[size_t(series.maxIndex)].seconds).toLatin1();
}

FileReport reportWithMasks(const QString& name, DataFileSeries series,
                           const ReportRequest& request, const MasksLoad& masks)
{
    FileReport report;
    if (!masks.spans.empty()) {
        series.samples = maskedSeries(std::move(series.samples), masks.spans);
        findMaximum(series);
    }
    report.headerLines = series.headerLines;
    report.warnings = reportWarnings(name, series);
    report.values = computeReport(name, series, request.periodMinutes);
    if (request.withSeries)
        report.series = computeReportSeries(series);
    report.values.analysis = analysisValues(series.samples, report.values.interval,
                                            request.periodMinutes, request.events);
    report.values.analysis.maskedSpans = qsizetype(masks.spans.size());
    report.values.analysis.masksError = masks.error;
    return report;
}

// Every figure of a report summed as the records go by: what it holds does not grow with the
// records (the periods grow with the time the file spans).
class ReportPass final : public SampleSink
{
public:
    ReportPass(const DataFileReading& reading, const ReportRequest& request, const MaskSpans& spans)
        : m_reading(reading), m_request(request), m_masks(spans)
    {
    }

    void take(QByteArrayView time, const LevelSample& read) override
    {
        if (!m_figures)
            begin();
        const LevelSample s = m_masks.masked(read);
        const LocalTime at = s.hasTime() ? m_clock.read(s.seconds) : LocalTime();
        if (m_index == 0)
            m_firstTime = time.toByteArray();
        m_lastTime.assign(time.data(), size_t(time.size()));
        if (s.counted() && (!m_maxTenths || s.tenths > *m_maxTenths)) {
            m_maxTenths = s.tenths;
            // A mask found the maximum anew as the windows do: its time as civil time.
            if (!m_masks.any())
                m_maxTime = time.toByteArray();
            else
                m_maxTime = s.hasTime() ? civilTimeText(s.seconds).toLatin1() : QByteArray();
        }
        m_figures->add(s, at);
        m_analysis->add(s, at, m_index);
        ++m_index;
    }

    void sized(qint64 bytes) override { m_bytes = bytes; }
    qsizetype records() const { return m_index; }
    bool needsRecount() const { return m_analysis && m_analysis->needsRecount(); }
    void recount(const LevelSample& s, const LocalTime& time) { m_analysis->recount(s, time); }

    ReportValues finish(const QString& name)
    {
        if (!m_figures)
            begin();
        ReportValues v = reportHeadValues(name, m_reading);
        m_figures->finish(v, m_firstTime,
                          QByteArrayView(m_lastTime.data(), qsizetype(m_lastTime.size())), m_maxTime);
        v.analysis = m_analysis->finish();
        // The report's periods are those of the period table, its Leq truncated to tenths.
        v.periods.reserve(qsizetype(v.analysis.periods.size()));
        for (const PeriodRow& row : v.analysis.periods)
            v.periods.append({civilTimeText(row.start), row.records, tenthValue(row.leq), row.offset});
        return v;
    }

private:
    // The header is read before the first record: its interval is known from here on.
    void begin()
    {
        const double interval = headerInterval(m_reading, nullptr).value_or(1.0);
        m_figures.emplace(interval, m_request.periodMinutes, false);
        m_analysis.emplace(interval, m_request.periodMinutes, m_request.events);
        // Room for the periods the file's size promises (a record line is 25 bytes or more), so
        // that a year's table is never copied as it grows; room not used is never touched.
        const double seconds = double(m_bytes) / 25.0 * interval;
        m_analysis->reservePeriods(
            qsizetype(std::min(seconds / (60.0 * std::clamp(m_request.periodMinutes, 1, DayMinutes)), 1e7)) + 2);
    }

    const DataFileReading& m_reading;
    const ReportRequest& m_request;
    MaskLookup m_masks;
    LocalClock m_clock;
    std::optional<ReportFigures> m_figures;
    std::optional<AnalysisBuilder> m_analysis;
    qint64 m_bytes = 0;
    qsizetype m_index = 0;
    QByteArray m_firstTime;
    std::string m_lastTime;
    std::optional<qint64> m_maxTenths;
    QByteArray m_maxTime;
};

// The file read a second time, when the periods its clock came back to need their
// distributions or the page's plot spreads the records over its columns (their count known
// now). Records beyond those of the first reading (a file that grew) are left out.
class SecondPass final : public SampleSink
{
public:
    SecondPass(ReportPass& pass, const MaskSpans& spans, bool withSeries)
        : m_pass(pass), m_recount(pass.needsRecount()), m_masks(spans)
    {
        if (withSeries)
            m_series.emplace(pass.records(), ReportSeriesColumns);
    }

    void take(QByteArrayView, const LevelSample& read) override
    {
        if (m_index++ >= m_pass.records())
            return;
        const LevelSample s = m_masks.masked(read);
        if (m_recount)
            m_pass.recount(s, s.hasTime() ? m_clock.read(s.seconds) : LocalTime());
        if (m_series)
            m_series->add(s);
    }

    ReportSeries series() { return m_series ? m_series->finish() : ReportSeries(); }

private:
    ReportPass& m_pass;
    bool m_recount;
    MaskLookup m_masks;
    LocalClock m_clock;
    std::optional<ReportSeriesBuilder> m_series;
    qsizetype m_index = 0;
};

// The report of a file read record by record, without its series.
FileReport streamedReport(const QString& path, const ReportRequest& request, const MasksLoad& masks)
{
    FileReport report;
    DataFileReading reading;
    ReportPass pass(reading, request, masks.spans);
    readDataFileSamples(path, MaxStreamedFileBytes, reading, pass);
    if (reading.ok() && (pass.needsRecount() || request.withSeries)) {
        DataFileReading again;
        SecondPass second(pass, masks.spans, request.withSeries);
        readDataFileSamples(path, MaxStreamedFileBytes, again, second);
        if (!again.ok())
            reading.error = again.error;
        report.series = second.series();
    }
    const QString error = reading.ok() ? reading.notDataError(path) : reading.error;
    if (!error.isEmpty()) {
        FileReport failed;
        failed.error = error;
        return failed;
    }
    report.headerLines = reading.headerLines;
    report.values = pass.finish(path);
    report.warnings = reportWarnings(path, reading, report.values.unreadable);
    report.values.analysis.maskedSpans = qsizetype(masks.spans.size());
    report.values.analysis.masksError = masks.error;
    return report;
}

} // namespace

FileReport reportOf(const QString& path, const ReportRequest& request)
{
    const MasksLoad masks = request.masks ? loadMasks(path) : MasksLoad{};
    // The file's SHA-256 is a second read of every byte: it runs beside the figures' pass, on
    // the other core, so a year's file costs the time of one pass, not two.
    std::future<ReportEvidence> evidence;
    if (request.evidence)
        evidence = std::async(std::launch::async, [&path, &masks] { return evidenceOf(path, masks.spans); });
    FileReport report = streamedReport(path, request, masks);
    if (evidence.valid()) {
        ReportEvidence found = evidence.get();
        if (report.ok())
            report.values.evidence = std::move(found);
    }
    return report;
}

FileReport reportOf(const QString& name, DataFileSeries series, const ReportRequest& request)
{
    return reportWithMasks(name, std::move(series), request, MasksLoad{});
}

FileReport reportOf(const QString& name, DataFileSeries series, const ReportRequest& request,
                    const MasksLoad& masks)
{
    return reportWithMasks(name, std::move(series), request, masks);
}

} // namespace kirv
