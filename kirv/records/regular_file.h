#pragma once

#include "kirv/records/filestatus.h"

#include <QByteArray>
#include <QString>

class QFile;

namespace kirv {

/// Opens `path` (a name as nameFromNative() gives it) for reading when it is a regular file no
/// larger than `maxBytes`. Anything else is refused at once, before a byte is read: a pipe would
/// wait for a writer for ever and a device such as /dev/zero never ends. The status names the
/// file and the reason.
FileStatus openRegularFile(QFile& file, const QString& path, qint64 maxBytes);

/// The whole of the regular file `path` (no larger than `maxBytes`) in `bytes`, as
/// openRegularFile() takes it; a read that ends early is a failure that names the file.
[[nodiscard]] FileStatus readRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes);

} // namespace kirv
