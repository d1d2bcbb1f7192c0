#include "kirv/base/replace_file.h"

#include "kirv/base/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#if defined(Q_OS_WIN)
#include <io.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace kirv {

namespace {

// What a writer of replaceFile() writes to. A file takes a write in parts when the disk fills
// part-way and reports the count alone; the rest is offered again, so that the refusal comes
// with the system's reason ("No space left on device") instead of a count that came up short.
class WholeWriteDevice : public QIODevice
{
public:
    explicit WholeWriteDevice(QFileDevice& file) : m_file(file)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override
    {
        qint64 done = 0;
        while (done < len) {
            const qint64 n = m_file.write(data + done, len - done);
            if (n <= 0) {
                setErrorString(m_file.errorString());
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    QFileDevice& m_file;
};

} // namespace

bool syncToDisk(QFileDevice& file)
{
#if defined(Q_OS_WIN)
    return _commit(file.handle()) == 0;
#elif defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

FileStatus replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    if (FileStatus target = regularTarget(path); !target.ok())
        return target;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::failure("create", path, file.errorString());
    // Until the commit the old file is untouched; a failure cancels and removes the new one.
    const auto fail = [&](const QString& reason) {
        file.cancelWriting();
        return FileStatus::failure("write", path, reason);
    };
    WholeWriteDevice out(file);
    if (!write(out))
        return fail(out.errorString());
    if (!file.flush())
        return fail(file.errorString());
    if (!syncToDisk(file))
        return fail(qt_error_string(errno));
    if (!file.commit())
        return FileStatus::failure("write", path, file.errorString());
    return {};
}

FileStatus replaceOrRemove(const QString& path, const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            return FileStatus::failure("remove", path, QStringLiteral("the file stays"));
        return {};
    }
    return replaceFile(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

FileStatus probeTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty() || info.isDir())
        return FileStatus::failure("create", path, QStringLiteral("it is a folder"));
    if (!info.absoluteDir().exists())
        return FileStatus::failure("create", path, QStringLiteral("the folder does not exist"));
    if (FileStatus target = regularTarget(path); !target.ok())
        return target;
    // A file is written beside its target and renamed over it, so the folder is what must take
    // a file. The new file has a name of its own, so programs probing one target at once do
    // not trip over each other; it goes again unwritten.
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return FileStatus::failure("create", path, probe.errorString());
    probe.cancelWriting();
    return {};
}

} // namespace kirv
