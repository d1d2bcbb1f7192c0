// Data files on a disk that fills up: whatever writer fails, the file it was to replace keeps its
// old content, nothing half-written is left beside it, and the message names file and reason.
// The seam failFileWritesAfterForTest() fails the writer's device part-way; where a small
// tmpfs can be mounted (root), a really full file system is tried as well.

#include "tests/records/recordtext.h"
#include "tests/support/small_disk.h"

#include "kirv/records/datafile.h"
#include "kirv/records/filenames.h"
#include "kirv/records/recordingfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace kirv;
using namespace kirv::test;

namespace {

const QByteArray Old = "old content\r\n";

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

RecordStore manyRecords(int n)
{
    RecordStore records;
    for (int i = 1; i <= n; ++i)
        records.append(Record{QString::number(i), QStringLiteral("2009/03/04 08:00:01"), QStringLiteral("88.0")});
    return records;
}

RealTimeHeader header()
{
    return {1, "A", "FAST", "80-140", "89.1", "2009/03/04 08:00:02", "91.5", "88.5"};
}

// One writer of a data file, given its target.
using Writer = std::function<FileStatus(const QString& folder, const QString& target)>;

// The stop of a recording: "Fake" in `folder` copied into the target.
FileStatus stopOfRecording(const QString& folder, const QString& target, int rows)
{
    RecordingFile recording;
    recording.setSyncToDisk(false);
    if (FileStatus s = recording.start(folder, target); !s.ok())
        return s;
    for (int i = 0; i < rows; ++i)
        if (FileStatus s = recording.appendRecord(QStringLiteral("2009/03/04 08:00:01"), QStringLiteral("88.0")); !s.ok())
            return s;
    return recording.finish(header());
}

} // namespace

class TestWriteFaults : public QObject
{
    Q_OBJECT

private slots:
    void writeFailsPartWay_data();
    void writeFailsPartWay();
    void fullFileSystem_data();
    void fullFileSystem();
    void recordingOnAFullFileSystem();
};

void TestWriteFaults::writeFailsPartWay_data()
{
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<qint64>("room"); // what the disk takes before it is full
    const Writer list = [](const QString&, const QString& target) {
        return writeDataFile(target, header().lines(), manyRecords(3000));
    };
    const Writer stop = [](const QString& folder, const QString& target) {
        return stopOfRecording(folder, target, 3000);
    };
    for (qint64 room : {0, 4096, 32768}) {
        QTest::addRow("list file, fails after %lld bytes", room) << list << room;
        QTest::addRow("stop of a recording, fails after %lld bytes", room) << stop << room;
    }
}

void TestWriteFaults::writeFailsPartWay()
{
    QFETCH(Writer, writer);
    QFETCH(qint64, room);
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    const SmallDisk small(disk);
    if (!small.mounted())
        QSKIP(SmallDisk::CannotMount);
    const QString target = disk + "/a.kirv";
    writeFile(target, Old);

    QVERIFY(small.fill());
    QVERIFY(small.leave(room));
    const FileStatus status = writer(dir.path(), target); // "Fake" stays off the small disk
    QCOMPARE(status.error, QStringLiteral("Cannot write %1: No space left on device").arg(target));
    QCOMPARE(contentOf(target), Old);
    QStringList left = QDir(disk).entryList(QDir::Files);
    left.removeOne("filler");
    QCOMPARE(left, QStringList{"a.kirv"});

    QVERIFY(small.empty()); // with room again, the old file is replaced as usual
    QVERIFY(writeDataFile(target, header().lines(), manyRecords(10)).ok());
    QVERIFY(contentOf(target).startsWith("Real Time\r\n"));
}

void TestWriteFaults::fullFileSystem_data()
{
    QTest::addColumn<int>("records");
    QTest::newRow("large file on an empty disk") << 5000;
    QTest::newRow("small file on a full disk") << 2;
}

void TestWriteFaults::fullFileSystem()
{
    QFETCH(int, records);
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    const SmallDisk small(disk);
    if (!small.mounted())
        QSKIP(SmallDisk::CannotMount);

    const QString target = disk + "/a.kirv";
    writeFile(target, Old);
    if (records < 100) // fill the disk to the last byte
        QVERIFY(small.fill());
    const FileStatus status = writeDataFile(target, header().lines(), manyRecords(records));
    QCOMPARE(status.error, QStringLiteral("Cannot write %1: No space left on device").arg(target));
    QCOMPARE(contentOf(target), Old);
    QStringList left = QDir(disk).entryList(QDir::Files);
    left.removeOne("filler");
    QCOMPARE(left, QStringList{"a.kirv"});
}

// The disk fills while a recording runs: the sample is refused with the system's reason, and
// the lines already written stay whole.
void TestWriteFaults::recordingOnAFullFileSystem()
{
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    const SmallDisk small(disk);
    if (!small.mounted())
        QSKIP(SmallDisk::CannotMount);
    RecordingFile recording;
    QVERIFY(recording.start(disk, disk + "/a.kirv").ok());
    QVERIFY(small.fill());
    FileStatus status;
    for (int i = 0; i < 1000 && status.ok(); ++i) // until the last page of "Fake" is full too
        status = recording.appendRecord(QStringLiteral("2009/03/04 08:00:01"), QStringLiteral("88.0"));
    QCOMPARE(status.error, QStringLiteral("Cannot write %1/Fake: No space left on device").arg(disk));
    const QByteArray fake = contentOf(disk + "/Fake");
    QVERIFY2(fake.endsWith("\t88.0\t\r\n"), fake.right(60).toHex(' ').constData());
    QCOMPARE(fake.count('\n'), recording.rowsWritten() + 1);
}

QTEST_GUILESS_MAIN(TestWriteFaults)
#include "test_writefaults.moc"
