// The session details sidecar (name.kirv.info), the amendment log (name.kirv.log) that every
// change of a sidecar appends to, and sidecars that cannot be read: named and left alone.
#include "kirv/records/amendment_log.h"
#include "kirv/records/file_manifest.h"
#include "kirv/records/level_masks.h"
#include "kirv/records/session_details.h"
#include "kirv/base/civil_time.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <sys/stat.h>

using namespace kirv;

namespace {

const QDateTime When({2026, 3, 4}, {9, 15, 0});
constexpr qint64 At8 = 1772611200; // 2026-03-04T08:00:00 as civil seconds

using Change = std::function<void(SessionDetails&)>;

SessionDetails everything()
{
    SessionDetails d;
    d.site = "Gate 3, Nordhafen";
    d.operatorName = "A. Lind";
    d.client = "Port authority";
    d.project = "P-2026-014";
    d.instrumentType = "Class 1 meter";
    d.instrumentSerial = "SN 0042";
    d.instrumentVerified = QDate(2025, 11, 2);
    d.calibratorType = "Calibrator";
    d.calibratorSerial = "C-7";
    d.calibratorLevelDb = 94.0;
    d.calibratorCertificate = QDate(2025, 6, 30);
    d.windSpeed = "2 m/s";
    d.windDirection = "SW";
    d.rain = "none";
    d.temperature = "7 °C";
    d.notes = "Two lines:\nback\\slash and\ttab";
    d.calibrationBefore = CalibrationReading{93.9, At8};
    d.calibrationAfter = CalibrationReading{94.1, std::nullopt};
    d.toleranceDb = 0.3;
    d.timeline = {{At8 + 60, "lorry idling"}, {At8 + 3600, " leading blank\nand line end"}};
    return d;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

QList<AmendmentRecord> logRecords(const QString& dataPath)
{
    QList<AmendmentRecord> out;
    for (const QByteArray& line : fileBytes(amendmentLogPath(dataPath)).split('\n'))
        if (!line.isEmpty())
            if (const auto r = parseAmendmentLine(line))
                out << *r;
    return out;
}

} // namespace

class TestSessionDetails : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;

private slots:
    // Every case in a folder of its own.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->filePath("s.kirv");
        QFile data(m_data);
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write("Real Time\r\n");
    }

    // Each value alone, then all of them, read back as written.
    void everyFieldRoundTrips_data()
    {
        QTest::addColumn<Change>("change");
        const SessionDetails all = everything();
        QTest::newRow("site") << Change([all](SessionDetails& d) { d.site = all.site; });
        QTest::newRow("operator") << Change([all](SessionDetails& d) { d.operatorName = all.operatorName; });
        QTest::newRow("client") << Change([all](SessionDetails& d) { d.client = all.client; });
        QTest::newRow("project") << Change([all](SessionDetails& d) { d.project = all.project; });
        QTest::newRow("instrument") << Change([all](SessionDetails& d) {
            d.instrumentType = all.instrumentType;
            d.instrumentSerial = all.instrumentSerial;
            d.instrumentVerified = all.instrumentVerified;
        });
        QTest::newRow("calibrator") << Change([all](SessionDetails& d) {
            d.calibratorType = all.calibratorType;
            d.calibratorSerial = all.calibratorSerial;
            d.calibratorLevelDb = all.calibratorLevelDb;
            d.calibratorCertificate = all.calibratorCertificate;
        });
        QTest::newRow("weather") << Change([all](SessionDetails& d) {
            d.windSpeed = all.windSpeed;
            d.windDirection = all.windDirection;
            d.rain = all.rain;
            d.temperature = all.temperature;
        });
        QTest::newRow("notes with escapes") << Change([all](SessionDetails& d) { d.notes = all.notes; });
        QTest::newRow("readings") << Change([all](SessionDetails& d) {
            d.calibrationBefore = all.calibrationBefore;
            d.calibrationAfter = all.calibrationAfter;
            d.toleranceDb = all.toleranceDb;
        });
        QTest::newRow("timeline") << Change([all](SessionDetails& d) { d.timeline = all.timeline; });
        QTest::newRow("everything") << Change([all](SessionDetails& d) { d = all; });
    }
    void everyFieldRoundTrips()
    {
        QFETCH(Change, change);
        SessionDetails details;
        change(details);
        QVERIFY(!details.isEmpty());
        const SessionDetailsParse parse = parseSessionDetails(sessionDetailsText(details));
        QVERIFY2(parse.details, qPrintable(parse.error));
        QCOMPARE(*parse.details, details);
        // And through the file, which leaves the data file as it was.
        const QByteArray data = fileBytes(m_data);
        QVERIFY(saveSessionDetails(m_data, details, "alind", When).ok());
        const SessionDetailsLoad load = loadSessionDetails(m_data);
        QVERIFY2(load.error.isEmpty(), qPrintable(load.error));
        QVERIFY(load.found);
        QCOMPARE(load.details, details);
        QCOMPARE(fileBytes(m_data), data);
    }

    void badLinesAreNamed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("no colon") << QByteArray("site: a\njust words\n") << "line 2: not a \"key: value\" line";
        QTest::newRow("unknown key") << QByteArray("colour: red\n") << "line 1: unknown key \"colour\"";
        QTest::newRow("twice") << QByteArray("site: a\n\nsite: b\n") << "line 3: \"site\" is given twice";
        QTest::newRow("bad date") << QByteArray("instrument.verified: 2025-13-01\n")
                                  << "line 1: \"2025-13-01\" is not a date such as 2026-03-04";
        QTest::newRow("bad level") << QByteArray("calibrator.level_db: loud\n")
                                   << "line 1: \"loud\" is not a level in dB such as 94.0";
        QTest::newRow("reading time") << QByteArray("calibration.pre: 94.0 noon\n")
                                      << "line 1: \"94.0 noon\" is not a level in dB and a time such as 94.0 2026-03-04T08:30:05";
        QTest::newRow("bad escape") << QByteArray("notes: a\\qb\n")
                                    << "line 1: a backslash that is none of \\\\, \\t, \\r, \\n";
        QTest::newRow("note without time") << QByteArray("note: lorry\n")
                                           << "line 1: a note starts with its time, such as 2026-03-04T08:30:05";
    }
    void badLinesAreNamed()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const SessionDetailsParse parse = parseSessionDetails(text);
        QVERIFY(!parse.details);
        QCOMPARE(parse.error, error);
    }

    // What people write by hand: a byte order mark, CRLF, comments, a blank for the "T".
    void handWrittenSidecarReads()
    {
        const SessionDetailsParse parse = parseSessionDetails(
            "\xEF\xBB\xBF# by hand\r\nsite:Quay\r\ncalibration.post: 94.2 2026-03-04 08:00:00\r\n"
            "note: 2026-03-04T08:01:00+00:00 horn\r\n");
        QVERIFY2(parse.details, qPrintable(parse.error));
        QCOMPARE(parse.details->site, "Quay");
        QCOMPARE(parse.details->calibrationAfter, (CalibrationReading{94.2, At8}));
        QCOMPARE(parse.details->timeline.size(), size_t(1));
        QCOMPARE(parse.details->timeline[0].text, "horn");
    }

    // A sidecar the program cannot read is named by the load, refused by a save and left as it
    // was; so is an amendment log that is not a file.
    void unreadableSidecarIsNamedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bad line") << "text" << "line 1: unknown key \"colour\"";
        QTest::newRow("folder") << "folder" << "it is not a regular file";
        QTest::newRow("fifo") << "fifo" << "it is not a regular file";
        QTest::newRow("too big") << "big" << "the file is larger than 4 MB";
    }
    void unreadableSidecarIsNamedAndLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = sessionDetailsPath(m_data);
        if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind == "big" ? QByteArray(MaxSessionDetailsBytes + 1, '#') : "colour: red\n");
        }
        const QByteArray before = kind == "text" ? fileBytes(path) : QByteArray();
        const SessionDetailsLoad load = loadSessionDetails(m_data);
        QVERIFY(load.error.contains(QDir::toNativeSeparators(path)));
        QVERIFY2(load.error.endsWith(reason), qPrintable(load.error));
        QVERIFY(load.details.isEmpty());

        SessionDetails details;
        details.site = "Quay";
        const FileStatus saved = saveSessionDetails(m_data, details, "alind", When);
        QCOMPARE(saved.error, load.error + "; it is left as it is");
        if (kind == "text")
            QCOMPARE(fileBytes(path), before);
        QVERIFY(QFileInfo(path).isDir() == (kind == "folder"));
        QVERIFY(!QFile::exists(amendmentLogPath(m_data)));
    }

    void logThatIsNoFileIsNamedAndLeftAlone()
    {
        QVERIFY(QDir().mkdir(amendmentLogPath(m_data)));
        SessionDetails details;
        details.site = "Quay";
        QCOMPARE(saveSessionDetails(m_data, details, "alind", When).error,
                 "Cannot append to " + QDir::toNativeSeparators(amendmentLogPath(m_data)) +
                     ": it is not a regular file");
        QVERIFY(QFileInfo(amendmentLogPath(m_data)).isDir());
    }

    // Each save appends the lines of what it changed, and nothing else; the log is never
    // rewritten.
    void eachChangeAppendsItsLines()
    {
        struct Step
        {
            Change change;
            QList<Amendment> lines;
        };
        const QString note8 = isoLocalText(At8) + " horn";
        const QList<Step> steps{
            {[](SessionDetails& d) { d.site = "Quay"; }, {{"site", "", "Quay"}}},
            {[](SessionDetails& d) { d.site = "Quay\n2"; d.calibrationBefore = CalibrationReading{93.8, At8}; },
             {{"site", "Quay", "Quay\n2"}, {"calibration.pre", "", "93.8 2026-03-04T08:00:00"}}},
            {[](SessionDetails&) {}, {}},
            {[&](SessionDetails& d) { d.timeline.push_back({At8, "horn"}); }, {{"note", "", note8}}},
            {[&](SessionDetails& d) { d.timeline = {{At8, "horn!"}}; },
             {{"note", note8, ""}, {"note", "", note8 + "!"}}},
            {[](SessionDetails& d) { d = SessionDetails(); },
             {{"site", "Quay\n2", ""}, {"calibration.pre", "93.8 2026-03-04T08:00:00", ""},
              {"note", isoLocalText(At8) + " horn!", ""}}},
        };
        SessionDetails details;
        QList<Amendment> expected;
        for (const Step& step : steps) {
            const QByteArray logBefore = fileBytes(amendmentLogPath(m_data));
            step.change(details);
            QVERIFY(saveSessionDetails(m_data, details, "a lind", When).ok());
            expected << step.lines;
            if (logBefore != "(unreadable)")
                QVERIFY(fileBytes(amendmentLogPath(m_data)).startsWith(logBefore));
        }
        const QList<AmendmentRecord> log = logRecords(m_data);
        QList<Amendment> changes;
        for (const AmendmentRecord& r : log) {
            QCOMPARE(r.time, "2026-03-04T09:15:00" + isoText(When).right(6));
            QCOMPARE(r.login, "a lind");
            changes << r.change;
        }
        QCOMPARE(changes, expected);
        QVERIFY(!QFile::exists(sessionDetailsPath(m_data))); // empty details remove it
    }

    // The masks sidecar's writes are logged alike: each span removed or added.
    void masksChangesAreLogged()
    {
        const MaskSpan a{At8, At8 + 10, "door"};
        const MaskSpan b{At8 + 100, At8 + 110, {}};
        QVERIFY(saveMasks(m_data, {a}, "alind", When).ok());
        QVERIFY(saveMasks(m_data, {a, b}, "alind", When).ok());
        QVERIFY(saveMasks(m_data, {}, "alind", When).ok());
        QList<Amendment> changes;
        for (const AmendmentRecord& r : logRecords(m_data))
            changes << r.change;
        const QString lineA = "2026-03-04T08:00:00 2026-03-04T08:00:10 door";
        const QString lineB = "2026-03-04T08:01:40 2026-03-04T08:01:50";
        QCOMPARE(changes, (QList<Amendment>{{"mask", "", lineA}, {"mask", "", lineB},
                                            {"mask", lineA, ""}, {"mask", lineB, ""}}));
    }

    // A log line keeps five fields whatever the values hold.
    void logLineEscapes_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("tab") << "a\tb";
        QTest::newRow("line ends") << "a\r\nb";
        QTest::newRow("backslash n") << "a\\nb";
        QTest::newRow("empty") << "";
    }
    void logLineEscapes()
    {
        QFETCH(QString, value);
        const QByteArray line = amendmentLine(When, "x\ty", {"notes", value, value + "!"});
        QCOMPARE(line.count('\n'), 1);
        QCOMPARE(line.count('\t'), 4);
        const std::optional<AmendmentRecord> back = parseAmendmentLine(line);
        QVERIFY(back);
        QCOMPARE(back->login, "x\ty");
        QCOMPARE(back->change, (Amendment{"notes", value, value + "!"}));
    }

    // With a manifest, a save hashes the changed sidecar and the log into it; the other lines
    // stay as they were.
    void saveKeepsTheManifestCurrent()
    {
        QVERIFY(writeManifest(m_data).ok());
        SessionDetails details;
        details.site = "Quay";
        QVERIFY(saveSessionDetails(m_data, details, "alind", When).ok());
        const ManifestLoad load = loadManifest(m_data);
        QVERIFY(load.manifest);
        QCOMPARE(checkManifest(m_data, *load.manifest), QStringList());
        QCOMPARE(load.manifest->entries.size(), 3); // data, details, log
    }
};

QTEST_GUILESS_MAIN(TestSessionDetails)
#include "test_session_details.moc"
