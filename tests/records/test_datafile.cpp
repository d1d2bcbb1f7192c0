// Data file writers and reader, byte for byte.
//
// The fixtures tests/data/realtime_two_samples.kirv, logger_three_samples.kirv and
// plain_list.kirv are what the writers produce for the tables below (golden files: see
// tests/support/golden.h for how to regenerate them).

#include "tests/records/recordtext.h"
#include "tests/support/golden.h"

#include "kirv/records/datafile.h"
#include "kirv/records/filenames.h"
#include "kirv/records/level_series.h"
#include "kirv/base/numbertext.h"
#include "kirv/base/replace_file.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kirv;
using namespace kirv::test;

namespace {

RealTimeHeader twoSampleHeader()
{
    return {1, "A", "FAST", "80-140", "89.1", "2009/03/04 08:00:02", "91.5", "88.5"};
}

LoggerHeader loggerHeader()
{
    return {2,      "C",    "SLOW", "30-90", "71.2",  "68.0",
            "60.3", "52.1", "50.9", "75.4*", "2010/11/23 14:05:08", "97.7", "63.0"};
}

const QStringList twoSamples{"1|2009/03/04 08:00:01|88.0", "2|2009/03/04 08:00:02|89.1"};
const QStringList loggerSamples{"1|2010/11/23 14:05:06|61.0", "2|2010/11/23 14:05:08|75.4*",
                                "3|2010/11/23 14:05:10|"};
const QStringList plainSamples{"1|2009/03/04 08:00:01|88.0", "2|2009/03/04 08:00:02|89.1*",
                               "3|2009/03/04 08:00:03|90.2"};

const QByteArray realTimeHead = "Real Time\r\n1\r\nA\r\nFAST\r\n80-140\r\n89.1\r\n"
                                "2009/03/04 08:00:02\r\n91.5\r\n88.5\r\n";
const QByteArray titleLine = "No.s\tDate Time\tdB\t\r\n";

} // namespace

class TestDataFile : public QObject
{
    Q_OBJECT

private slots:
    void writers_data();
    void writers();
    void reader_data();
    void reader();
    void damagedFiles_data();
    void damagedFiles();
    void readerProgress();
    void writerRowsAndProgress();
    void roundTrip_data();
    void roundTrip();
    void failures();
    void numbers_data();
    void numbers();
    void fileNames();
    void targetProbe_data();
    void targetProbe();
};

void TestDataFile::writers_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("fixtureName");

    QTest::newRow("real-time, two samples at interval 1")
        << twoSampleHeader().lines() << twoSamples
        << realTimeHead + titleLine + "1\t2009/03/04 08:00:01\t88.0\t\r\n"
                                      "2\t2009/03/04 08:00:02\t89.1\t\r\n"
        << "realtime_two_samples.kirv";
    QTest::newRow("logger, marked and empty levels")
        << loggerHeader().lines() << loggerSamples
        << QByteArray("Data Logger\r\n2\r\nC\r\nSLOW\r\n30-90\r\n71.2\r\n68.0\r\n60.3\r\n52.1\r\n"
                      "50.9\r\n75.4*\r\n2010/11/23 14:05:08\r\n97.7\r\n63.0\r\n")
               + titleLine
               + "1\t2010/11/23 14:05:06\t61.0\t\r\n2\t2010/11/23 14:05:08\t75.4*\t\r\n"
                 "3\t2010/11/23 14:05:10\t\t\r\n"
        << "logger_three_samples.kirv";
    QTest::newRow("plain list") << QStringList() << plainSamples
                                << titleLine + "1\t2009/03/04 08:00:01\t88.0\t\r\n"
                                               "2\t2009/03/04 08:00:02\t89.1*\t\r\n"
                                               "3\t2009/03/04 08:00:03\t90.2\t\r\n"
                                << "plain_list.kirv";
    QTest::newRow("empty plain list") << QStringList() << QStringList() << titleLine << QString();
}

