#pragma once

#include "kirv/records/filestatus.h"
#include "report/report_options.h"

#include <QString>

#include <optional>

namespace kirv {

/// The fault of a command line whose outputs would destroy each other or an input: two outputs
/// on one file (links and other names of it included), or, without --force, an output that is
/// one of the data files read. Nothing when the outputs are apart.
std::optional<QString> outputClash(const ReportOptions& options);

/// Whether the existing file `path` reads as a data file: its first line is a kind's first line
/// or the column title line. What cannot be read as a file is no data file.
bool readsAsDataFile(const QString& path);

/// Refuses, without --force, an output file that is a data file already: a report put over it
/// would destroy the data. The status names the file.
[[nodiscard]] FileStatus dataFileTarget(const QString& path, bool force);

} // namespace kirv
