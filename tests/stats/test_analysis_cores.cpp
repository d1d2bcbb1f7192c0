#include "tests/stats/series_fixture.h"

#include "kirv/base/decibels.h"
#include "kirv/output/analysis_format.h"
#include "kirv/output/csv_dialect.h"
#include "kirv/stats/level_events.h"
#include "kirv/records/level_masks.h"
#include "kirv/stats/noise_exposure.h"
#include "kirv/stats/day_parts.h"
#include "kirv/stats/period_table.h"
#include "kirv/stats/day_parts.h"
#include "kirv/base/civil_time.h"

#include <QTemporaryDir>
#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace kirv;

namespace {

// The published example: six 1 s levels.
const QList<double> SixLevels{80, 80.3, 80.6, 80.4, 79.7, 76.9};

bool near(double a, double b)
{
    return std::abs(a - b) < 0.005;
}

// The events of a series as "first-last" index pairs.
QStringList spans(const std::vector<LevelEvent>& events)
{
    QStringList out;
    for (const LevelEvent& e : events)
        out << QStringLiteral("%1-%2").arg(e.first).arg(e.last);
    return out;
}

} // namespace

class TestAnalysisCores : public QObject
{
    Q_OBJECT

private slots:
    void publishedLeqAndSel()
    {
        const LevelSeries series = seriesFrom("2026/03/04 08:00:00", SixLevels);
        const std::vector<LevelEvent> events = findEvents(series, {70.0, 0.0, 2.0}, 1.0);
        QCOMPARE(events.size(), size_t(1));
        QVERIFY(near(events[0].leq, 79.81) && near(events[0].sel, 87.59));
        QCOMPARE(tenthText(events[0].leq), QStringLiteral("79.8"));
        QCOMPARE(tenthText(events[0].sel), QStringLiteral("87.5"));
        const std::vector<PeriodRow> rows = periodTable(series, 1, 1.0);
        QCOMPARE(rows.size(), size_t(1));
        QVERIFY(near(rows[0].leq, 79.81));
        QCOMPARE(rows[0].lmax, 80.6);
        QCOMPARE(rows[0].lmin, 76.9);
    }

    void lden_data()
    {
        QTest::addColumn<double>("ld");
        QTest::addColumn<double>("le");
        QTest::addColumn<double>("ln");
        QTest::addColumn<double>("lden");
        QTest::newRow("80/65/45") << 80.0 << 65.0 << 45.0 << 77.14;
        QTest::newRow("70/55/55") << 70.0 << 55.0 << 55.0 << 67.94;
        QTest::newRow("constant 40") << 40.0 << 40.0 << 40.0 << 46.40;
        QTest::newRow("constant 65.3") << 65.3 << 65.3 << 65.3 << 71.695;
    }

    void lden()
    {
        QFETCH(double, ld);
        QFETCH(double, le);
        QFETCH(double, ln);
        QFETCH(double, lden);
        QVERIFY(near(ldenOf(ld, le, ln), lden));
        // The same from a day of hourly records through the day table.
        QList<double> hours;
        for (int h = 0; h < 24; ++h)
            hours << (h >= 7 && h < 19 ? ld : h >= 19 && h < 23 ? le : ln);
        const std::vector<PeriodRow> rows =
            periodTable(seriesFrom("2026/03/04 00:00:00", hours, 3600), DayMinutes, 3600.0);
        QCOMPARE(rows.size(), size_t(1));
        QVERIFY(rows[0].lden && near(*rows[0].lden, lden));
        QCOMPARE(rows[0].coverageDay + rows[0].coverageEvening + rows[0].coverageNight, 3.0);
    }

