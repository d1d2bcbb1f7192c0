// The temporary recording file "Fake" and the data file written at the stop of a recording.

#include "tests/records/recordtext.h"

#include "kirv/records/filenames.h"
#include "kirv/records/recordingfile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>
#include <string>

using namespace kirv;
using namespace kirv::test;

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

RealTimeHeader twoSampleHeader()
{
    return {1, "A", "FAST", "80-140", "89.1", "2009/03/04 08:00:02", "91.5", "88.5"};
}

const QByteArray fakeTwoSamples = "No.s\tDate Time\tdB\t\r\n"
                                  "1\t2009/03/04 08:00:01\t88.0\t\r\n"
                                  "2\t2009/03/04 08:00:02\t89.1\t\r\n";

} // namespace

class TestRecordingFile : public QObject
{
    Q_OBJECT

private slots:
    void everyLineIsOnDiskAtOnce();
    void stopWritesTheRealTimeFile();
    void newRecordingReplacesFake();
    void failures_data();
    void failures();
    void copyEndsATornLine();
    void leftRecordingIsOfferedBack_data();
    void leftRecordingIsOfferedBack();
    void twoProgramsRecordInOneFolder();
};

void TestRecordingFile::everyLineIsOnDiskAtOnce()
{
    QTemporaryDir dir;
    RecordingFile recording;
    QVERIFY(recording.start(dir.path(), dir.filePath("a.kirv")).ok());
    QCOMPARE(recording.tempPath(), dir.filePath("Fake"));
    QCOMPARE(contentOf(recording.tempPath()), QByteArray("No.s\tDate Time\tdB\t\r\n"));

    QVERIFY(recording.appendRecord("2009/03/04 08:00:01", "88.0").ok());
    QCOMPARE(recording.rowsWritten(), 1);
    QVERIFY(recording.isOpen());
    QCOMPARE(contentOf(recording.tempPath()), fakeTwoSamples.left(fakeTwoSamples.indexOf("\r\n2\t") + 2));
    QVERIFY(recording.appendRecord("2009/03/04 08:00:02", "89.1").ok());
    QCOMPARE(contentOf(recording.tempPath()), fakeTwoSamples);
    QVERIFY(!recording.isFull());
}

void TestRecordingFile::stopWritesTheRealTimeFile()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("two.kirv");
    RecordingFile recording;
    recording.setSyncToDisk(false);
    QVERIFY(recording.start(dir.path(), target).ok());
    QVERIFY(recording.appendRecord("2009/03/04 08:00:01", "88.0").ok());
    QVERIFY(recording.appendRecord("2009/03/04 08:00:02", "89.1").ok());

    QList<qsizetype> copied;
    const FileStatus status =
        recording.finish(twoSampleHeader(), [&copied](qsizetype n) { copied.append(n); });
    QVERIFY2(status.ok(), qPrintable(status.error));
    QVERIFY(!recording.isOpen());
    QCOMPARE(copied, (QList<qsizetype>{1, 2, 3})); // the title line and two records
    QCOMPARE(contentOf(target), fixture("realtime_two_samples.kirv"));
    QVERIFY(!QFile::exists(dir.filePath("Fake"))); // its records are in the data file now
    QVERIFY(!findLeftRecording(dir.path()));
}

void TestRecordingFile::newRecordingReplacesFake()
{
    QTemporaryDir dir;
    RecordingFile recording;
    QVERIFY(recording.start(dir.path(), dir.filePath("first.kirv")).ok());
    QVERIFY(recording.appendRecord("t1", "80.0").ok());
    recording.abandon(); // the link was lost: no data file
    QVERIFY(!QFile::exists(dir.filePath("first.kirv")));
    QCOMPARE(contentOf(dir.filePath("Fake")).count('\n'), 2);

    QVERIFY(recording.start(dir.path(), dir.filePath("second.kirv")).ok());
    QCOMPARE(recording.rowsWritten(), 0);
    QCOMPARE(recording.targetPath(), dir.filePath("second.kirv"));
    QCOMPARE(contentOf(dir.filePath("Fake")), QByteArray("No.s\tDate Time\tdB\t\r\n"));
    QVERIFY(recording.appendRecord("t2", "81.0").ok());
    QVERIFY(contentOf(dir.filePath("Fake")).endsWith("\r\n1\tt2\t81.0\t\r\n"));
}

void TestRecordingFile::failures_data()
{
    QTest::addColumn<bool>("blockFolder");
    QTest::addColumn<QString>("action");

    QTest::newRow("folder for Fake is a file") << true << "create";
    QTest::newRow("target folder is a file") << false << "create";
}

void TestRecordingFile::failures()
{
    QFETCH(bool, blockFolder);
    QFETCH(QString, action);

    QTemporaryDir dir;
    const QString blocked = uncreatablePath(dir.path(), blockFolder ? QString() : "t.kirv");
    RecordingFile recording;
    if (blockFolder) {
        const FileStatus status = recording.start(blocked, dir.filePath("t.kirv"));
        QVERIFY(!status.ok());
        const QString fake = QDir::toNativeSeparators(QDir(blocked).filePath("Fake"));
        QVERIFY2(status.error.startsWith("Cannot " + action + ' ' + fake + ": "),
                 qPrintable(status.error));
        QVERIFY(!recording.isOpen());
        QVERIFY(!recording.appendRecord("t", "80.0").ok());
        return;
    }

    QVERIFY(recording.start(dir.path(), blocked).ok());
    QVERIFY(recording.appendRecord("t1", "80.0").ok());
    const FileStatus status = recording.finish(twoSampleHeader());
    QVERIFY(!status.ok());
    QVERIFY2(status.error.startsWith("Cannot " + action + ' ' + QDir::toNativeSeparators(blocked)),
             qPrintable(status.error));
    // Nothing lost: "Fake" is still there and can be saved elsewhere.
    const QString fake = dir.filePath("Fake");
    QCOMPARE(contentOf(fake), QByteArray("No.s\tDate Time\tdB\t\r\n1\tt1\t80.0\t\r\n"));
    const QString elsewhere = dir.filePath("saved.kirv");
    QVERIFY(saveRecording(fake, elsewhere, twoSampleHeader()).ok());
    QVERIFY(contentOf(elsewhere).endsWith("88.5\r\nNo.s\tDate Time\tdB\t\r\n1\tt1\t80.0\t\r\n"));

    const FileStatus gone = saveRecording(dir.filePath("nothing"), elsewhere, twoSampleHeader());
    QVERIFY2(gone.error.startsWith("Cannot read " + QDir::toNativeSeparators(dir.filePath("nothing"))),
             qPrintable(gone.error));
}

