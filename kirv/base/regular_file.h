#pragma once

#include "kirv/base/filestatus.h"

#include <QByteArray>
#include <QString>

class QFile;

namespace kirv {

/// Opens `path` (a name as nameFromNative() gives it) for reading when it is a regular file no
/// larger than `maxBytes`. Anything else is refused at once, before a byte is read: a pipe would
/// wait for a writer for ever and a device such as /dev/zero never ends. The status names the
/// file and the reason.
FileStatus openRegularFile(QFile& file, const QString& path, qint64 maxBytes);

/// Whether a written file may take the place of what stands at `path` (links followed): nothing
/// yet, or a regular file. A device, a FIFO or a socket would be replaced by a file of its own
/// and is refused ("Cannot create /dev/full: it is not a regular file").
[[nodiscard]] FileStatus regularTarget(const QString& path);

/// The whole of the regular file `path` (no larger than `maxBytes`) in `bytes`, as
/// openRegularFile() takes it; a read that ends early is a failure that names the file.
[[nodiscard]] FileStatus readRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes);

} // namespace kirv