    void exposure_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("hours");
        QTest::addColumn<double>("lex");
        QTest::addColumn<double>("osha");
        QTest::addColumn<double>("niosh");
        QTest::newRow("8 h at 85") << 85.0 << 8 << 85.0 << 50.0 << 100.0;
        QTest::newRow("4 h at 88") << 88.0 << 4 << 84.99 << 37.89 << 100.0;
        QTest::newRow("8 h at 90") << 90.0 << 8 << 90.0 << 100.0 << 317.48;
        QTest::newRow("4 h at 95") << 95.0 << 4 << 91.99 << 100.0 << 503.97;
        QTest::newRow("below the OSHA threshold") << 79.9 << 8 << 79.9 << 0.0 << 30.78;
    }

    void exposure()
    {
        QFETCH(double, level);
        QFETCH(int, hours);
        QFETCH(double, lex);
        QFETCH(double, osha);
        QFETCH(double, niosh);
        const NoiseExposure e = noiseExposure(
            seriesFrom("2026/03/04 08:00:00", QList<double>(hours, level), 3600), 3600.0);
        QCOMPARE(e.seconds, hours * 3600.0);
        QVERIFY2(near(*e.lex8h, lex), qPrintable(QString::number(*e.lex8h)));
        QVERIFY2(std::abs(*e.doseOsha - osha) < 0.5, qPrintable(QString::number(*e.doseOsha)));
        QVERIFY2(std::abs(*e.doseNiosh - niosh) < 0.05, qPrintable(QString::number(*e.doseNiosh)));
        QCOMPARE(tenthText(*e.lex8h), QString::number(std::trunc(lex * 10 + 1e-6) / 10, 'f', 1));
    }

    void periodsAlignToTheClock()
    {
        // 08:59:58 .. 09:00:01, a marked record among them, and a clock that steps back.
        LevelSeries series = seriesFrom("2026/03/04 08:59:58", {60, 70, -99, 80});
        series.push_back(seriesFrom("2026/03/04 08:59:00", {50})[0]);
        const std::vector<PeriodRow> rows = periodTable(series, 60, 1.0);
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(periodStartText(rows[0].start, 60), QStringLiteral("2026/03/04 08:00"));
        QCOMPARE(rows[0].records, 3);
        QCOMPARE(rows[0].lmax, 70.0);
        QCOMPARE(rows[1].records, 1);
        QCOMPARE(periodStartText(rows[1].start, DayMinutes), QStringLiteral("2026/03/04"));
    }

    void exceedanceOfEachPeriod()
    {
        QList<double> levels;
        for (int i = 1; i <= 100; ++i)
            levels << 40 + i / 10.0; // 40.1 .. 50.0
        const std::vector<PeriodRow> rows =
            periodTable(seriesFrom("2026/03/04 08:00:00", levels + levels), 5, 1.0);
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(*rows[0].l10, 49.0);
        QCOMPARE(*rows[0].l50, 45.0);
        QCOMPARE(*rows[0].l90, 41.0);
    }

    void eventEdges_data()
    {
        QTest::addColumn<QList<double>>("levels");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<QStringList>("expected");
        // Limit 75, hysteresis 2: an event holds on at 73.0 and ends at 72.9.
        QTest::newRow("exactly at the limit") << QList<double>{74.9, 75.0, 74.9} << 0.0 << QStringList{"1-2"};
        QTest::newRow("just below never starts") << QList<double>{74.9, 74.9} << 0.0 << QStringList{};
        QTest::newRow("a dip within the hysteresis")
            << QList<double>{76, 73.0, 76, 72.9, 70} << 0.0 << QStringList{"0-2"};
        QTest::newRow("two events") << QList<double>{80, 60, 80, 80} << 0.0 << QStringList{"0-0", "2-3"};
        QTest::newRow("short event dropped") << QList<double>{80, 80, 60, 80, 80, 80} << 3.0
                                             << QStringList{"3-5"};
        QTest::newRow("running to the end") << QList<double>{60, 80, 80} << 2.0 << QStringList{"1-2"};
        QTest::newRow("a paused record ends it") << QList<double>{80, -80, 80} << 0.0
                                                 << QStringList{"0-0", "2-2"};
    }

    void eventEdges()
    {
        QFETCH(QList<double>, levels);
        QFETCH(double, minSeconds);
        QFETCH(QStringList, expected);
        const LevelSeries series = seriesFrom("2026/03/04 08:00:00", levels);
        QCOMPARE(spans(findEvents(series, {75.0, minSeconds, 2.0}, 1.0)), expected);
    }

    void eventTimes()
    {
        const std::vector<LevelEvent> events =
            findEvents(seriesFrom("2026/03/04 08:00:00", {60, 80, 85, 85, 60}, 10), {75, 30, 2}, 10);
        QCOMPARE(events.size(), size_t(1));
        QCOMPARE(civilText(events[0].start), QStringLiteral("2026/03/04 08:00:10"));
        QCOMPARE(civilText(events[0].end), QStringLiteral("2026/03/04 08:00:40"));
        QCOMPARE(events[0].seconds, 30.0);
        QCOMPARE(civilText(events[0].lmaxTime), QStringLiteral("2026/03/04 08:00:20"));
    }

    // The masked span holds the only loud records: no figure may see them.
    void masksReachEveryFigure()
    {
        const LevelSeries series = seriesFrom("2026/03/04 08:00:00", {60, 61, 95, 96, 62, 60});
        const MaskSpans spans{{*civilSeconds("2026/03/04 08:00:02"),
                               *civilSeconds("2026/03/04 08:00:03"), "truck"}};
        const LevelSeries masked = maskedSeries(series, spans);
        QVERIFY(findEvents(masked, {75, 0, 2}, 1).empty());
        QCOMPARE(findEvents(series, {75, 0, 2}, 1).size(), size_t(1));
        const std::vector<PeriodRow> rows = periodTable(masked, 60, 1);
        QCOMPARE(rows[0].lmax, 62.0);
        QCOMPARE(rows[0].records, 4);
        QVERIFY(*noiseExposure(masked, 1).lex8h < 62.0 - 30.0);

        DataFileContent content;
        for (const LevelSample& s : series)
            content.records.append("1", civilTimeText(s.seconds).toLatin1(),
                                   QByteArray::number(s.level(), 'f', 1));
        const ReportValues values = computeReport("f", unmaskedContent(content, spans));
        QCOMPARE(*values.lmax, 62.0);
        QCOMPARE(values.records, 4);
    }

    // Levels that are no number enter no figure, and the summary says how many lie outside
    // the masks.
    void unreadableLevelsInTheSummary()
    {
        LevelSeries series;
        const QByteArrayView levels[] = {"60.0", "nan", "1e309", "inf", "60.0"};
        for (qsizetype i = 0; i < 5; ++i)
            series.push_back(sampleOf(QByteArray("2026/03/04 08:00:0") + char('0' + i), levels[i]));
        const qint64 at8 = *civilSeconds("2026/03/04 08:00:00");
        const FigureSummary summary = figureSummaryOf(maskedSeries(series, {{at8 + 3, at8 + 3, ""}}), 1.0);
        QCOMPARE(summary.leq, std::optional<double>(60.0));
        QCOMPARE(summary.unreadable, 2);
        QVERIFY(figureSummaryText(summary, std::nullopt)
                    .endsWith("   2 of the levels are no number and enter no figure"));
    }

    void spansMergeAndSplit()
    {
        MaskSpans spans = withSpan({}, {100, 200, "a"});
        spans = withSpan(spans, {300, 400, "b"});
        spans = withSpan(spans, {201, 250, "c"}); // touches the first
        QCOMPARE(spans, (MaskSpans{{100, 250, "a; c"}, {300, 400, "b"}}));
        spans = withSpan(spans, {420, 410, ""}); // dragged right to left
        QCOMPARE(spans.back(), (MaskSpan{410, 420, ""}));
        QCOMPARE(withoutSpanAt(spans, 350), (MaskSpans{{100, 250, "a; c"}, {410, 420, ""}}));
        QCOMPARE(withoutSpanAt(spans, 260), spans);
    }

    void sidecarLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("spans");
        QTest::newRow("spans, a note, a comment and blank lines")
            << QByteArray("# masks\n2026-03-04T08:00:00 2026-03-04T08:10:00 truck  passing\r\n\n"
                          "2026-03-04T09:00:00\t2026-03-04T09:00:00\n")
            << QString() << 2;
        QTest::newRow("end before start") << QByteArray("2026-03-04T08:10:00 2026-03-04T08:00:00\n")
                                          << "line 1: the end lies before the start" << 0;
        QTest::newRow("one bad line spoils all")
            << QByteArray("2026-03-04T08:00:00 2026-03-04T08:10:00\n2026-03-04T08:00:00\n")
            << "line 2: the end is not a time such as 2026-03-04T08:30:05" << 0;
        QTest::newRow("report time form") << QByteArray("2026/03/04 08:00:00 2026/03/04 08:10:00")
                                          << "line 1: the start is not a time such as "
                                             "2026-03-04T08:30:05"
                                          << 0;
        QTest::newRow("as people write them: a byte order mark, blanks for T, offsets")
            << QByteArray("\xEF\xBB\xBF" "2026-03-01 08:00:00 2026-03-01 08:10:00 truck  passing\n"
                          "2026-03-04T09:00:00Z 2026-03-04T11:30:00+02:00\n")
            << QString() << 2;
        QTest::newRow("an end before the start names its line")
            << QByteArray("# masks\n2026-03-04T08:00:00 2026-03-04T08:10:00\n"
                          "2026-03-04 08:10:00 2026-03-04 08:00:00 swapped\n")
            << "line 3: the end lies before the start" << 0;
        QTest::newRow("an impossible day") << QByteArray("2026-02-30T08:00:00 2026-03-01T08:00:00")
                                           << "line 1: the start is not a time such as "
                                              "2026-03-04T08:30:05"
                                           << 0;
        QTest::newRow("a broken offset") << QByteArray("2026-03-04T08:00:00 2026-03-04T08:10:00+2:00")
                                         << "line 1: the end is not a time such as "
                                            "2026-03-04T08:30:05"
                                         << 0;
    }

    void sidecarLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QFETCH(int, spans);
        const MasksParse parse = parseMasks(text);
        QCOMPARE(parse.error, error);
        QCOMPARE(parse.spans ? int(parse.spans->size()) : 0, spans);
        if (parse.spans && spans == 2)
            QCOMPARE(parse.spans->front().note, QStringLiteral("truck  passing"));
    }

    void sidecarFile()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("week.kirv");
        const MaskSpans spans{{1000, 2000, "door open"}, {5000, 5000, ""}};
        QVERIFY(saveMasks(data, spans).ok());
        QCOMPARE(loadMasks(data).spans, spans);
        QVERIFY(loadMasks(data).error.isEmpty());
        QFile bad(masksPath(data));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("nonsense\n");
        bad.close();
        const MasksLoad load = loadMasks(data);
        QVERIFY(load.spans.empty());
        QCOMPARE(load.error, QStringLiteral("Cannot use %1: line 1: the start is not a time such "
                                            "as 2026-03-04T08:30:05")
                                 .arg(QDir::toNativeSeparators(masksPath(data))));
        QVERIFY(saveMasks(data, {}).ok());
        QVERIFY(!QFile::exists(masksPath(data)));
    }

    // Overlapping lines in any order merge into spans in order, their notes in that order.
    void sidecarSpansMerge()
    {
        const MasksParse parse = parseMasks("2026-03-04T08:20:00 2026-03-04T08:30:00 c\n"
                                            "2026-03-04T08:05:00 2026-03-04T08:12:00 b\n"
                                            "2026-03-04T08:00:00 2026-03-04T08:06:00 a\n"
                                            "2026-03-04T08:12:01 2026-03-04T08:13:00\n");
        QVERIFY(parse.spans);
        const qint64 at8 = *civilSeconds("2026/03/04 08:00:00");
        QCOMPARE(*parse.spans, (MaskSpans{{at8, at8 + 13 * 60, "a; b"}, {at8 + 20 * 60, at8 + 30 * 60, "c"}}));
    }

    // A sidecar that is no regular file is refused before a byte is read: a device never ends,
    // a pipe waits for a writer for ever.
    void sidecarThatIsNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a link to /dev/zero") << "zero" << "it is not a regular file";
        QTest::newRow("a FIFO") << "fifo" << "it is not a regular file";
        QTest::newRow("a folder") << "folder" << "it is not a regular file";
        QTest::newRow("too large") << "large" << "the file is larger than 64 MB";
    }

    void sidecarThatIsNoFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString data = dir.filePath("week.kirv");
        const QString path = masksPath(data);
        if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else {
            QFile large(path);
            QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(MaxMasksBytes + 1));
        }
        const MasksLoad load = loadMasks(data);
        QVERIFY(load.spans.empty());
        QCOMPARE(load.error, "Cannot open " + QDir::toNativeSeparators(path) + ": " + reason);
    }

    void csvDialects_data()
    {
        QTest::addColumn<QByteArray>("comma");
        QTest::addColumn<QByteArray>("semicolon");
        QTest::newRow("numbers and times") << QByteArray("a,79.8,-0.5,12,2026-03-04T08:30:05+01:00\r\n")
                                           << QByteArray("a;79,8;-0,5;12;2026-03-04T08:30:05+01:00\r\n");
        QTest::newRow("quoted fields keep their text")
            << QByteArray("\"x,1.5\",\"say \"\"hi\"\"\",1.5\r\n,\r\n")
            << QByteArray("\"x,1.5\";\"say \"\"hi\"\"\";1,5\r\n;\r\n");
        QTest::newRow("a semicolon in a field") << QByteArray("a;b,1.0") << QByteArray("\"a;b\";1,0");
    }

    void csvDialects()
    {
        QFETCH(QByteArray, comma);
        QFETCH(QByteArray, semicolon);
        QCOMPARE(inCsvDialect(comma, CsvDialect::Semicolon), semicolon);
        QCOMPARE(inCsvDialect(comma, CsvDialect::Comma), comma);
    }
};

QTEST_GUILESS_MAIN(TestAnalysisCores)
#include "test_analysis_cores.moc"
