// Runs with TZ=Europe/Berlin: summer time starts 2026-03-29 02:00 and ends 2026-10-25 03:00.
#include "tests/report/report_fixture.h"

#include "kirv/output/analysis_format.h"
#include "kirv/stats/analysis_values.h"
#include "kirv/output/report_format.h"
#include "kirv/stats/report_values.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kirv;

namespace {

// A data file's records as a meter writes them: `count` records `step` real seconds apart from
// the local time `start`, each at `level`; their times
// are what a local clock shows, so they skip and repeat the hours the zone skips and repeats.
QList<QPair<QString, QString>> realRecords(const QString& start, int count, int step,
                                           const QString& level = "60.0")
{
    const qint64 first =
        QDateTime::fromString(start, "yyyy/MM/dd hh:mm:ss").toSecsSinceEpoch();
    QList<QPair<QString, QString>> records;
    for (int i = 0; i < count; ++i)
        records.append({QDateTime::fromSecsSinceEpoch(first + qint64(i) * step)
                            .toString("yyyy/MM/dd hh:mm:ss"),
                        level});
    return records;
}

DataFileSeries seriesOfRecords(const QList<QPair<QString, QString>>& records, int interval)
{
    return parseDataFileSeries(dataFileBytes(realTimeHeader(interval), records));
}

QJsonObject reportObject(const DataFileSeries& series, int minutes = 60)
{
    ReportValues v = computeReport("f.kirv", series, minutes);
    v.analysis = analysisValues(series.samples, v.interval, minutes, EventRule{75.0, 30.0, 2.0});
    return QJsonDocument::fromJson(reportJson({v})).array().at(0).toObject();
}

// "start end seconds" of each event, or "start records" of each period.
QStringList rowsOf(const QJsonArray& rows, const char* second, const char* third = nullptr)
{
    QStringList out;
    for (const QJsonValue& row : rows) {
        const QJsonObject o = row.toObject();
        auto text = [&o](const char* key) {
            const QJsonValue v = o[QLatin1String(key)];
            return v.isNull() ? QStringLiteral("null")
                   : v.isString() ? v.toString()
                                  : QString::number(v.toDouble());
        };
        out << text("start") + ' ' + text(second) + (third ? ' ' + text(third) : QString());
    }
    return out;
}

using Records = QList<QPair<QString, QString>>;

} // namespace

Q_DECLARE_METATYPE(Records)

class TestTimeStatistics : public QObject
{
    Q_OBJECT

private slots:
    // Gaps and the day parts' coverage count real seconds on the days the clock changes.
    void dayPartsAcrossChanges_data()
    {
        QTest::addColumn<Records>("records");
        QTest::addColumn<int>("interval");
        QTest::addColumn<double>("gapSeconds");
        QTest::addColumn<double>("night");
        QTest::addColumn<QString>("end");
        // The spring day has a night of 7 real hours, all of them measured.
        QTest::newRow("spring day, whole") << realRecords("2026/03/29 00:00:00", 23 * 60, 60)
                                           << 60 << 0.0 << 1.0 << "2026-03-29T23:59:00+02:00";
        // The autumn day's night is 9 real hours; 23:00-24:00 is missing.
        QTest::newRow("autumn day to 23:00") << realRecords("2026/10/25 00:00:00", 24 * 60, 60)
                                             << 60 << 0.0 << 0.889 << "2026-10-25T22:59:00+01:00";
        QTest::newRow("ending on the repeated hour's second pass")
            << realRecords("2026/10/25 01:30:00", 120, 60) << 60 << 0.0 << 0.222
            << "2026-10-25T02:29:00+01:00";
        QTest::newRow("a real hole over the change forward")
            << realRecords("2026/03/29 01:00:00", 60, 60) +
                   realRecords("2026/03/29 04:00:00", 60, 60)
            << 60 << 3600.0 << 0.286 << "2026-03-29T04:59:00+02:00";
    }

    void dayPartsAcrossChanges()
    {
        QFETCH(Records, records);
        QFETCH(int, interval);
        QFETCH(double, gapSeconds);
        QFETCH(double, night);
        QFETCH(QString, end);
        const DataFileSeries series = seriesOfRecords(records, interval);
        const ReportValues v = computeReport("f.kirv", series, 60);
        QCOMPARE(v.gapSeconds, gapSeconds);
        QCOMPARE(v.coverageNight, night);
        const QJsonObject o = reportObject(series, DayMinutes);
        QCOMPARE(o["end"].toString(), end);
        QCOMPARE(o["periods"].toArray().at(0).toObject()["coverage_night"].toDouble(), night);
    }

