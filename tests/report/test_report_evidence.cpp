// kirv-report with a file's session details: the details, the calibration check and the notes
// in JSON, CSV and text, the data file's SHA-256, --strict, and a details sidecar it cannot use.
#include "tests/report/report_fixture.h"
#include "tests/report/report_run.h"
#include "kirv/records/level_masks.h"
#include "kirv/records/session_details.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace kirv;

namespace {

constexpr qint64 At8 = 1772611200; // 2026-03-04T08:00:00 as civil seconds

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The CSV row of the file as a map from the header's names.
QMap<QString, QString> csvRow(const QByteArray& csv)
{
    const QList<QByteArray> rows = csv.split('\n');
    const QList<QByteArray> keys = rows.value(0).trimmed().split(',');
    QMap<QString, QString> out;
    // The notes cell holds a line end: it is quoted, so take it apart by hand.
    QList<QByteArray> cells;
    const QByteArray row = csv.mid(rows.value(0).size() + 1).trimmed();
    QByteArray cell;
    bool quoted = false;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (c == '"' && quoted && i + 1 < row.size() && row[i + 1] == '"')
            cell += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            cells << std::exchange(cell, {});
        else
            cell += c;
    }
    cells << cell;
    for (qsizetype i = 0; i < keys.size(); ++i)
        out[QString::fromUtf8(keys[i])] = QString::fromUtf8(cells.value(i));
    return out;
}

} // namespace

class TestReportEvidence : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    SessionDetails m_details;

    void saveReadings(std::optional<double> pre, std::optional<double> post)
    {
        SessionDetails d = m_details;
        d.calibrationBefore = pre ? std::optional(CalibrationReading{*pre, At8 - 120}) : std::nullopt;
        d.calibrationAfter = post ? std::optional(CalibrationReading{*post, std::nullopt}) : std::nullopt;
        QVERIFY(saveSessionDetails(m_file, d, "tester").ok());
    }

