#pragma once

#include "kirv/stats/level_events.h"
#include "kirv/stats/report_values.h"

#include <QString>

#include <optional>

namespace kirv {

struct MasksLoad;

/// What a report is asked to hold beyond the meter's values.
struct ReportRequest
{
    int periodMinutes = DefaultPeriodMinutes; // 1..1440
    bool withSeries = false; // the report page's plot and distribution data
    bool masks = true;       // apply the spans of the file's sidecar (name.kirv.masks)
    bool evidence = true;    // read the session details sidecar and hash the data file
    std::optional<EventRule> events;
};

/// The report of the data file at `path`: its values with the masks of its sidecar applied to
/// every one (unless the request says not to), its period table, exposure and, when asked,
/// events; with its session details, calibration check and SHA-256 (ReportEvidence). The one way a report is made: kirv-report, the windows and the benchmarks call it.
/// The file is read once, in blocks, its records summed as they go by, so a year of seconds
/// takes no more memory than a minute and no size limit applies; a file whose clock steps back
/// into a period already left is read a second time for that period's distribution, and so is
/// every file whose page's plot data (`withSeries`) is asked, once its record count is known.
FileReport reportOf(const QString& path, const ReportRequest& request);
/// The same of a series read already (a list in a window); `name` is the name to report it
/// under; no sidecar is read.
FileReport reportOf(const QString& name, DataFileSeries series, const ReportRequest& request);
/// The same with the masks of a sidecar read already applied, as reportOf(path) applies them.
FileReport reportOf(const QString& name, DataFileSeries series, const ReportRequest& request,
                    const MasksLoad& masks);

} // namespace kirv
