#include "kirv/base/regular_file.h"

#include "kirv/base/native_names.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#endif

namespace kirv {

namespace {

QString tooLarge(qint64 maxBytes)
{
    return QStringLiteral("the file is larger than %1 MB").arg(maxBytes >> 20);
}

const QString NotRegular = QStringLiteral("it is not a regular file");

} // namespace

FileStatus openRegularFile(QFile& file, const QString& path, qint64 maxBytes)
{
    const QString shown = shownName(path);
#if defined(Q_OS_UNIX)
    // Opened without waiting (a FIFO would block the open itself), then checked on the open
    // descriptor, so the file checked is the file read.
    const QByteArray native = nativeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileStatus::failure("open", shown, qt_error_string(errno));
    struct stat info;
    QString reason;
    if (::fstat(fd, &info) != 0)
        reason = qt_error_string(errno);
    else if (!S_ISREG(info.st_mode))
        reason = NotRegular;
    else if (info.st_size > maxBytes)
        reason = tooLarge(maxBytes);
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        reason = qt_error_string(errno);
    if (!reason.isEmpty()) {
        ::close(fd);
        return FileStatus::failure("open", shown, reason);
    }
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileStatus::failure("open", shown, file.errorString());
    }
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return FileStatus::failure("open", shown, NotRegular);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileStatus::failure("open", shown, file.errorString());
    if (file.size() > maxBytes)
        return FileStatus::failure("open", shown, tooLarge(maxBytes));
#endif
    return {};
}

FileStatus regularTarget(const QString& path)
{
#if defined(Q_OS_UNIX)
    struct stat info;
    if (::stat(nativeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
#endif
    return FileStatus::failure("create", shownName(path), NotRegular);
}

FileStatus readRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes)
{
    bytes.clear();
    QFile file;
    if (FileStatus opened = openRegularFile(file, path, maxBytes); !opened.ok())
        return opened;
    const qint64 expected = file.size();
    bytes = file.read(expected);
    if (bytes.size() < expected) {
        bytes.clear();
        return FileStatus::failure("read", shownName(path), file.errorString());
    }
    return {};
}

} // namespace kirv