void TestDataFile::writers()
{
    QFETCH(QStringList, header);
    QFETCH(QStringList, records);
    QFETCH(QByteArray, expected);
    QFETCH(QString, fixtureName);

    QTemporaryDir dir;
    const QString path = dir.filePath("out.kirv");
    const FileStatus status = writeDataFile(path, header, recordsFrom(records));
    QVERIFY2(status.ok(), qPrintable(status.error));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), expected);

    if (fixtureName.isEmpty())
        return;
    kirv::test::compareGolden(fixtureName, expected);
}

void TestDataFile::reader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<DataFileKind>("kind");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<qsizetype>("stoppedAtLine");

    const QStringList rtHeader = twoSampleHeader().lines();
    const QByteArray rtFile = fixture("realtime_two_samples.kirv");
    QTest::newRow("real-time fixture") << rtFile << DataFileKind::RealTime << rtHeader
                                       << twoSamples << qsizetype(0);
    QTest::newRow("logger fixture")
        << fixture("logger_three_samples.kirv") << DataFileKind::Logger << loggerHeader().lines()
        << loggerSamples << qsizetype(0);
    QTest::newRow("plain list fixture: the title line is no record")
        << fixture("plain_list.kirv") << DataFileKind::PlainList << QStringList() << plainSamples
        << qsizetype(0);
    QTest::newRow("LF line ends") << QByteArray(rtFile).replace("\r\n", "\n")
                                  << DataFileKind::RealTime << rtHeader << twoSamples
                                  << qsizetype(0);
    QTest::newRow("no line end after the last record")
        << rtFile.chopped(2) << DataFileKind::RealTime << rtHeader << twoSamples << qsizetype(0);

    QByteArray marked = rtFile;
    marked.replace("Real Time\r\n", "Saved: Real Time data\r\n");
    QStringList markedHeader = rtHeader;
    markedHeader[0] = "Saved: Real Time data";
    QTest::newRow("mark inside other text counts") << marked << DataFileKind::RealTime
                                                   << markedHeader << twoSamples << qsizetype(0);
    QTest::newRow("mark in other letter case does not: plain list ending at line 2")
        << QByteArray(rtFile).replace("Real Time", "real time") << DataFileKind::PlainList
        << QStringList() << QStringList() << qsizetype(2);
    QTest::newRow("a record without its trailing tab ends the reading")
        << realTimeHead + titleLine + "1\tT1\t88.0\t\r\n2\tT2\t89.1\r\n3\tT3\t90.0\t\r\n"
        << DataFileKind::RealTime << rtHeader << QStringList{"1|T1|88.0"} << qsizetype(12);
    QTest::newRow("two tabs, the last at the end, end the reading too")
        << titleLine + "1\tT1\t\r\n2\tT2\t89.1\t\r\n" << DataFileKind::PlainList << QStringList()
        << QStringList() << qsizetype(2);
    QTest::newRow("a blank line ends the reading")
        << titleLine + "1\tT1\t88.0\t\r\n\r\n2\tT2\t89.1\t\r\n" << DataFileKind::PlainList
        << QStringList() << QStringList{"1|T1|88.0"} << qsizetype(3);
    QTest::newRow("more than three fields keep the first three")
        << titleLine + "1\tT1\t88.0\textra\tmore\r\n2\t\t\t\r\n" << DataFileKind::PlainList
        << QStringList() << QStringList{"1|T1|88.0", "2||"} << qsizetype(0);
    QTest::newRow("header texts unchanged, blanks and all")
        << QByteArray("Real Time\r\n 5 \r\n  A\r\n\r\nx\ty\r\n 89.1 \r\n\r\n91.5\r\n88.5\r\n")
               + "anything\r\n1\tT\t88.0\t\r\n"
        << DataFileKind::RealTime
        << QStringList{"Real Time", " 5 ", "  A", "", "x\ty", " 89.1 ", "", "91.5", "88.5"}
        << QStringList{"1|T|88.0"} << qsizetype(0);
    QTest::newRow("real-time file of five lines")
        << QByteArray("Real Time\r\n1\r\nA\r\nFAST\r\n80-140\r\n") << DataFileKind::RealTime
        << rtHeader.mid(0, 5) << QStringList() << qsizetype(0);
    QTest::newRow("logger file without records")
        << fixture("logger_three_samples.kirv").left(fixture("logger_three_samples.kirv").indexOf("1\t"))
        << DataFileKind::Logger << loggerHeader().lines() << QStringList() << qsizetype(0);
    QTest::newRow("empty file") << QByteArray() << DataFileKind::PlainList << QStringList()
                                << QStringList() << qsizetype(0);
    QTest::newRow("a CR alone ends a line as CRLF and LF do")
        << titleLine + "1\tT\t8\t\r2\tT\t9\t\n3\tT\t7\t\r\n" << DataFileKind::PlainList
        << QStringList() << QStringList{"1|T|8", "2|T|9", "3|T|7"} << qsizetype(0);
    QTest::newRow("UTF-8 texts") << QByteArray("No.s\r\n1\t\xc3\xa9t\xc3\xa9\t9\t\n")
                                 << DataFileKind::PlainList << QStringList()
                                 << QStringList{QString::fromUtf8("1|\xc3\xa9t\xc3\xa9|9")}
                                 << qsizetype(0);
}

