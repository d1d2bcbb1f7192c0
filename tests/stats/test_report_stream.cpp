// Runs with TZ=Europe/Berlin: summer time starts 2026-03-29 02:00 and ends 2026-10-25 03:00.
// A report read record by record must say, byte for byte, what the report of the whole series
// says, and what that said before the reading streamed (the golden file).
#include "tests/report/report_fixture.h"
#include "tests/support/golden.h"

#include "kirv/output/analysis_format.h"
#include "kirv/output/report_format.h"
#include "kirv/records/level_masks.h"
#include "kirv/stats/report_of.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace kirv;

namespace {

using Records = QList<QPair<QString, QString>>;

// `count` records `step` real seconds apart from the local time `start`, as a meter's clock
// shows them (the hours the zone skips and repeats included); `level` gives record i's text.
void appendRecords(Records& records, const QString& start, int count, int step,
                   const std::function<QString(int)>& level)
{
    const qint64 first = QDateTime::fromString(start, "yyyy/MM/dd hh:mm:ss").toSecsSinceEpoch();
    for (int i = 0; i < count; ++i)
        records.append({QDateTime::fromSecsSinceEpoch(first + qint64(i) * step)
                            .toString("yyyy/MM/dd hh:mm:ss"),
                        level(int(records.size()))});
}

// Levels that wander over 40 dB in tenths, with a loud stretch every 500 records for events.
QString wandering(int i)
{
    const int tenths = 450 + (i * 37 % 211) + ((i / 100) % 5 == 0 ? 300 : 0);
    return QString::number(tenths / 10) + '.' + QString::number(tenths % 10);
}

Records recordsOf(const QString& start, int count, int step,
                  const std::function<QString(int)>& level = wandering)
{
    Records records;
    appendRecords(records, start, count, step, level);
    return records;
}

// Record i's level replaced by the odd readings a file holds: marked, empty, no number.
QString oddReadings(int i)
{
    static const QStringList odd{"*", "", "nan", "1e309", "abc", " ", "-", "L", "62.05", "+7e1"};
    return i % 7 == 3 ? odd[(i / 7) % odd.size()] : wandering(i);
}

QByteArray realTime(const Records& records, int interval = 1)
{
    return dataFileBytes(realTimeHeader(interval), records);
}

// The report as it was made before the reading streamed: the whole series first.
FileReport wholeSeriesReport(const QString& path, const ReportRequest& request)
{
    DataFileSeries series = readDataFileSeries(path);
    const QString error = series.ok() ? series.notDataError(path) : series.error;
    if (!error.isEmpty()) {
        FileReport report;
        report.error = error;
        return report;
    }
    return reportOf(path, std::move(series), request, request.masks ? loadMasks(path) : MasksLoad{});
}

// The page's plot data as text: one column a line, then the counted classes.
QByteArray seriesText(const ReportSeries& series)
{
    QByteArray out;
    for (const ReportSeries::Column& c : series.columns)
        out += QByteArray::number(c.low) + ' ' + QByteArray::number(c.high) + ' ' +
               char('0' + c.counted) + char('0' + c.paused) + '\n';
    for (size_t k = 0; k < series.fineCounts.size(); ++k)
        if (series.fineCounts[k] != 0)
            out += QByteArray::number(qsizetype(k)) + ':' + QByteArray::number(series.fineCounts[k]) + ' ';
    return out;
}

QByteArray outputsOf(const FileReport& r, const QString& dir)
{
    QByteArray out = "error: " + r.error.toUtf8() + "\nwarnings: " + r.warnings.join('|').toUtf8() +
                     "\nheader: " + r.headerLines.join('|').toUtf8() + '\n';
    if (r.ok()) {
        const AnalysisValues& a = r.values.analysis;
        out += reportText({r.values}) + reportCsv({r.values}) + reportJson({r.values}) +
               analysisPeriodsJson(a) + analysisEventsJson(a) +
               analysisPeriodsCsvRows(r.values.file, a) + analysisEventsCsvRows(r.values.file, a);
    }
    return out.replace(QDir::toNativeSeparators(dir).toUtf8(), "DIR");
}

} // namespace

class TestReportStream : public QObject
{
    Q_OBJECT

private slots:
    void sameFigures_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("masks"); // the sidecar, none when empty
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("events"); // 75 dB for 30 s, 2 dB back

        const QByteArray day = realTime(recordsOf("2026/03/04 06:50:00", 3000, 1));
        const QByteArray twoMasks = "2026-03-04T07:00:00 2026-03-04T07:05:00 door open\n"
                                    "2026-03-04T07:20:10 2026-03-04T07:20:30\n";
        QTest::newRow("a morning across 07:00") << day << QByteArray() << 15 << true;
        QTest::newRow("the same masked") << day << twoMasks << 15 << true;
        QTest::newRow("masked, by the minute") << day << twoMasks << 1 << false;
        QTest::newRow("masks unused") << day << QByteArray("2025-01-01T00:00:00 2025-01-02T00:00:00\n") << 60 << true;
        QTest::newRow("a broken sidecar") << day << QByteArray("not a span\n") << 15 << false;