    // The repeated hour's two passes are two periods, each with the offset of its pass; a day
    // that does not divide into the periods starts them at its midnight in every form.
    void periodStarts_data()
    {
        QTest::addColumn<Records>("records");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QStringList>("json");
        QTest::addColumn<QStringList>("text");
        QTest::newRow("the repeated hour")
            << realRecords("2026/10/25 01:00:00", 180, 60) << 60
            << QStringList{"2026-10-25T01:00:00+02:00 60", "2026-10-25T02:00:00+02:00 60",
                           "2026-10-25T02:00:00+01:00 60"}
            << QStringList{"2026/10/25 01:00:00", "2026/10/25 02:00:00", "2026/10/25 02:00:00"};
        QTest::newRow("the skipped hour")
            << realRecords("2026/03/29 01:30:00", 60, 60) << 60
            << QStringList{"2026-03-29T01:00:00+01:00 30", "2026-03-29T03:00:00+02:00 30"}
            << QStringList{"2026/03/29 01:00:00", "2026/03/29 03:00:00"};
        QTest::newRow("7 minutes from midnight")
            << realRecords("2026/03/04 08:00:00", 10, 60) << 7
            << QStringList{"2026-03-04T07:56:00+01:00 3", "2026-03-04T08:03:00+01:00 7"}
            << QStringList{"2026/03/04 07:56:00", "2026/03/04 08:03:00"};
    }

    void periodStarts()
    {
        QFETCH(Records, records);
        QFETCH(int, minutes);
        QFETCH(QStringList, json);
        QFETCH(QStringList, text);
        const DataFileSeries series = seriesOfRecords(records, 60);
        QCOMPARE(rowsOf(reportObject(series, minutes)["periods"].toArray(), "records"), json);
        QStringList starts;
        for (const PeriodLevel& p : computeReport("f.kirv", series, minutes).periods)
            starts << p.start;
        QCOMPARE(starts, text);
        const AnalysisValues a = analysisValues(series.samples, 60, minutes, std::nullopt);
        const QByteArray csv = analysisPeriodsCsvRows("f", a);
        QCOMPARE(csv.count('\n'), json.size());
        QVERIFY(csv.startsWith("f," + json[0].section(' ', 0, 0).toLatin1() + ','));
    }

    // An event ends at a hole longer than the interval and where the clock steps back, but
    // runs on through the repeated hour; its times carry the offset of their instants.
    void eventsAndTime_data()
    {
        QTest::addColumn<Records>("records");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("a 10-minute hole")
            << realRecords("2026/03/04 08:00:00", 50, 1, "80.0") +
                   realRecords("2026/03/04 08:10:50", 50, 1, "80.0")
            << QStringList{"2026-03-04T08:00:00+01:00 2026-03-04T08:00:50+01:00 50",
                           "2026-03-04T08:10:50+01:00 2026-03-04T08:11:40+01:00 50"};
        QTest::newRow("the clock steps back")
            << realRecords("2026/03/04 08:00:00", 60, 1, "80.0") +
                   realRecords("2026/03/04 07:50:00", 60, 1, "80.0")
            << QStringList{"2026-03-04T08:00:00+01:00 2026-03-04T08:01:00+01:00 60",
                           "2026-03-04T07:50:00+01:00 2026-03-04T07:51:00+01:00 60"};
        QTest::newRow("through the repeated hour")
            << realRecords("2026/10/25 02:59:00", 120, 1, "80.0")
            << QStringList{"2026-10-25T02:59:00+02:00 2026-10-25T02:01:00+01:00 120"};
        // Quiet from 01:50 summer time, loud for the last minute, at 02:50 winter time.
        Records secondPass = realRecords("2026/10/25 01:50:00", 7260, 1, "50.0");
        for (qsizetype i = 7200; i < secondPass.size(); ++i)
            secondPass[i].second = "80.0";
        QTest::newRow("ending on the second pass")
            << secondPass
            << QStringList{"2026-10-25T02:50:00+01:00 2026-10-25T02:51:00+01:00 60"};
        QTest::newRow("the end in year 10000")
            << realRecords("9999/12/31 23:59:00", 60, 1, "80.0")
            << QStringList{"9999-12-31T23:59:00+01:00 +10000-01-01T00:00:00+01:00 60"};
        Records untimed;
        for (int i = 0; i < 40; ++i)
            untimed.append(qMakePair(QStringLiteral("no time"), QStringLiteral("80.0")));
        QTest::newRow("records without a time") << untimed << QStringList{"null null 40"};
    }

    void eventsAndTime()
    {
        QFETCH(Records, records);
        QFETCH(QStringList, events);
        const QJsonObject o = reportObject(seriesOfRecords(records, 1));
        QCOMPARE(rowsOf(o["events"].toArray(), "end", "seconds"), events);
    }

    // Times that are not civil times are null in JSON, and in CSV empty: never 1970.
    void invalidTimesAreNull()
    {
        Records records{{"2026/03/04 08:00:00", "60.0"}, {"not a time", "90.0"}, {"", "50.0"}};
        const DataFileSeries series = seriesOfRecords(records, 1);
        const QJsonObject o = reportObject(series);
        QCOMPARE(o["start"].toString(), QStringLiteral("2026-03-04T08:00:00+01:00"));
        QVERIFY(o["end"].isNull());
        QVERIFY(o["lmax_time"].isNull());
        const QByteArray csv = reportCsv({computeReport("f.kirv", series)});
        QVERIFY2(!csv.contains("not a time") && !csv.contains("1970"), csv.constData());
    }
};

QTEST_GUILESS_MAIN(TestTimeStatistics)
#include "test_time_statistics.moc"
