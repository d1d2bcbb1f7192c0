#include "kirv/stats/report_of.h"

#include "kirv/base/civil_time.h"
#include "kirv/records/level_masks.h"
#include "kirv/records/level_series.h"
#include "kirv/stats/analysis_values.h"

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

} // namespace

FileReport reportOf(const QString& path, const ReportRequest& request)
{
    DataFileSeries series = readDataFileSeries(path);
    const QString error = series.ok() ? series.notDataError(path) : series.error;
    if (!error.isEmpty()) {
        FileReport report;
        report.error = error;
        return report;
    }
    const MasksLoad masks = request.masks ? loadMasks(path) : MasksLoad{};
    FileReport report = reportWithMasks(path, std::move(series), request, masks);
    if (request.evidence)
        report.values.evidence = evidenceOf(path, masks.spans);
    return report;
}

FileReport reportOf(const QString& name, DataFileSeries series, const ReportRequest& request)
{
    return reportWithMasks(name, std::move(series), request, MasksLoad{});
}

} // namespace kirv
