// kirv-report's output files: whole or absent after a failure, with the system's reason.
#include "report_fixture.h"
#include "../support/small_disk.h"
#include "report_run.h"

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
        QSKIP(kirv::test::SmallDisk::kCannotMount);
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

QTEST_GUILESS_MAIN(TestReportOutputs)
#include "tst_report_outputs.moc"