private slots:
    void initTestCase()
    {
        m_file = m_dir.filePath("site.kirv");
        writeFile(m_file, dataFileBytes(realTimeHeader(1), {{"2026/03/04 08:00:00", "70.0"},
                                                            {"2026/03/04 08:00:01", "72.0"}}));
        m_details.site = "Quay \"3\"";
        m_details.operatorName = "A. Lind";
        m_details.instrumentSerial = "SN 42";
        m_details.instrumentVerified = QDate(2025, 11, 2);
        m_details.calibratorLevelDb = 94.0;
        m_details.windSpeed = "2 m/s";
        m_details.notes = "dry,\ncalm";
        m_details.timeline = {{At8, "start"}, {At8 + 1, "horn, twice"}};
    }

    void jsonCarriesEverything()
    {
        saveReadings(93.8, 94.3);
        const Run run = runReport({"--format", "json", m_file});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        const QJsonObject r = QJsonDocument::fromJson(run.out).array()[0].toObject();
        QCOMPARE(r["sha256"].toString(),
                 QCryptographicHash::hash(readAll(m_file), QCryptographicHash::Sha256).toHex());
        const QJsonObject c = r["calibration"].toObject();
        QCOMPARE(c["pre"].toObject(), (QJsonObject{{"level_db", 93.8}, {"time", "2026-03-04T07:58:00+01:00"}}));
        QCOMPARE(c["post"].toObject(), (QJsonObject{{"level_db", 94.3}, {"time", QJsonValue::Null}}));
        QCOMPARE(c["drift_db"].toDouble(), 0.5);
        QCOMPARE(c["tolerance_db"].toDouble(), 0.5);
        QCOMPARE(c["valid"], QJsonValue(true));
        const QJsonObject d = r["details"].toObject();
        QCOMPARE(d["site"].toString(), m_details.site);
        QCOMPARE(d["operator"].toString(), "A. Lind");
        QVERIFY(d["client"].isNull());
        QCOMPARE(d["instrument"].toObject(),
                 (QJsonObject{{"type", QJsonValue::Null}, {"serial", "SN 42"}, {"verified", "2025-11-02"}}));
        QCOMPARE(d["calibrator"].toObject()["level_db"].toDouble(), 94.0);
        QCOMPARE(d["weather"].toObject()["wind_speed"].toString(), "2 m/s");
        QCOMPARE(d["notes"].toString(), "dry,\ncalm");
        QCOMPARE(r["notes"].toArray(),
                 (QJsonArray{QJsonObject{{"time", "2026-03-04T08:00:00+01:00"}, {"text", "start"}},
                             QJsonObject{{"time", "2026-03-04T08:00:01+01:00"}, {"text", "horn, twice"}}}));
    }

    void csvAndTextCarryTheSame()
    {
        saveReadings(94.0, 94.6);
        const Run csv = runReport({"--format", "csv", m_file});
        QCOMPARE(csv.exitCode, 0);
        const QMap<QString, QString> row = csvRow(csv.out);
        QCOMPARE(row["site"], m_details.site);
        QCOMPARE(row["session_notes"], "dry,\ncalm");
        QCOMPARE(row["instrument_verified"], "2025-11-02");
        QCOMPARE(row["calibration_pre_db"], "94");
        QCOMPARE(row["calibration_pre_time"], "2026-03-04T07:58:00+01:00");
        QCOMPARE(row["calibration_post_db"], "94.6");
        QCOMPARE(row["drift_db"], "0.6");
        QCOMPARE(row["calibration_valid"], "false");
        QCOMPARE(row["notes"], "2026-03-04T08:00:00+01:00 start\n2026-03-04T08:00:01+01:00 horn, twice");
        QCOMPARE(row["sha256"].size(), 64);

        const Run text = runReport({m_file});
        QCOMPARE(text.exitCode, 0);
        const QByteArray out = text.out;
        for (const char* line : {"\nsite:             Quay \"3\"\n", "\nsession_notes:    dry,\\ncalm\n",
                                 "\ncalibration_pre_db: 94\n", "\ncalibration_pre_time: 2026-03-04T07:58:00\n",
                                 "\ndrift_db:         0.6\n", "\ncalibration:      failed\n",
                                 "\nnote:             2026-03-04T08:00:01 horn, twice\n"})
            QVERIFY2(out.contains(line), line);
        QVERIFY(out.contains("\nsha256:           " + row["sha256"].toLatin1() + "\n"));
    }

    void strictFailsAMissingOrFailedCheck_data()
    {
        QTest::addColumn<std::optional<double>>("pre");
        QTest::addColumn<std::optional<double>>("post");
        QTest::addColumn<QString>("error");
        QTest::newRow("valid") << std::optional(94.0) << std::optional(93.5) << QString();
        QTest::newRow("failed") << std::optional(94.0) << std::optional(93.4)
                                << "the calibration check failed: drift -0.6 dB, tolerance 0.5 dB";
        QTest::newRow("no reading after") << std::optional(94.0) << std::optional<double>()
                                          << "the calibration check is missing (no reading before or after)";
        QTest::newRow("no readings") << std::optional<double>() << std::optional<double>()
                                     << "the calibration check is missing (no reading before or after)";
    }
    void strictFailsAMissingOrFailedCheck()
    {
        QFETCH(std::optional<double>, pre);
        QFETCH(std::optional<double>, post);
        QFETCH(QString, error);
        saveReadings(pre, post);
        const Run plain = runReport({"--format", "json", m_file});
        QCOMPARE(plain.exitCode, 0);
        const Run strict = runReport({"--strict", "--format", "json", m_file});
        QCOMPARE(strict.exitCode, error.isEmpty() ? 0 : 1);
        QCOMPARE(QString::fromUtf8(strict.err),
                 error.isEmpty() ? QString() : "kirv-report: " + m_file + ": " + error + "\n");
        QCOMPARE(strict.out, plain.out); // the report is written all the same
    }

    // The report page gains the hash; a file with details or masks a session record page.
    void pdfShowsTheSessionRecord()
    {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        saveReadings(94.0, 93.3);
        QVERIFY(saveMasks(m_file, {{At8, At8 + 1, "door slam"}}, "tester").ok());
        const QString bare = m_dir.filePath("bare.kirv");
        writeFile(bare, readAll(m_file));
        const QString pdf = m_dir.filePath("report.pdf");
        const Run run = runReport({"--pdf", pdf, "-o", m_dir.filePath("ignored.txt"), m_file, bare});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(saveMasks(m_file, {}, "tester").ok());
        QProcess text;
        text.start(pdftotext, {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        // The fonts join "fi" into one glyph, which pdftotext gives back as one character.
        const QStringList pages = QString::fromUtf8(text.readAllStandardOutput())
                                      .replace(QChar(0xfb01), "fi")
                                      .split('\f');
        QCOMPARE(pages.size(), 4); // the file's two pages, the bare file's one, the rest
        const QString sha = QCryptographicHash::hash(readAll(m_file), QCryptographicHash::Sha256).toHex();
        QVERIFY(pages[0].simplified().contains("SHA-256 of the data file: " + sha));
        const QString record = pages[1].simplified();
        for (const char* value : {"site.kirv Session record", "Session details",
                                     "Site Quay \"3\"", "Operator A. Lind", "Instrument serial SN 42",
                                     "Last verification 2025-11-02", "Reference level 94 dB",
                                     "Wind speed 2 m/s", "Notes dry, calm",
                                     "Before 94 dB at 2026/03/04 07:58:00", "After 93.3 dB",
                                     "Drift -0.7 dB", "Tolerance 0.5 dB",
                                     "Check FAILED: the series is in doubt", "Timeline",
                                     "2026/03/04 08:00:01 horn, twice", "Masked spans",
                                     "2026/03/04 08:00:00 - 08:00:01 door slam"})
            QVERIFY2(record.contains(QString::fromUtf8(value)), qPrintable(QString::fromUtf8(value) + " in " + record));
        QVERIFY(pages[2].simplified().startsWith("bare.kirv real-time file"));
        QVERIFY(!pages[2].contains("Session record"));
    }

    // A details sidecar it cannot use is named, the run fails, and the sidecar stays.
    void unusableDetailsAreNamed()
    {
        const QString path = sessionDetailsPath(m_file);
        writeFile(path, "site: a\nsite: b\n");
        const Run run = runReport({"--format", "json", m_file});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(run.err), "kirv-report: Cannot use " + path +
                                                 ": line 2: \"site\" is given twice; the session "
                                                 "details are ignored\n");
        QVERIFY(QJsonDocument::fromJson(run.out).array()[0].toObject()["details"].isNull());
        QCOMPARE(readAll(path), QByteArray("site: a\nsite: b\n"));
        QVERIFY(QFile::remove(path));
    }
};

QTEST_GUILESS_MAIN(TestReportEvidence)
#include "test_report_evidence.moc"
