// One file's Leq, L90 and Lden as each part of the program gives them: kirv-report's report,
// the list windows' figures and periods, and the monitor's minute. They are computed by one
// function each, so they agree to the tenth.

#include "kirv/base/civil_time.h"
#include "kirv/stats/figure_summary.h"
#include "kirv/records/datafile.h"
#include "kirv/records/level_series.h"
#include "kirv/stats/period_table.h"
#include "kirv/stats/report_of.h"
#include "monitor/minute_stats.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace kirv;

class TestFiguresAgree : public QObject
{
    Q_OBJECT

private slots:
    void figures_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("interval"); // seconds between records
        QTest::newRow("one minute of seconds") << 60 << 1;
        QTest::newRow("a day of ten minutes") << 144 << 600;
    }

    void figures()
    {
        QFETCH(int, records);
        QFETCH(int, interval);
        const qint64 start = *civilSeconds("2026/03/04 00:00:00");
        RecordStore store;
        QList<double> levels;
        for (int i = 0; i < records; ++i) {
            levels << 45.0 + (i * 37 % 29) + (i % 10) / 10.0;
            store.append(QByteArray::number(i + 1), civilTimeText(start + qint64(i) * interval).toLatin1(),
                         QByteArray::number(levels.last(), 'f', 1));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("day.kirv"));
        QVERIFY(writeDataFile(path, {}, store).ok());

        // kirv-report
        const FileReport cli = reportOf(path, ReportRequest{});
        QVERIFY2(cli.ok(), qPrintable(cli.error));
        // the list windows: the masked figures line and the Periods window by day
        const DataFileSeries series = readDataFileSeries(path);
        const FigureSummary windows = figureSummaryOf(series.samples, interval);
        QCOMPARE(tenthValue(*windows.leq), *cli.values.leq);
        QCOMPARE(*windows.l90, *cli.values.exceedanceAt(90));
        const std::vector<PeriodRow> days = periodTable(series.samples, DayMinutes, interval);
        QCOMPARE(days.size(), size_t(1));
        QCOMPARE(tenthValue(days[0].leq), *cli.values.leq);
        QCOMPARE(days[0].lden.has_value(), cli.values.lden.has_value());
        if (days[0].lden)
            QCOMPARE(tenthValue(*days[0].lden), *cli.values.lden);
        QCOMPARE(days[0].lden.has_value(), records * interval == 86400);

        if (records * interval > 60)
            return; // the monitor's figures are a minute's
        monitor::MinuteStats minute;
        const QDateTime first = QDateTime::fromString("2026-03-04T00:00:00", Qt::ISODate);
        for (int i = 0; i < records; ++i)
            minute.add(first.addSecs(i), levels[i], QString::number(levels[i], 'f', 1));
        const std::optional<QByteArray> message = minute.roll(first.addSecs(60));
        QVERIFY(message);
        const QJsonObject o = QJsonDocument::fromJson(*message).object();
        QCOMPARE(o.value("leq").toDouble(), *cli.values.leq);
        QCOMPARE(o.value("l90").toDouble(), *cli.values.exceedanceAt(90));
    }
};

QTEST_GUILESS_MAIN(TestFiguresAgree)
#include "test_figures_agree.moc"
