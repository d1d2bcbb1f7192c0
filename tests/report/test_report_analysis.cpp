// kirv-report's analysis beyond the meter: a file whose only loud records lie in a masked span.
#include "tests/report/report_fixture.h"
#include "tests/report/report_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject firstReport(const Run& run)
{
    return QJsonDocument::fromJson(run.out).array().at(0).toObject();
}

} // namespace

class TestReportAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath("week.kirv");
        // 08:00:00 .. 08:00:09 at 60 dB but for two loud seconds, 08:00:04 and 08:00:05.
        QList<QPair<QString, QString>> records;
        for (int s = 0; s < 10; ++s)
            records << qMakePair(QStringLiteral("2026/03/04 08:00:%1").arg(s, 2, 10, QLatin1Char('0')),
                                 QString(s == 4 || s == 5 ? "95.0" : "60.0"));
        writeFile(m_file, dataFileBytes({"Real Time", "1", "A", "FAST", "30-130", "95.0",
                                         "2026/03/04 08:00:04", "0", "0"},
                                        records));
        writeFile(m_file + ".masks", "2026-03-04T08:00:04 2026-03-04T08:00:05 lorry\n");
    }

    // Every value of the report leaves the masked span out; --no-masks takes it back.
    void masksReachEveryValue_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<double>("lmax");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("maskedSpans");
        QTest::newRow("masked") << QStringList{} << 60.0 << 8 << 0 << 1;
        QTest::newRow("--no-masks") << QStringList{"--no-masks"} << 95.0 << 10 << 1 << 0;
    }

    void masksReachEveryValue()
    {
        QFETCH(QStringList, options);
        QFETCH(double, lmax);
        QFETCH(int, records);
        QFETCH(int, events);
        QFETCH(int, maskedSpans);
        const Run run = runReport(options + QStringList{"--format", "json", "--period", "60",
                                                        "--events", "75:1", m_file});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject r = firstReport(run);
        QCOMPARE(r["lmax"].toDouble(), lmax);
        QCOMPARE(r["records"].toInt(), 10); // the file's records; a masked one is not counted
        QCOMPARE(r["counted"].toInt(), records);
        QCOMPARE(r["l05"].toDouble(), lmax);
        QCOMPARE(r["events"].toArray().size(), events);
        QCOMPARE(r["masked_spans"].toInt(), maskedSpans);
        const QJsonObject period = r["periods"].toArray().at(0).toObject();
        QCOMPARE(period["lmax"].toDouble(), lmax);
        QCOMPARE(period["records"].toInt(), records);
        QCOMPARE(period["start"].toString(), "2026-03-04T08:00:00+01:00");
        QCOMPARE(r["start"].toString(), "2026-03-04T08:00:00+01:00");
    }

    // The text form states the analysis too, the events in the period lines' columns.
    void analysisInText_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("lines"); // the block's lines from lex8h on
        const QByteArray whole = "lex8h:            53.4\n"
                                 "dose_osha:        0.0\n"
                                 "dose_niosh:       0.0\n"
                                 "unreadable:       0\n"
                                 "masks_ignored:    false\n"
                                 "masked_spans:     0\n";
        QTest::newRow("masked") << QStringList{"--events", "75:1"}
                                << QByteArray("lex8h:            24.4\n"
                                              "dose_osha:        0.0\n"
                                              "dose_niosh:       0.0\n"
                                              "unreadable:       0\n"
                                              "masks_ignored:    false\n"
                                              "masked_spans:     1\n");
        QTest::newRow("--no-masks")
            << QStringList{"--no-masks", "--events", "75:1"}
            << whole + "event:            2026/03/04 08:00:04 2026/03/04 08:00:06       2   95.0"
                       "   95.0\n";
        QTest::newRow("no --events") << QStringList{"--no-masks"} << whole;
    }

    void analysisInText()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, lines);
        const Run run = runReport(options + QStringList{"--format", "text", m_file});
        QCOMPARE(run.exitCode, 0);
        const qsizetype from = run.out.indexOf("lex8h:");
        QCOMPARE(run.out.mid(from, run.out.indexOf("sha256:") - from), lines);
    }

    void eventsAndPeriodsAsCsvInBothDialects()
    {
        const QString periods = m_dir.filePath("periods.csv");
        const QString events = m_dir.filePath("events.csv");
        const Run run = runReport({"--no-masks", "--format", "csv", "--csv-dialect", "semicolon",
                                   "--period", "60", "--period-csv", periods, "--events", "75:2:2",
                                   "--events-csv", events, m_file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readFile(events),
                 "file;start;end;seconds;lmax;lmax_time;leq;sel\r\n" + m_file.toUtf8() +
                     ";2026-03-04T08:00:04+01:00;2026-03-04T08:00:06+01:00;2;95,0;"
                     "2026-03-04T08:00:04+01:00;95,0;98,0\r\n");
        QCOMPARE(readFile(periods), "file;start;records;leq;lmax;lmin;l10;l50;l90\r\n" +
                                        m_file.toUtf8() +
                                        ";2026-03-04T08:00:00+01:00;10;88,0;95,0;60,0;95,0;60,0;"
                                        "60,0\r\n");
        QVERIFY(run.out.startsWith("file;kind;interval;records;"));
        QVERIFY(run.out.contains(";2026-03-04T08:00:00+01:00;"));
    }

    void exposureOfAWorkingDay()
    {
        // Eight hourly records at 85 dB: LEX,8h 85.0, NIOSH 100 %, OSHA 50 %.
        QList<QPair<QString, QString>> records;
        for (int h = 8; h < 16; ++h)
            records << qMakePair(QStringLiteral("2026/03/04 %1:00:00").arg(h, 2, 10, QLatin1Char('0')),
                                 QStringLiteral("85.0"));
        const QString path = m_dir.filePath("day.kirv");
        writeFile(path, dataFileBytes({"Real Time", "3600", "A", "SLOW", "30-130", "85.0",
                                       "2026/03/04 08:00:00", "0", "0"},
                                      records));
        const QJsonObject r = firstReport(runReport({"--format", "json", path}));
        QCOMPARE(r["lex8h"].toDouble(), 85.0);
        QCOMPARE(r["dose_niosh"].toDouble(), 100.0);
        QCOMPARE(r["dose_osha"].toDouble(), 50.0);
    }

    // A sidecar that cannot be used fails the run (the figures would hold what the user
    // masked), yet every output is written, saying that the masks were ignored.
    void badSidecarFailsTheRun_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a bad line") << "text"
                                    << "Cannot use %1: line 2: the start is not a time such as "
                                       "2026-03-04T08:30:05";
        QTest::newRow("a link to /dev/zero") << "zero" << "Cannot open %1: it is not a regular file";
        QTest::newRow("a FIFO") << "fifo" << "Cannot open %1: it is not a regular file";
    }

    void badSidecarFailsTheRun()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.kirv");
        const QString masks = path + ".masks";
        QVERIFY(QFile::copy(m_file, path));
        if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", masks));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(masks).constData(), 0600), 0);
        else
            writeFile(masks, "2026-03-04T08:00:04 2026-03-04T08:00:05\nrubbish\n");
        const QString csv = dir.filePath("out.csv");
        const Run run = runReport({"--format", "csv", "-o", csv, path});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(run.err),
                 "kirv-report: " + reason.arg(masks) + "; the masks are ignored\n");
        const QList<QByteArray> rows = readFile(csv).split('\n');
        QCOMPARE(rows.size(), 3); // the head, the file's row and nothing after the last line end
        QVERIFY(rows[0].contains(",unreadable,masks_ignored,sha256,"));
        QVERIFY(rows[1].contains(",0,true,"));
        const Run json = runReport({"--format", "json", path});
        QCOMPARE(json.exitCode, 1);
        QCOMPARE(firstReport(json)["lmax"].toDouble(), 95.0);
        QCOMPARE(firstReport(json)["masks_ignored"].toBool(), true);
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("events without duration")
            << QStringList{"--events", "75"}
            << "--events needs L:D or L:D:H, numbers of at least 0 (\"75:30\")";
        QTest::newRow("events not numbers") << QStringList{"--events", "a:b:c"}
                                            << "--events needs L:D or L:D:H, numbers of at least "
                                               "0 (\"75:30\")";
        QTest::newRow("events limit between two tenths")
            << QStringList{"--events", "75.04:30"}
            << "--events: levels are in tenths of a dB, \"75.04\" has more decimals (\"75.5:30\")";
        QTest::newRow("events hysteresis between two tenths")
            << QStringList{"--events", "75:30:2.55"}
            << "--events: levels are in tenths of a dB, \"2.55\" has more decimals (\"75.5:30\")";
        QTest::newRow("events csv alone") << QStringList{"--events-csv", "x.csv"}
                                          << "--events-csv needs --events";
        QTest::newRow("dialect") << QStringList{"--csv-dialect", "tab"}
                                 << "unknown CSV dialect \"tab\" (comma or semicolon)";
    }

    // Tenths written any way, and durations of any fraction, are taken as given.
    void eventRulesInTenths_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("events"); // of the two loud seconds at 95 dB
        QTest::newRow("trailing zeros") << "95.00:2" << 1;
        QTest::newRow("a fraction of a second") << "95:2.5" << 0;
        QTest::newRow("tenths with an exponent") << "9.51e1:1:0.3" << 0;
        QTest::newRow("a tenth below") << "94.9:1:0.3" << 1;
    }

    void eventRulesInTenths()
    {
        QFETCH(QString, rule);
        QFETCH(int, events);
        const Run run = runReport({"--no-masks", "--format", "json", "--events", rule, m_file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(firstReport(run)["events"].toArray().size(), events);
    }

    void badOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = runReport(arguments << m_file);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, ("kirv-report: " + message + "\nTry 'kirv-report --help'.\n").toUtf8());
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QTEST_GUILESS_MAIN(TestReportAnalysis)
#include "test_report_analysis.moc"