void TestDataFile::reader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(DataFileKind, kind);
    QFETCH(QStringList, header);
    QFETCH(QStringList, records);
    QFETCH(qsizetype, stoppedAtLine);

    QBuffer buffer(&bytes);
    const DataFileContent content = readDataFile(buffer);
    QVERIFY2(content.ok(), qPrintable(content.error));
    QCOMPARE(content.kind, kind);
    QCOMPARE(content.headerLines, header);
    QCOMPARE(recordTexts(content.records), records);
    QCOMPARE(content.stoppedAtLine, stoppedAtLine);
    for (int line = 1; line <= header.size(); ++line)
        QCOMPARE(content.headerLine(line), header[line - 1]);
    QVERIFY(content.headerLine(header.size() + 1).isNull());
}

// Damaged files, read from the disk by the windows' reader and by the report's streaming series
// reader: both keep the same records and tell the same stop.
void TestDataFile::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("records");
    QTest::addColumn<QString>("problem"); // %1 stands for the file's path

    const QByteArray rtFile = fixture("realtime_two_samples.kirv");
    QByteArray fiveHundred = titleLine;
    for (int i = 1; i <= 1000; ++i)
        fiveHundred += i == 500 ? QByteArray("500\t2009/03/04 08:08:20\x01\xff 88.0\r\n")
                                : QByteArray::number(i) + "\t2009/03/04 08:00:00\t88.0\t\r\n";
    QTest::newRow("cut in the middle of a line")
        << rtFile + "3\t2009/03/04 08:0" << qsizetype(2)
        << "Reading stopped at line 13 of %1, which is not a record: \"3\\t2009/03/04 08:0\" "
           "(lines not read: 1)";
    QTest::newRow("a broken line at record 500") << fiveHundred << qsizetype(499)
        << "Reading stopped at line 501 of %1, which is not a record: \"500\\t2009/03/04 "
           "08:08:20\\x01\\xff 88.0\" (lines not read: 501)";
    QTest::newRow("CR-only line ends") << QByteArray(rtFile).replace("\r\n", "\r")
                                       << qsizetype(2) << QString();
    QTest::newRow("a long stop line shows its first 40 bytes")
        << titleLine + QByteArray(100, 'x') << qsizetype(0)
        << "Reading stopped at line 2 of %1, which is not a record: \"" + QString(40, 'x') +
               "\" (lines not read: 1)";
    QTest::newRow("empty") << QByteArray() << qsizetype(0) << "Cannot read %1: the file is empty";
    QTest::newRow("random bytes") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << qsizetype(0)
                                  << "Cannot read %1: it is not a data file";
    QTest::newRow("a plain list of no records is a data file") << titleLine << qsizetype(0)
                                                               << QString();
}

