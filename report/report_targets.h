#pragma once

#include "kirv/base/filestatus.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kirv {

/// Whether an output name means standard output: empty, "-" or "/dev/stdout".
bool isStandardOutput(const QString& path);

/// An output of the command line: the option that names it ("-o", "--pdf") and its name.
struct ReportTarget
{
    QString option;
    QString path;
};

/// The fault of a command line whose outputs would destroy each other or an input: two outputs
/// on one file (links and other names of it included), or, without `force`, an output that is
/// one of the data files read (`inputs`). Nothing when the outputs are apart.
std::optional<QString> outputClash(const std::vector<ReportTarget>& targets,
                                   const QStringList& inputs, bool force);

/// Whether the existing file `path` reads as a data file: its first line is a kind's first line
/// or the column title line. What cannot be read as a file is no data file.
bool readsAsDataFile(const QString& path);

/// Refuses, without --force, an output file that is a data file already: a report put over it
/// would destroy the data. The status names the file.
[[nodiscard]] FileStatus dataFileTarget(const QString& path, bool force);

} // namespace kirv
