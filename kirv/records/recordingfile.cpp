#include "recordingfile.h"

#include "filenames.h"
#include "textlines.h"

#include "kirv/analysis/level_stats.h"
#include "kirv/analysis/numbertext.h"

#include <QDateTime>
#include <QDir>

namespace kirv {

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
    FileStatus status = saveRecording(tempPath(), m_target, header, copied, every);
    if (status.ok())
        QFile::remove(tempPath());
    return status;
}

void RecordingFile::abandon()
{
    m_file.close();
}

std::optional<LeftRecording> findLeftRecording(const QString& folder)
{
    LeftRecording left{QDir(folder).filePath(QLatin1String(RecordingFileName)), {}};
    QFile temp(left.tempPath);
    if (!temp.exists())
        return std::nullopt;
    DataFileContent content = readDataFile(temp);
    if (!content.ok() || content.records.count() == 0)
        return std::nullopt;
    left.records = std::move(content.records);
    return left;
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