void TestRecordingFile::copyEndsATornLine()
{
    // A power cut in the middle of a line leaves it without its end.
    QTemporaryDir dir;
    const QString fake = dir.filePath("Fake");
    QFile file(fake);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("No.s\tDate Time\tdB\t\r\n1\tt1\t80.0\t\r\n2\tt2\t8");
    file.close();
    QVERIFY(saveRecording(fake, dir.filePath("out.kirv"), twoSampleHeader()).ok());
    QVERIFY(contentOf(dir.filePath("out.kirv")).endsWith("1\tt1\t80.0\t\r\n2\tt2\t8\r\n"));
}

void TestRecordingFile::leftRecordingIsOfferedBack_data()
{
    QTest::addColumn<QByteArray>("fake");
    QTest::addColumn<QStringList>("shown"); // weightings and range as the panel shows them
    QTest::addColumn<QStringList>("header"); // empty: nothing to offer
    const QByteArray title = "No.s\tDate Time\tdB\t\r\n";
    QTest::newRow("no records") << title << QStringList{"A", "FAST", "80-140"} << QStringList{};
    QTest::newRow("two records, 5 s apart")
        << title + "1\t2009/03/04 08:00:01\t60.0\t\r\n2\t2009/03/04 08:00:06\t70.0*\t\r\n"
        << QStringList{"A", "FAST", "80-140"}
        << QStringList{"Real Time", "5", "A", "FAST", "80-140", "70.0*", "2009/03/04 08:00:06", "77.4", "67.4"};
    QTest::newRow("one record, panel unknown, torn line dropped")
        << title + "1\t2009/03/04 08:00:01\t88.0\t\r\n2\t2009/03/04 08:00:02\t8"
        << QStringList{"", "", ""}
        << QStringList{"Real Time", "1", "?", "?", "?", "88.0", "2009/03/04 08:00:01", "88.0", "88.0"};
}

// A "Fake" left behind by a crash: found, and its header rebuilt from its records.
void TestRecordingFile::leftRecordingIsOfferedBack()
{
    QFETCH(QByteArray, fake);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, header);
    QTemporaryDir dir;
    QVERIFY(!findLeftRecording(dir.path()));
    QFile file(dir.filePath("Fake"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fake);
    file.close();

    const auto left = findLeftRecording(dir.path());
    QCOMPARE(bool(left), !header.isEmpty());
    if (!left)
        return;
    QCOMPARE(left->tempPath, dir.filePath("Fake"));
    QCOMPARE(recoveredHeader(left->records, shown[0], shown[1], shown[2]).lines(), header);
}

// Another program in the same folder: this test program started again, recording two samples
// in the folder it is given and holding its "Fake" until it is killed.
void TestRecordingFile::twoProgramsRecordInOneFolder()
{
    QTemporaryDir dir;
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KIRV_TEST_RECORD_IN", dir.path());
    other.setProcessEnvironment(env);
    other.start(QCoreApplication::applicationFilePath(), {});
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += other.readAllStandardOutput()).contains("recording"), 10000);
    const QByteArray othersFake = contentOf(dir.filePath("Fake"));
    QCOMPARE(othersFake.count('\n'), 3);

    // Its live "Fake" is not offered, and a second recording takes a file of its own.
    QVERIFY(!findLeftRecording(dir.path()));
    RecordingFile mine;
    QVERIFY(mine.start(dir.path(), dir.filePath("mine.kirv")).ok());
    QCOMPARE(mine.tempPath(), dir.filePath("Fake-2"));
    QVERIFY(mine.appendRecord("2009/03/04 08:00:01", "70.0").ok());
    QVERIFY(!findLeftRecording(dir.path()));
    QVERIFY(mine.finish(twoSampleHeader()).ok());
    QCOMPARE(contentOf(dir.filePath("Fake")), othersFake);

    // The other program dies: its lock goes stale and its records are offered back.
    other.kill();
    QVERIFY(other.waitForFinished(10000));
    const auto left = findLeftRecording(dir.path());
    QVERIFY(left);
    QCOMPARE(left->tempPath, dir.filePath("Fake"));
    QCOMPARE(left->records.count(), 2);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (const QString folder = qEnvironmentVariable("KIRV_TEST_RECORD_IN"); !folder.isEmpty()) {
        RecordingFile recording;
        if (!recording.start(folder, QDir(folder).filePath("other.kirv")).ok()
            || !recording.appendRecord("2009/03/04 08:00:01", "88.0").ok()
            || !recording.appendRecord("2009/03/04 08:00:02", "89.1").ok())
            return 2; // the parent sees no "recording" line
        std::cout << "recording" << std::endl;
        std::string line;
        std::getline(std::cin, line); // until killed
        return 0;
    }
    TestRecordingFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_recordingfile.moc"