        QTest::newRow("marked, empty and no numbers")
            << dataFileBytes({}, recordsOf("2026/03/04 08:00:00", 900, 1, oddReadings))
            << QByteArray("2026-03-04T08:05:00 2026-03-04T08:06:00\n") << 5 << true;

        Records gaps = recordsOf("2026/03/04 10:00:00", 200, 1);
        appendRecords(gaps, "2026/03/04 10:30:00", 200, 1, wandering);
        appendRecords(gaps, "2026/03/04 12:00:00", 50, 10, wandering);
        QTest::newRow("gaps") << realTime(gaps) << QByteArray() << 30 << true;

        const QByteArray autumn = realTime(recordsOf("2026/10/25 01:30:00", 900, 10), 10);
        QTest::newRow("the repeated hour") << autumn << QByteArray() << 15 << true;
        QTest::newRow("the repeated hour, by the hour") << autumn << QByteArray() << 60 << false;
        QTest::newRow("the repeated hour masked")
            << autumn << QByteArray("2026-10-25T02:10:00 2026-10-25T02:20:00\n") << 15 << true;
        QTest::newRow("the skipped hour")
            << realTime(recordsOf("2026/03/29 01:30:00", 600, 10), 10) << QByteArray() << 15 << true;

        const QByteArray midnight = realTime(recordsOf("2026/03/04 22:50:00", 1500, 4), 4);
        QTest::newRow("past midnight, by the day") << midnight << QByteArray() << 1440 << true;
        QTest::newRow("past midnight, 7 minutes") << midnight << QByteArray() << 7 << false;

        // Two recordings of the same morning one after the other: the periods come back.
        Records twice = recordsOf("2026/03/04 10:00:00", 1500, 1);
        appendRecords(twice, "2026/03/04 10:05:00", 700, 1, oddReadings);
        appendRecords(twice, "2026/03/04 09:00:00", 300, 1, wandering);
        QTest::newRow("the clock steps back") << realTime(twice) << QByteArray() << 15 << true;
        QTest::newRow("the clock steps back, by the day")
            << realTime(twice) << QByteArray("2026-03-04T10:06:00 2026-03-04T10:07:00\n") << 1440 << true;

        // Times written with other separators, and times that are none.
        Records odd = recordsOf("2026/03/04 08:00:00", 300, 1);
        for (qsizetype i = 0; i < odd.size(); ++i)
            if (i % 50 == 7)
                odd[i].first.replace('/', '-');
            else if (i % 50 == 9)
                odd[i].first = "yesterday";
        odd[120].second = "99.9"; // the maximum, at a time written with dashes
        odd[120].first.replace('/', '-');
        QTest::newRow("odd time texts") << dataFileBytes({}, odd) << QByteArray() << 15 << true;
        QTest::newRow("odd time texts masked")
            << dataFileBytes({}, odd) << QByteArray("2026-03-04T08:04:00 2026-03-04T08:04:10\n")
            << 15 << true;

        QByteArray stopped = realTime(recordsOf("2026/03/04 08:00:00", 400, 1));
        stopped.insert(stopped.indexOf("\r\n301\t"), "\r\n302 no tabs\r\nmore");
        QTest::newRow("a reading that stops") << stopped << QByteArray() << 15 << false;
        QByteArray interval = realTime(recordsOf("2026/03/04 08:00:00", 100, 1));
        interval.replace("Real Time\r\n1\r\n", "Real Time\r\n0.5\r\n");
        QTest::newRow("an interval that is none") << interval << QByteArray() << 15 << false;
        QTest::newRow("only the header") << realTime({}) << QByteArray() << 15 << true;
        QTest::newRow("no data") << QByteArray("\x01\x02 random\r\n") << QByteArray() << 15 << false;
        QTest::newRow("an empty file") << QByteArray() << QByteArray() << 15 << false;
    }

    void sameFigures()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, masks);
        QFETCH(int, minutes);
        QFETCH(bool, events);
        QTemporaryDir dir;
        const QString path = dir.filePath("f.kirv");
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(out.write(file), file.size());
            if (!masks.isEmpty()) {
                QFile sidecar(masksPath(path));
                QVERIFY(sidecar.open(QIODevice::WriteOnly));
                QCOMPARE(sidecar.write(masks), masks.size());
            }
        }
        ReportRequest request;
        request.periodMinutes = minutes;
        request.evidence = false; // the figures only: the file's hash and details are tested beside them
        if (events)
            request.events = EventRule{75.0, 30.0, 2.0};
        const QByteArray streamed = outputsOf(reportOf(path, request), dir.path());
        QCOMPARE(streamed, outputsOf(wholeSeriesReport(path, request), dir.path()));
        m_golden += "== " + QByteArray(QTest::currentDataTag()) + '\n' + streamed;

        // The page's plot data is spread over the records of a second reading.
        request.withSeries = true;
        const FileReport plotted = reportOf(path, request);
        const FileReport whole = wholeSeriesReport(path, request);
        QCOMPARE(outputsOf(plotted, dir.path()), streamed);
        QCOMPARE(seriesText(plotted.series), seriesText(whole.series));
    }

    void cleanupTestCase()
    {
        test::compareGolden("report_stream_golden.txt", m_golden);
    }

private:
    QByteArray m_golden;
};

QTEST_GUILESS_MAIN(TestReportStream)
#include "test_report_stream.moc"
