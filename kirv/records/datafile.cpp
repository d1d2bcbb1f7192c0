#include "kirv/records/datafile.h"

#include "kirv/base/numbertext.h"
#include "kirv/base/text_lines.h"
#include "kirv/records/datafile_lines.h"
#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/replace_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>


namespace kirv {

namespace {

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
