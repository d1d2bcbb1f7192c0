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

namespace {

// The records of a data file taken as its bytes come, in blocks or whole.
class ContentReading
{
public:
    ContentReading(const Progress& progress, qsizetype every) : m_ticker(progress, every) {}

    DataFileContent& content() { return m_content; }
    void feed(QByteArrayView bytes) { m_walk.feed(bytes, Take{*this}); }
    DataFileContent finish()
    {
        m_walk.finish(Take{*this});
        m_ticker.finish();
        m_content.records.squeeze();
        return std::move(m_content);
    }

private:
    struct Take
    {
        ContentReading& r;
        void operator()(const QByteArrayView (&fields)[RecordColumnCount], qsizetype n) const
        {
            r.m_content.records.append(fields[NumberColumn], fields[TimeColumn], fields[LevelColumn]);
            r.m_ticker.tick(n - 1);
        }
    };

    DataFileContent m_content;
    ProgressTicker m_ticker;
    DataFileLines m_walk{m_content};
};

} // namespace

DataFileContent parseDataFile(QByteArrayView bytes, const Progress& progress, qsizetype every)
{
    ContentReading reading(progress, every);
    const auto lines = qsizetype(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    reading.content().records.reserve(lines, bytes.size());
    reading.feed(bytes);
    return reading.finish();
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
    ContentReading reading(progress, every);
    if (!device.isSequential()) {
        const qint64 expected = device.size() - device.pos();
        if (expected > MaxDataFileBytes)
            return failure("open", tooLarge);
        // The file is read in blocks, never held whole: what it costs is its records. A record
        // line is 25 bytes or more; the room not used is given back at the end.
        reading.content().records.reserve(qsizetype(expected / 25) + 1, qsizetype(expected));
    }
    QByteArray block(LineSink::ChunkBytes * 16, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = device.read(block.data(), block.size());
        if (got < 0)
            return failure("read", device.errorString());
        if (got == 0)
            break;
        total += got;
        if (total > MaxDataFileBytes)
            return failure("open", tooLarge);
        reading.feed(QByteArrayView(block.constData(), got));
    }
    return reading.finish();
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
