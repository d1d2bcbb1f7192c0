// kirv-report's output files: whole or absent after a failure, with the system's reason.
#include "tests/report/report_fixture.h"
#include "tests/support/small_disk.h"
#include "tests/report/report_run.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// The arguments with every "OUT" turned into `target`.
QStringList withTarget(QStringList arguments, const QString& target)
{
    arguments.replaceInStrings(QRegularExpression("^OUT$"), target);
    return arguments;
}

} // namespace

class TestReportOutputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fullDiskNamesTheReason_data();
    void fullDiskNamesTheReason();
    void nonRegularTargetsAreRefused_data();
    void nonRegularTargetsAreRefused();
    void linkIsFollowed();
    void standardOutputIsWrittenStraight_data();
    void standardOutputIsWrittenStraight();
    void twoOutputsOnOneFile_data();
    void twoOutputsOnOneFile();
    void dataFilesAreWrittenOverOnlyByForce_data();
    void dataFilesAreWrittenOverOnlyByForce();

private:
    QTemporaryDir m_dir;
    QString m_long;
    QString m_short;
};

void TestReportOutputs::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Three days at one record a minute, loud and quiet by turns: thousands of periods and
    // events, so that every output is larger than a small disk.
    m_long = m_dir.filePath("long.kirv");
    QList<QPair<QString, QString>> records;
    const QDateTime start(QDate(2026, 3, 4), QTime(0, 0));
    for (int i = 0; i < 4000; ++i)
        records << qMakePair(start.addSecs(60 * i).toString("yyyy/MM/dd HH:mm:ss"),
                             QString(i % 2 ? "90.0" : "40.0"));
    writeFile(m_long, dataFileBytes(realTimeHeader(60), records));
    m_short = m_dir.filePath("short.kirv");
    writeFile(m_short, dataFileBytes(realTimeHeader(1), {{"2026/03/04 08:00:01", "88.0"}}));
}

// A write that runs out of room part-way names the system's reason, and the older file stays.
void TestReportOutputs::fullDiskNamesTheReason_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("-o") << QStringList{"--format", "json", "--period", "1", "-o", "OUT"};
    QTest::newRow("--period-csv") << QStringList{"--period", "1", "--period-csv", "OUT"};
    QTest::newRow("--events-csv") << QStringList{"--events", "80:0", "--events-csv", "OUT"};
    QTest::newRow("--pdf") << QStringList{"--pdf", "OUT"};
}

void TestReportOutputs::fullDiskNamesTheReason()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    const kirv::test::SmallDisk small(disk);
    if (!small.mounted())
        QSKIP(kirv::test::SmallDisk::CannotMount);
    const QString target = disk + "/out";
    writeFile(target, "old");
    const QStringList files(12, m_long);
    const Run run = runReport(withTarget(arguments, target) + files);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err).section('\n', -2), // after the platform's notes, if any
             QStringLiteral("kirv-report: Cannot write %1: No space left on device\n").arg(target));
    QCOMPARE(readFile(target), QByteArray("old"));
    QCOMPARE(QDir(disk).entryList(QDir::Files), QStringList{"out"});
}

// A device, a FIFO or a link to one is no file to replace: refused before anything is read, and
// left as it was.
void TestReportOutputs::nonRegularTargetsAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("-o FIFO") << "fifo" << QStringList{"-o", "OUT"};
    QTest::newRow("--period-csv FIFO") << "fifo" << QStringList{"--period-csv", "OUT"};
    QTest::newRow("--events-csv FIFO")
        << "fifo" << QStringList{"--events", "80:0", "--events-csv", "OUT"};
    QTest::newRow("--pdf FIFO") << "fifo" << QStringList{"--pdf", "OUT"};
    QTest::newRow("-o link to a FIFO") << "link" << QStringList{"-o", "OUT"};
    QTest::newRow("-o device") << "device" << QStringList{"-o", "OUT"};
}

void TestReportOutputs::nonRegularTargetsAreRefused()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    const QByteArray node = QFile::encodeName(dir.filePath("node"));
    if (kind == "device") {
        // The full device's numbers, in a folder of our own.
        if (::mknod(node.constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
            QSKIP("cannot make a device node here (needs root)");
    } else {
        QCOMPARE(::mkfifo(node.constData(), 0600), 0);
    }
    const QString target = kind == "link" ? dir.filePath("link") : QFile::decodeName(node);
    if (kind == "link")
        QVERIFY(QFile::link(QFile::decodeName(node), target));
    const Run run = runReport(withTarget(arguments, target) << m_short);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err).section('\n', -2),
             QStringLiteral("kirv-report: Cannot create %1: it is not a regular file\n").arg(target));
    struct stat info;
    QCOMPARE(::stat(node.constData(), &info), 0);
    QVERIFY(kind == "device" ? S_ISCHR(info.st_mode) : S_ISFIFO(info.st_mode));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), kind == "link" ? 2 : 1);
}

// A link to a file: the file takes the report, the link stays.
void TestReportOutputs::linkIsFollowed()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("report.txt");
    const QString link = dir.filePath("link.txt");
    writeFile(file, "old");
    QVERIFY(QFile::link(file, link));
    const Run run = runReport({"-o", link, m_short});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(file), runReport({m_short}).out);
}

