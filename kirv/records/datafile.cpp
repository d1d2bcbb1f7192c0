#include "datafile.h"

#include "kirv/analysis/numbertext.h"
#include "textlines.h"
#include "kirv/records/datafile_lines.h"
#include "kirv/records/native_names.h"
#include "kirv/records/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(Q_OS_WIN)
#include <io.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace kirv {

namespace {

// The test seam of failFileWritesAfterForTest(): the budget of bytes a written file takes before
// it refuses writes the way a full disk does; negative for no limit.
qint64 g_writeBudget = -1;

// What a writer of replaceFile() writes to. A file takes a write in parts when the disk fills
// part-way and reports the count alone; the rest is offered again, so that the refusal comes
// with the system's reason ("No space left on device") instead of a count that came up short.
class WholeWriteDevice : public QIODevice
{
public:
    WholeWriteDevice(QFileDevice& file, qint64 budget) : m_file(file), m_budget(budget)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override
    {
        qint64 done = 0;
        while (done < len) {
            const qint64 allowed = m_budget < 0 ? len - done : std::min(len - done, m_budget);
            if (allowed == 0) {
                setErrorString(qt_error_string(ENOSPC));
                return -1;
            }
            const qint64 n = m_file.write(data + done, allowed);
            if (n <= 0) {
                setErrorString(m_file.errorString());
                return -1;
            }
            done += n;
            if (m_budget >= 0)
                m_budget -= n;
        }
        return done;
    }

private:
    QFileDevice& m_file;
    qint64 m_budget;
};

QString deviceName(QIODevice& device)
{
    if (const auto* file = qobject_cast<QFileDevice*>(&device))
        return file->fileName();
    return QStringLiteral("the data file");
}

} // namespace

DataFileKind dataFileKindOf(QByteArrayView firstLine)
{
    if (firstLine.contains(QByteArrayView(RealTimeMark)))
        return DataFileKind::RealTime;
    if (firstLine.contains(QByteArrayView(LoggerMark)))
        return DataFileKind::Logger;
    return DataFileKind::PlainList;
}

int headerLineCount(DataFileKind kind)
{
    switch (kind) {
    case DataFileKind::RealTime: return RealTimeLeqLine;
    case DataFileKind::Logger: return LoggerLeqLine;
    case DataFileKind::PlainList: break;
    }
    return 0;
}

QStringList RealTimeHeader::lines() const
{
    return {QString::fromLatin1(RealTimeMark), numberText(sampleInterval), freqWeight, timeWeight,
            range, maxLevel, maxTime, sel, leq};
}

QStringList LoggerHeader::lines() const
{
    return {QString::fromLatin1(LoggerMark), numberText(sampleInterval), freqWeight, timeWeight,
            range, l05, l10, l50, l90, l95, maxLevel, maxTime, sel, leq};
}

bool writeLines(QIODevice& out, const QStringList& lines)
{
    LineSink sink(out);
    for (const QString& line : lines) {
        sink.append(line.toUtf8());
        sink.endLine();
    }
    return sink.flush();
}

bool WriteRecordRows(QIODevice& out, const RecordStore& records, qsizetype lastRow,
                     const Progress& progress, qsizetype every)
{
    lastRow = std::min(lastRow, records.count());
    ProgressTicker ticker(progress, every);
    LineSink sink(out);
    for (qsizetype row = 0; row <= lastRow && sink.ok(); ++row) {
        for (int column = 0; column < RecordColumnCount; ++column) {
            sink.append(row == 0 ? QByteArrayView(RecordColumnTitles[size_t(column)])
                                 : records.field(row - 1, column));
            sink.append("\t");
        }
        sink.endLine();
        ticker.tick(row);
    }
    ticker.finish();
    return sink.flush();
}

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