void TestDataFile::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, records);
    QFETCH(QString, problem);

    QTemporaryDir dir;
    const QString path = dir.filePath("damaged.kirv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    const DataFileContent list = readDataFile(path);
    const DataFileSeries series = readDataFileSeries(path);
    QVERIFY(list.ok() && series.ok());
    QCOMPARE(list.records.count(), records);
    QCOMPARE(qsizetype(series.samples.size()), records);
    // A file that is no data file is refused as a whole; a data file may have stopped early.
    const auto said = [&path](const DataFileReading& reading) {
        const QString refusal = reading.notDataError(path);
        return refusal.isEmpty() ? reading.stopNotice(path) : refusal;
    };
    QCOMPARE(said(list), problem.isEmpty() ? QString() : problem.arg(path));
    QCOMPARE(said(series), said(list));
    QCOMPARE(series.complete(), list.complete());
}

void TestDataFile::readerProgress()
{
    QByteArray bytes = realTimeHead + titleLine;
    for (int i = 1; i <= 7; ++i)
        bytes += QByteArray::number(i) + "\tT\t80.0\t\r\n";

    QList<qsizetype> reported;
    const auto record = [&reported](qsizetype n) { reported.append(n); };
    parseDataFile(bytes, record, 1);
    QCOMPARE(reported, (QList<qsizetype>{9, 10, 11, 12, 13, 14, 15}));

    reported.clear();
    parseDataFile(bytes, record, 3);
    QCOMPARE(reported, (QList<qsizetype>{9, 12, 15}));

    reported.clear();
    parseDataFile(bytes, record, 4);
    QCOMPARE(reported, (QList<qsizetype>{9, 13, 15})); // the last record is always reported
}

void TestDataFile::writerRowsAndProgress()
{
    const RecordStore records = recordsFrom(plainSamples);
    QList<qsizetype> rows;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(WriteRecordRows(buffer, records, 2, [&rows](qsizetype row) { rows.append(row); }, 1));
    QCOMPARE(rows, (QList<qsizetype>{0, 1, 2}));
    QCOMPARE(buffer.data(), titleLine + "1\t2009/03/04 08:00:01\t88.0\t\r\n"
                                        "2\t2009/03/04 08:00:02\t89.1*\t\r\n");

    QBuffer all;
    all.open(QIODevice::WriteOnly);
    QVERIFY(WriteRecordRows(all, records, 99)); // cut to the last record
    QCOMPARE(all.data().count('\n'), 4);
}

void TestDataFile::roundTrip_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<DataFileKind>("kind");

    QTest::newRow("real-time") << twoSampleHeader().lines() << DataFileKind::RealTime;
    QTest::newRow("logger") << loggerHeader().lines() << DataFileKind::Logger;
    QTest::newRow("plain list") << QStringList() << DataFileKind::PlainList;
}

void TestDataFile::roundTrip()
{
    QFETCH(QStringList, header);
    QFETCH(DataFileKind, kind);

    RecordStore records;
    for (int i = 1; i <= 2500; ++i)
        records.append(QByteArray::number(i), "2024/12/31 23:59:59",
                       i % 7 ? QByteArray::number(40 + i % 900 / 10.0) : QByteArray("93.4*"));
    records.append(QByteArray("2501"), QByteArray("2025/01/01 00:00:00"), QByteArray());

    QTemporaryDir dir;
    const QString path = dir.filePath("round.kirv");
    QVERIFY(writeDataFile(path, header, records).ok());
    const DataFileContent content = readDataFile(path);
    QVERIFY(content.ok());
    QCOMPARE(content.kind, kind);
    QCOMPARE(content.headerLines, header);
    QCOMPARE(recordTexts(content.records), recordTexts(records));
}

