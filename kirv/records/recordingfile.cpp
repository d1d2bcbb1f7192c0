#include "kirv/records/recordingfile.h"

#include "kirv/records/file_manifest.h"
#include "kirv/records/filenames.h"
#include "kirv/base/text_lines.h"

#include "kirv/base/decibels.h"
#include "kirv/base/numbertext.h"
#include "kirv/base/replace_file.h"

#include <QDateTime>
#include <QDir>
#include <QLockFile>

#include <cerrno>

namespace kirv {

namespace {

/// "Fake", "Fake-2", ... up to this many recordings at once in one folder.
constexpr int RecordingFileSlots = 16;

QString recordingFilePath(const QString& folder, int slot)
{
    QString name = QLatin1String(RecordingFileName);
    if (slot > 1)
        name += QLatin1Char('-') + QString::number(slot);
    return QDir(folder).filePath(name);
}

/// The lock of a recording file, or nothing while a running program holds it (or the folder
/// takes no lock file: `refused` then says why). A lock left by a program that died is taken
/// over; one held by a living program is never, however old.
std::unique_ptr<QLockFile> holdRecordingFile(const QString& path, QString* refused = nullptr)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (refused && lock->error() == QLockFile::PermissionError)
        *refused = QStringLiteral("Permission denied");
    else if (refused && lock->error() == QLockFile::UnknownError)
        *refused = QStringLiteral("the lock file %1 cannot be created").arg(path + QStringLiteral(".lock"));
    return nullptr;
}

/// Writes `line` and forces it to the disk (the sync only when `sync`). On failure `reason` gets
/// the system's reason, also when only the sync failed (the file then has no error of its own).
bool writeThrough(QFile& file, const QByteArray& line, bool sync, QString* reason)
{
    errno = 0;
    if (file.write(line) != line.size() || !file.flush()) {
        // The file's own text of a failed flush is "Unknown error"; the system's is the reason.
        *reason = errno != 0 ? qt_error_string(errno) : file.errorString();
        return false;
    }
    if (sync && !syncToDisk(file)) {
        *reason = qt_error_string(errno);
        return false;
    }
    return true;
}

} // namespace

RecordingFile::RecordingFile() = default;

RecordingFile::~RecordingFile()
{
    abandon();
}

FileStatus RecordingFile::start(const QString& folder, const QString& targetPath)
{
    abandon();
    m_target = targetPath;
    m_rows = 0;
    m_file.setFileName(recordingFilePath(folder, 1));
    QString refused;
    for (int slot = 1; slot <= RecordingFileSlots && !m_hold && refused.isEmpty(); ++slot) {
        m_file.setFileName(recordingFilePath(folder, slot));
        m_hold = holdRecordingFile(m_file.fileName(), &refused);
    }
    if (!m_hold)
        return FileStatus::failure(
            "create", m_file.fileName(),
            refused.isEmpty() ? QStringLiteral("other recordings hold every recording file of the folder")
                              : refused);
    // Unbuffered: a line the disk refuses is not kept back to be written later behind the
    // next one; what reached the file of it is cut off again.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const FileStatus status = FileStatus::failure("create", m_file.fileName(), m_file.errorString());
        abandon();
        return status;
    }
    QByteArray line(ColumnTitleLine);
    line.append(LineEnd);
    if (QString reason; !writeThrough(m_file, line, m_sync, &reason)) {
        const FileStatus status = FileStatus::failure("write", m_file.fileName(), reason);
        abandon();
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
    if (QString reason; !writeThrough(m_file, line, m_sync, &reason)) {
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
    FileStatus status = copyRecording(tempPath(), m_target, header, copied, every);
    if (status.ok()) {
        QFile::remove(tempPath());
        status = writeManifest(m_target);
    }
    abandon();
    return status;
}

void RecordingFile::abandon()
{
    m_file.close();
    m_hold.reset();
}

std::optional<LeftRecording> findLeftRecording(const QString& folder)
{
    for (int slot = 1; slot <= RecordingFileSlots; ++slot) {
        const QString path = recordingFilePath(folder, slot);
        if (!QFile::exists(path))
            continue;
        std::shared_ptr<QLockFile> hold = holdRecordingFile(path);
        if (!hold)
            continue; // a running recording's
        DataFileContent content = readDataFile(path);
        if (content.ok() && content.records.count() > 0)
            return LeftRecording{path, std::move(content.records), std::move(hold)};
    }
    return std::nullopt;
}

RealTimeHeader recoveredHeader(const RecordStore& records, const QString& freqWeight,
                               const QString& timeWeight, const QString& range)
{
    const auto known = [](const QString& text) { return text.isEmpty() ? QStringLiteral("?") : text; };
    RealTimeHeader h;
    h.freqWeight = known(freqWeight);
    h.timeWeight = known(timeWeight);
    h.range = known(range);
    if (records.count() >= 2) {
        const QString format = QStringLiteral("yyyy/MM/dd HH:mm:ss");
        const QDateTime first = QDateTime::fromString(records.record(0).time, format);
        const QDateTime second = QDateTime::fromString(records.record(1).time, format);
        const qint64 seconds = first.secsTo(second);
        if (first.isValid() && second.isValid() && seconds >= 1 && seconds <= 86400)
            h.sampleInterval = int(seconds);
    }
    RunningLevel run;
    LevelMaximum max{0.0, QStringLiteral("0"), {}};
    for (qsizetype i = 0; i < records.count(); ++i) {
        const Record r = records.record(i);
        const double level = numericValue(r.level);
        run.add(level);
        max.offerByText(level, r.level, r.time);
    }
    h.maxLevel = max.text;
    h.maxTime = known(max.time);
    h.leq = run.leqText();
    h.sel = tenthText(run.leq() + 10.0 * Log10(double(run.count()) * h.sampleInterval));
    return h;
}

FileStatus saveRecording(const QString& tempPath, const QString& targetPath,
                         const RealTimeHeader& header, const Progress& copied, qsizetype every)
{
    if (FileStatus status = copyRecording(tempPath, targetPath, header, copied, every); !status.ok())
        return status;
    return writeManifest(targetPath);
}

FileStatus copyRecording(const QString& tempPath, const QString& targetPath,
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
