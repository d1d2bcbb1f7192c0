// kirv-report's memory on a large file: a few bytes a record at most, whatever it is asked for.
#include "tests/report/report_run.h"

#include "kirv/records/datafile.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr qint64 Records = 1000000;

// Largest resident size of any child waited for so far, in bytes.
qint64 childrenPeakBytes()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// A real-time file of `count` records a second apart from 2026/03/01 00:00:00, levels 40.0 to
// 129.9 dB, every 97th record marked.
bool writeLargeFile(const QString& path, qint64 count)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = "Real Time\r\n1\r\nA\r\nFAST\r\n30-130\r\n0\r\n0\r\n0\r\n0\r\n";
    bytes += QByteArray(kirv::ColumnTitleLine) + "\r\n";
    for (qint64 i = 0; i < count; ++i) {
        const qint64 day = i / 86400, second = i % 86400;
        const qint64 tenths = 400 + i * 7919 % 900;
        char line[64];
        const int n = std::snprintf(line, sizeof line,
                                    "%lld\t2026/03/%02lld %02lld:%02lld:%02lld\t%lld.%lld%s\t\r\n",
                                    i + 1, day + 1, second / 3600, second / 60 % 60, second % 60,
                                    tenths / 10, tenths % 10, i % 97 == 96 ? "*" : "");
        bytes.append(line, n);
        if (bytes.size() > (1 << 20) || i + 1 == count) {
            if (file.write(bytes) != bytes.size())
                return false;
            bytes.clear();
        }
    }
    return file.flush();
}

} // namespace

class TestReportMemory : public QObject
{
    Q_OBJECT

private slots:
    // The program's own needs are taken from a run on a one-record file; what a million
    // records add on top of them is the series of a few bytes a record, not their texts and
    // not an index of them. (The outputs asked for are kept small: a report's text is held
    // until it is put in place whole.)
    void aMillionRecordsCostAFewBytesEach()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer's shadow and quarantine are no measure of the program");
#endif
        QTemporaryDir dir;
        const QString small = dir.filePath("small.kirv");
        const QString large = dir.filePath("large.kirv");
        QVERIFY(writeLargeFile(small, 1));
        QVERIFY(writeLargeFile(large, Records));
        const QString out = dir.filePath("out");
        const QList<QStringList> runs{
            {"--format", "json"},
            {"--format", "text", "--jobs", "1"},
            {"--format", "csv", "--period", "1440", "--period-csv", out + ".p.csv"},
            {"--events", "129:2", "--events-csv", out + ".e.csv", "--period", "60"},
        };
        QCOMPARE(runReport(runs[0] + QStringList{small}).exitCode, 0);
        const qint64 base = childrenPeakBytes();
        for (const QStringList& arguments : runs) {
            const Run run = runReport(arguments + QStringList{large});
            QVERIFY2(run.exitCode == 0, run.err.constData());
        }
        // A sidecar's spans flag the records where they lie, in the one series.
        QFile masks(large + ".masks");
        QVERIFY(masks.open(QIODevice::WriteOnly));
        QVERIFY(masks.write("2026-03-02T08:00:00 2026-03-02T09:00:00 lorry\n") > 0);
        masks.close();
        const Run masked = runReport({"--format", "json", large});
        QVERIFY2(masked.exitCode == 0 && masked.out.contains("\"masked_spans\":1"),
                 masked.err.constData());
        const qint64 perRecord = (childrenPeakBytes() - base) / Records;
        QVERIFY2(perRecord <= 12, qPrintable(QStringLiteral("%1 bytes a record").arg(perRecord)));
    }
};

QTEST_GUILESS_MAIN(TestReportMemory)
#include "test_report_memory.moc"
