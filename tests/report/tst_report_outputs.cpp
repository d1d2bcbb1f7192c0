// kirv-report's output files: whole or absent after a failure, with the system's reason.
#include "report_fixture.h"
#include "../support/small_disk.h"
#include "report_run.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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

private:
    QTemporaryDir m_dir;
    QString m_long;
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

QTEST_GUILESS_MAIN(TestReportOutputs)
#include "tst_report_outputs.moc"
