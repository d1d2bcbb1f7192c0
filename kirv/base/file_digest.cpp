#include "kirv/base/file_digest.h"

#include "kirv/base/regular_file.h"

#include <QCryptographicHash>
#include <QFile>

#include <limits>

namespace kirv {

namespace {

constexpr qint64 BlockBytes = qint64(4) << 20;

} // namespace

FileStatus sha256OfFile(const QString& path, QByteArray& hex)
{
    QFile file;
    if (const FileStatus opened = openRegularFile(file, path, std::numeric_limits<qint64>::max());
        !opened.ok())
        return opened;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(BlockBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(block.data(), BlockBytes);
        if (n < 0)
            return FileStatus::failure("read", path, file.errorString());
        if (n == 0)
            break;
        hash.addData(QByteArrayView(block.constData(), n));
    }
    hex = hash.result().toHex();
    return {};
}

QByteArray sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace kirv
