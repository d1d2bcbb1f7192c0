#pragma once

#include "kirv/base/filestatus.h"

#include <QString>

#include <functional>

class QFileDevice;
class QIODevice;

namespace kirv {

/// Replaces the file `path` with what `write` puts into it, or leaves it as it was when `write`
/// returns false or the data cannot reach the disk: every write, the flush and the sync to the
/// disk are checked before the new file takes the old one's place. The status names the file
/// and the reason.
FileStatus replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write);

/// The same with the bytes given; empty bytes remove the file instead (a sidecar with nothing to
/// keep), and a file that cannot be removed stays and is named.
FileStatus replaceOrRemove(const QString& path, const QByteArray& bytes);

/// Whether a data file can be written at `path`, tried when the path is chosen rather than when
/// the file is due: the folder must take a new file (one is created and removed again) and an
/// existing `path` must be a file. The status names the file and the reason.
FileStatus probeTarget(const QString& path);

/// Pushes what the system caches for the file to the disk; false (errno set) when it cannot.
bool syncToDisk(QFileDevice& file);

} // namespace kirv
