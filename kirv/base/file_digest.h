#pragma once

#include "kirv/base/filestatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kirv {

/// The SHA-256 of the regular file `path` as 64 lower-case hexadecimal digits in `hex`, read in
/// blocks of a megabyte so that a large file costs no more memory than a small one. A path
/// that is no regular file (a FIFO would wait for ever) is refused; the status names the file.
[[nodiscard]] FileStatus sha256OfFile(const QString& path, QByteArray& hex);

/// The same of bytes in memory.
QByteArray sha256Hex(QByteArrayView bytes);

} // namespace kirv