void failFileWritesAfterForTest(qint64 bytes)
{
    g_writeBudget = bytes;
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
    WholeWriteDevice out(file, g_writeBudget);
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

FileStatus writeDataFile(const QString& path, const QStringList& headerLines,
                         const RecordStore& records, const Progress& progress, qsizetype every)
{
    return replaceFile(path, [&](QIODevice& out) {
        return writeLines(out, headerLines)
               && WriteRecordRows(out, records, records.count(), progress, every);
    });
}

QString DataFileReading::headerLine(int lineNumber) const
{
    return lineNumber >= 1 && lineNumber <= headerLines.size() ? headerLines[lineNumber - 1]
                                                               : QString();
}

namespace {

// The found text of a stop as a quoted excerpt: tabs as \t, other control and non-ASCII bytes
// as \xHH, so that whatever a damaged file holds shows as plain text.
QString excerpt(QByteArrayView bytes)
{
    QString out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\t')
            out += QLatin1String("\\t");
        else if (u == '"' || u == '\\')
            out += QLatin1Char('\\'), out += QLatin1Char(c);
        else if (u < 0x20 || u >= 0x7F)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return out;
}

} // namespace

QString DataFileReading::stopNotice(const QString& file) const
{
    if (complete())
        return {};
    return QStringLiteral("Reading stopped at line %1 of %2, which is not a record: \"%3\" "
                          "(lines not read: %4)")
        .arg(stoppedAtLine)
        .arg(QDir::toNativeSeparators(shownName(file)), excerpt(stopText))
        .arg(unreadLines);
}

QString DataFileReading::notDataError(const QString& file) const
{
    if (lineCount == 0)
        return FileStatus::failure("read", shownName(file), QStringLiteral("the file is empty")).error;
    if (kind == DataFileKind::PlainList && !titled && recordLines == 0)
        return FileStatus::failure("read", shownName(file), QStringLiteral("it is not a data file"))
            .error;
    return {};
}

DataFileContent parseDataFile(QByteArrayView bytes, const Progress& progress, qsizetype every)
{
    DataFileContent content;
    const auto lines = qsizetype(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    content.records.reserve(lines, bytes.size());

    ProgressTicker ticker(progress, every);
    DataFileLines walk(content);
    const auto record = [&](const QByteArrayView (&fields)[RecordColumnCount], qsizetype n) {
        content.records.append(fields[NumberColumn], fields[TimeColumn], fields[LevelColumn]);
        ticker.tick(n - 1);
    };
    walk.feed(bytes, record);
    walk.finish(record);
    ticker.finish();
    content.records.squeeze();
    return content;
}

DataFileContent readDataFile(QIODevice& device, const Progress& progress, qsizetype every)
{
    const QString name = deviceName(device);
    const auto failure = [&name](const char* action, const QString& reason) {
        DataFileContent content;
        content.error = FileStatus::failure(action, shownName(name), reason).error;
        return content;
    };
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return failure("open", device.errorString());
    const QString tooLarge = QStringLiteral("the file is larger than %1 MB").arg(MaxDataFileBytes >> 20);
    QByteArray bytes;
    if (!device.isSequential()) {
        const qint64 expected = device.size() - device.pos();
        if (expected > MaxDataFileBytes)
            return failure("open", tooLarge);
        bytes = device.readAll();
        if (bytes.size() < expected)
            return failure("read", device.errorString());
    } else {
        QByteArray chunk;
        while (!(chunk = device.read(LineSink::ChunkBytes)).isEmpty()) {
            if (bytes.size() + chunk.size() > MaxDataFileBytes)
                return failure("open", tooLarge);
            bytes.append(chunk);
        }
    }
    return parseDataFile(bytes, progress, every);
}

DataFileContent readDataFile(const QString& path, const Progress& progress, qsizetype every)
{
    QFile file;
    if (const FileStatus opened = openRegularFile(file, path, MaxDataFileBytes); !opened.ok()) {
        DataFileContent content;
        content.error = opened.error;
        return content;
    }
    return readDataFile(file, progress, every);
}

} // namespace kirv