// "-o -" and "-o /dev/stdout" are standard output, written as it is: a pipe, or the file the
// shell opened for it, which stays where it is.
void TestReportOutputs::standardOutputIsWrittenStraight_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("toFile");
    QTest::newRow("- to a pipe") << "-" << false;
    QTest::newRow("/dev/stdout to a pipe") << "/dev/stdout" << false;
    QTest::newRow("/dev/stdout to a file") << "/dev/stdout" << true;
}

void TestReportOutputs::standardOutputIsWrittenStraight()
{
    QFETCH(QString, target);
    QFETCH(bool, toFile);
    const QByteArray expected = runReport({m_short}).out;
    QVERIFY(!expected.isEmpty());
    QTemporaryDir dir;
    const QString file = dir.filePath("shell.txt");
    QProcess process;
    if (toFile)
        process.setStandardOutputFile(file);
    process.start(QStringLiteral(KIRV_REPORT), {"-o", target, m_short});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(toFile ? readFile(file) : process.readAllStandardOutput(), expected);
    if (toFile)
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"shell.txt"});
}

// Two outputs that would end as one file are a bad command line, whatever names they go by.
void TestReportOutputs::twoOutputsOnOneFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("-o and --period-csv")
        << QStringList{"-o", "DIR/a.txt", "--period-csv", "DIR/a.txt"}
        << "-o and --period-csv name one output, DIR/a.txt";
    QTest::newRow("--period-csv and --events-csv by another name")
        << QStringList{"--events", "80:0", "--period-csv", "DIR/a.txt", "--events-csv",
                       "DIR/./a.txt"}
        << "--period-csv and --events-csv name one output, DIR/./a.txt";
    QTest::newRow("-o and --pdf through a link")
        << QStringList{"-o", "DIR/old.txt", "--pdf", "DIR/link.txt"}
        << "-o and --pdf name one output, DIR/link.txt";
    QTest::newRow("the report and --period-csv on standard output")
        << QStringList{"--period-csv", "-"}
        << "the report and --period-csv name one output, standard output";
}

void TestReportOutputs::twoOutputsOnOneFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    writeFile(dir.filePath("old.txt"), "old");
    QVERIFY(QFile::link(dir.filePath("old.txt"), dir.filePath("link.txt")));
    arguments.replaceInStrings(QRegularExpression("^DIR"), dir.path());
    const Run run = runReport(arguments << m_short);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    // After the platform's notes, if any.
    QVERIFY2(QString::fromUtf8(run.err).endsWith("kirv-report: " +
                                                 message.replace("DIR", dir.path()) +
                                                 "\nTry 'kirv-report --help'.\n"),
             run.err.constData());
    QCOMPARE(readFile(dir.filePath("old.txt")), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"link.txt", "old.txt"}));
}

// An output over one of the inputs (a shell's "-o month/*.kirv") or over any data file keeps
// the data unless --force says otherwise; another file is replaced as before.
void TestReportOutputs::dataFilesAreWrittenOverOnlyByForce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QByteArray logger = dataFileBytes({"Data Logger", "1"}, {{"2026/03/04 08:00:01", "70.0"}});
    const QByteArray plain = dataFileBytes({}, {{"2026/03/04 08:00:01", "70.0"}});
    const QString input = "-o names OUT, one of the data files to analyse (--force writes over it)"
                          "\nTry 'kirv-report --help'.\n";
    const QString dataFile = "Cannot write OUT: it is a data file (--force writes over it)\n";
    QTest::newRow("-o an input") << QStringList{"-o", "OUT", "OUT"} << logger << 2 << input;
    QTest::newRow("-o a logger file") << QStringList{"-o", "OUT"} << logger << 1 << dataFile;
    QTest::newRow("-o a plain list") << QStringList{"-o", "OUT"} << plain << 1 << dataFile;
    QTest::newRow("--period-csv a real-time file")
        << QStringList{"-o", "-", "--period-csv", "OUT"} << QByteArray("Real Time\r\n") << 1
        << dataFile;
    QTest::newRow("--pdf a data file") << QStringList{"--pdf", "OUT"} << logger << 1 << dataFile;
    QTest::newRow("-o a text") << QStringList{"-o", "OUT"} << QByteArray("notes\n")
                               << 0 << "";
    QTest::newRow("--force -o an input") << QStringList{"--force", "-o", "OUT", "OUT"} << logger
                                         << 0 << "";
    QTest::newRow("--force -o a logger file")
        << QStringList{"--force", "-o", "OUT"} << logger << 0 << "";
}

void TestReportOutputs::dataFilesAreWrittenOverOnlyByForce()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, target);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("day.kirv");
    writeFile(path, target);
    const Run run = runReport(withTarget(arguments, path) << m_short);
    QCOMPARE(run.exitCode, exitCode);
    const QString err = QString::fromUtf8(run.err);
    if (message.isEmpty())
        QVERIFY2(!err.contains("kirv-report:"), run.err.constData());
    else // after the platform's notes, if any
        QVERIFY2(err.endsWith("kirv-report: " + message.replace("OUT", path)), run.err.constData());
    if (exitCode != 0)
        QCOMPARE(readFile(path), target);
    else if (arguments.contains("-o"))
        QVERIFY(readFile(path).startsWith("file:"));
}

QTEST_GUILESS_MAIN(TestReportOutputs)
#include "test_report_outputs.moc"
