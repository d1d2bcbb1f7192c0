#pragma once

#include "kirv/stats/report_values.h"

#include <QStringList>

#include <functional>

namespace kirv {

/// Analyses the data files `paths` on `threads` worker threads (0: one per processor core):
/// `read` makes each file's report on the worker threads, and `deliver` gets it on the calling
/// thread, in the order of `paths`, as soon as it and every report before it are done.
void runReportBatch(const QStringList& paths, int threads,
                    const std::function<FileReport(const QString& path)>& read,
                    const std::function<void(qsizetype index, FileReport&& report)>& deliver);

} // namespace kirv
