#pragma once

#include <QString>
#include <QStringList>

namespace kirv {

/// Whether the data file at `dataPath` and what is kept with it are as they were written: every
/// file its manifest lists hashes as listed, every kept file beside it is listed, and where a
/// raw logger image is kept, its set decodes again (through the same cores as the download) to
/// the file's header and records, record for record. One text a problem, naming the file and,
/// for the records, the first that differs; empty when everything matches.
QStringList verifyEvidence(const QString& dataPath);

} // namespace kirv
