#include "recordingfile.h"

#include "filenames.h"
#include "textlines.h"

#include <QDir>

#if defined(Q_OS_WIN)
#include <io.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace kirv {

namespace {

/// Pushes what the system caches for the file to the disk.
bool syncToDisk(QFile& file)
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

} // namespace

RecordingFile::~RecordingFile()
{
    abandon();
}

FileStatus RecordingFile::start(const QString& folder, const QString& targetPath)
{
    abandon();
    m_target = targetPath;
    m_rows = 0;
    m_file.setFileName(QDir(folder).filePath(QLatin1String(RecordingFileName)));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileStatus::failure("create", m_file.fileName(), m_file.errorString());
    QByteArray line(ColumnTitleLine);
    line.append(LineEnd);
    if (m_file.write(line) != line.size() || !m_file.flush() || (m_sync && !syncToDisk(m_file))) {
        const FileStatus status = FileStatus::failure("write", m_file.fileName(), m_file.errorString());
        m_file.close();
        return status;
    }
    return {};
}

FileStatus RecordingFile::appendRecord(const QString& time, const QString& level)
{
    if (!m_file.isOpen())
        return FileStatus::failure("write", tempPath(), QStringLiteral("no recording is running"));
    QByteArray line = QByteArray::number(m_rows + 1);
    line.append('\t').append(time.toUtf8()).append('\t').append(level.toUtf8()).append('\t');
    line.append(LineEnd);
    const qint64 before = m_file.pos();
    if (m_file.write(line) != line.size() || !m_file.flush() || (m_sync && !syncToDisk(m_file))) {
        const QString reason = m_file.errorString();
        // Cut back a partial line so that the next sample starts on a line of its own.
        if (m_file.size() > before)
            m_file.resize(before);
        m_file.seek(before);
        return FileStatus::failure("write", tempPath(), reason);
    }
    ++m_rows;
    return {};
}

FileStatus RecordingFile::finish(const RealTimeHeader& header, const Progress& copied,
                                 qsizetype every)
{
    m_file.close();
    return saveRecording(tempPath(), m_target, header, copied, every);
}

void RecordingFile::abandon()
{
    m_file.close();
}

FileStatus saveRecording(const QString& tempPath, const QString& targetPath,
                         const RealTimeHeader& header, const Progress& copied, qsizetype every)
{
    QFile temp(tempPath);
    if (!temp.open(QIODevice::ReadOnly))
        return FileStatus::failure("read", tempPath, temp.errorString());
    const QByteArray lines = temp.readAll();
    if (lines.size() < temp.size())
        return FileStatus::failure("read", tempPath, temp.errorString());
    temp.close();

    return replaceFile(targetPath, [&](QIODevice& target) {
        if (!writeLines(target, header.lines()))
            return false;
        LineSink sink(target);
        ProgressTicker ticker(copied, every);
        const char* at = lines.constData();
        const char* const end = at + lines.size();
        for (qsizetype count = 1; at < end && sink.ok(); ++count) {
            sink.append(takeLine(at, end));
            sink.endLine();
            ticker.tick(count);
        }
        ticker.finish();
        return sink.flush();
    });
}

} // namespace kirv