void TestDataFile::failures()
{
    QTemporaryDir dir;
    const QString blocked = uncreatablePath(dir.path(), "x.kirv");

    const FileStatus write = writeDataFile(blocked, twoSampleHeader().lines(), {});
    QVERIFY(!write.ok());
    QVERIFY2(write.error.startsWith("Cannot create " + QDir::toNativeSeparators(blocked) + ": "),
             qPrintable(write.error));
    QVERIFY(write.error.size() > QStringLiteral("Cannot create : ").size() + blocked.size());

    const QString missing = dir.filePath("missing.kirv");
    const DataFileContent read = readDataFile(missing);
    QVERIFY(!read.ok());
    QVERIFY2(read.error.startsWith("Cannot open " + QDir::toNativeSeparators(missing) + ": "),
             qPrintable(read.error));
    QVERIFY(read.records.isEmpty());

    // A full disk: the device refuses the bytes.
    QFile full("/dev/full");
    if (full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        QVERIFY(!writeLines(full, twoSampleHeader().lines()));
        QVERIFY(!WriteRecordRows(full, recordsFrom(twoSamples), 2));
    }

    // A failed save leaves the file that was there before untouched.
    const QString existing = dir.filePath("keep.kirv");
    QVERIFY(writeDataFile(existing, {}, recordsFrom(plainSamples)).ok());
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    if (!QFile(dir.filePath("probe")).open(QIODevice::WriteOnly)) { // not root
        QVERIFY(!writeDataFile(existing, {}, {}).ok());
        QCOMPARE(readDataFile(existing).records.count(), 3);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestDataFile::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << "86400" << 86400.0;
    QTest::newRow("blanks around") << "  1 " << 1.0;
    QTest::newRow("blanks inside") << " 1 0" << 10.0;
    QTest::newRow("marked level") << "89.1*" << 89.1;
    QTest::newRow("negative") << "-3.5" << -3.5;
    QTest::newRow("exponent") << "1.5E2" << 150.0;
    QTest::newRow("dangling exponent") << "7e" << 7.0;
    QTest::newRow("text") << "FAST" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("second point ends") << "1.2.3" << 1.2;
    QTest::newRow("colon ends") << "12:30" << 12.0;
    QTest::newRow("letter first") << "L93" << 0.0;
    QTest::newRow("lone point") << "." << 0.0;
}

void TestDataFile::numbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(numericValue(text), value);
    QCOMPARE(numericValue(numberText(value)), value);
}

void TestDataFile::fileNames()
{
    QCOMPARE(qtFileFilter(QLatin1String(DataFileFilter)),
             QStringLiteral("Data Files (*.kirv);;All Files (*.*)"));
    QCOMPARE(qtFileFilter("Lists|*.kirv;*.txt|"), QStringLiteral("Lists (*.kirv *.txt)"));
    QCOMPARE(qtFileFilter(QString()), QString());
    QCOMPARE(fileTitle("/data/site 4/night.kirv"), QStringLiteral("night.kirv"));
    QCOMPARE(fileTitle("night.kirv"), QStringLiteral("night.kirv"));
    QCOMPARE(autoListFileName(QDateTime(QDate(2009, 3, 4), QTime(18, 0, 2))),
             QStringLiteral("0304180002.kirv"));
    QCOMPARE(numberText(89.1), QStringLiteral("89.1"));
    QCOMPARE(numberText(0), QStringLiteral("0"));
    QCOMPARE(continuationPath("/data/site 4/night.kirv", 2), QStringLiteral("/data/site 4/night-2.kirv"));
    QCOMPARE(continuationPath("/data/a.b.kirv", 13), QStringLiteral("/data/a.b-13.kirv"));
    QCOMPARE(continuationPath("night", 3), QStringLiteral("night-3"));
}

// A target is tried when it is chosen: refused with the reason, and nothing is left behind.
void TestDataFile::targetProbe_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason"); // empty: accepted
    QTest::newRow("new file") << "new.kirv" << "";
    QTest::newRow("existing file") << "keep.kirv" << "";
    QTest::newRow("missing folder") << "nowhere/a.kirv" << "the folder does not exist";
    QTest::newRow("a folder") << "sub" << "it is a folder";
    QTest::newRow("folder below a file") << "plainfile/a.kirv" << "the folder does not exist";
}

void TestDataFile::targetProbe()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    uncreatablePath(dir.path(), {});
    QDir(dir.path()).mkdir("sub");
    const QString existing = dir.filePath("keep.kirv");
    QVERIFY(writeDataFile(existing, {}, recordsFrom(plainSamples)).ok());
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const QString path = dir.filePath(name);
    const FileStatus status = probeTarget(path);
    QCOMPARE(status.error, reason.isEmpty() ? QString() : "Cannot create " + QDir::toNativeSeparators(path) + ": " + reason);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(readDataFile(existing).records.count(), 3);
}

QTEST_GUILESS_MAIN(TestDataFile)
#include "test_datafile.moc"
