#include "datafile.h"

#include "kirv/analysis/numbertext.h"
#include "textlines.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace kirv {

namespace {

/// Finds the three tabs of a record line; false when it has fewer.
bool splitRecord(QByteArrayView line, QByteArrayView (&fields)[RecordColumnCount])
{
    const char* at = line.data();
    const char* end = at + line.size();
    for (QByteArrayView& field : fields) {
        const auto* tab = static_cast<const char*>(std::memchr(at, '\t', size_t(end - at)));
        if (!tab)
            return false;
        field = QByteArrayView(at, tab - at);
        at = tab + 1;
    }
    return true;
}

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

FileStatus replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::failure("create", path, file.errorString());
    if (!write(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileStatus::failure("write", path, reason);
    }
    if (!file.commit())
        return FileStatus::failure("write", path, file.errorString());
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

QString DataFileContent::headerLine(int lineNumber) const
{
    return lineNumber >= 1 && lineNumber <= headerLines.size() ? headerLines[lineNumber - 1]
                                                               : QString();
}

DataFileContent parseDataFile(QByteArrayView bytes, const Progress& progress, qsizetype every)
{
    DataFileContent content;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    const auto lines = qsizetype(std::count(at, end, '\n')) + 1;
    content.records.reserve(lines, bytes.size());

    ProgressTicker ticker(progress, every);
    qsizetype n = 0; // line index, from 0
    int headerCount = 0;
    for (; at < end; ++n) {
        const QByteArrayView line = takeLine(at, end);

        if (n > headerCount) {
            QByteArrayView fields[RecordColumnCount];
            if (!splitRecord(line, fields)) {
                content.stoppedAtLine = n + 1;
                ++n;
                break;
            }
            content.records.append(fields[NumberColumn], fields[TimeColumn], fields[LevelColumn]);
            ticker.tick(n - 1);
        } else if (n == 0) {
            content.kind = dataFileKindOf(line);
            headerCount = headerLineCount(content.kind);
            if (headerCount > 0)
                content.headerLines.append(QString::fromUtf8(line));
        } else if (n < headerCount) {
            content.headerLines.append(QString::fromUtf8(line));
        }
        // n == headerCount: the column title line, which is not a record.
    }
    ticker.finish();
    content.lineCount = content.stoppedAtLine ? content.stoppedAtLine : n;
    content.records.squeeze();
    return content;
}

DataFileContent readDataFile(QIODevice& device, const Progress& progress, qsizetype every)
{
    const QString name = deviceName(device);
    const auto failure = [&name](const char* action, const QString& reason) {
        DataFileContent content;
        content.error = FileStatus::failure(action, name, reason).error;
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
    QFile file(path);
    return readDataFile(file, progress, every);
}

} // namespace kirv
