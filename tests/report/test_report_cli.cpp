// kirv-report run as a program, as an engineer runs it.
#include "tests/report/report_fixture.h"
#include "tests/support/small_disk.h"
#include "tests/report/report_run.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <random>

namespace {

// A stored time text as the CSV and JSON outputs give it: ISO 8601 with the local UTC offset.
QString iso(const QString& civil)
{
    const QDateTime local = QDateTime::fromString(civil, "yyyy/MM/dd HH:mm:ss");
    const int minutes = local.offsetFromUtc() / 60;
    return local.toString("yyyy-MM-ddTHH:mm:ss") + (minutes < 0 ? '-' : '+') +
           QTime(0, 0).addSecs(std::abs(minutes) * 60).toString("HH:mm");
}

const QList<QPair<QString, QString>> twoSamples{{"2009/03/04 08:00:01", "88.0"},
                                                {"2009/03/04 08:00:02", "89.1"}};

} // namespace

class TestReportCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badArguments_data();
    void badArguments();
    void helpExplainsEveryOption();
    void versionIsTheProjectVersion();
    void unreadableFilesAreReportedAndTheRestProcessed();
    void oddAndDamagedFiles_data();
    void oddAndDamagedFiles();
    void outputFilesInEachForm();
    void fullRecordingMatchesAnIndependentReckoning();
    void reportPageShowsTheKeyValues();
    void pdfOfTwoRunsIsWholeOfOne();
    void pdfOnAFullDisk();

private:
    QTemporaryDir m_dir;
    QString m_good;
};

void TestReportCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_good = m_dir.filePath("good.kirv");
    writeFile(m_good, dataFileBytes({"Real Time", "1", "A", "FAST", "80-140", "89.1",
                                     "2009/03/04 08:00:02", "91.5", "88.5"},
                                    twoSamples));
}

void TestReportCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << QStringList{} << "no data file given";
    QTest::newRow("format") << QStringList{"--format", "xml", "a"}
                            << "unknown format \"xml\" (text, csv or json)";
    const QString period = "the period must be a whole number of minutes from 1 to 1440";
    QTest::newRow("period 0") << QStringList{"--period", "0", "a"} << period;
    QTest::newRow("period 1441") << QStringList{"--period", "1441", "a"} << period;
    QTest::newRow("period text") << QStringList{"--period", "x", "a"} << period;
    QTest::newRow("jobs 0") << QStringList{"--jobs", "0", "a"}
                            << "--jobs needs a whole number of at least 1";
    QTest::newRow("unknown option") << QStringList{"--colour", "a"} << "Unknown option 'colour'.";
    QTest::newRow("missing value")
        << QStringList{"a", "--period"} << "Missing value after '--period'.";
    QTest::newRow("empty output") << QStringList{"-o", "", "a"} << "--output needs a file name";
}

void TestReportCli::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runReport(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromUtf8(run.err),
             "kirv-report: " + message + "\nTry 'kirv-report --help'.\n");
}

void TestReportCli::helpExplainsEveryOption()
{
    const Run run = runReport({"--help"});
    QCOMPARE(run.exitCode, 0);
    const QString help = QString::fromUtf8(run.out);
    QVERIFY(help.startsWith("Usage: kirv-report [options] FILE...\n"));
    for (const char* word : {"--format <text|csv|json>", "--period <MINUTES>", "--pdf <OUT.pdf>",
                             "-o, --output <FILE>", "--period-csv <FILE>", "--jobs <N>", "--force",
                             "-h, --help", "lden", "coverage_night", "Exit status"})
        QVERIFY2(help.contains(QLatin1String(word)), word);
}

// The version the build names, as kirv prints it; nothing is read.
void TestReportCli::versionIsTheProjectVersion()
{
    const Run run = runReport({"--version", m_dir.filePath("missing.kirv")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, QByteArray("kirv-report " KIRV_PROJECT_VERSION "\n"));
}

void TestReportCli::unreadableFilesAreReportedAndTheRestProcessed()
{
    const QString missing = m_dir.filePath("missing.kirv");
    const QString second = m_dir.filePath("second.kirv");
    QFile::remove(second);
    QVERIFY(QFile::copy(m_good, second));
    // Two workers: the reports still come in the order of the command line.
    const Run run =
        runReport({"--format", "json", "--jobs", "2", missing, m_good, m_dir.path(), second});
    QCOMPARE(run.exitCode, 1);
    const QStringList errors = QString::fromUtf8(run.err).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors[0], "kirv-report: Cannot open " + missing + ": No such file or directory");
    QVERIFY2(errors[1].startsWith("kirv-report: Cannot open " + m_dir.path() + ": "),
             qPrintable(errors[1]));
    const QJsonArray array = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(array.size(), 2);
    QCOMPARE(array[0].toObject()["file"].toString(), m_good);
    QCOMPARE(array[0].toObject()["leq"].toDouble(), 88.5);
    QCOMPARE(array[1].toObject()["file"].toString(), second);
}

void TestReportCli::oddAndDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("name"); // as the system holds it
    QTest::addColumn<QString>("special"); // "fifo", "zero" (a link to /dev/zero) or a file of:
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    QTest::addColumn<int>("unreadLines"); // -1: no report at all

    QFile good(m_good);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    const QString notRegular = "kirv-report: Cannot open %1: it is not a regular file\n";
    QTest::newRow("FIFO") << QByteArray("pipe.kirv") << "fifo" << QByteArray() << 1
                          << notRegular.arg("pipe.kirv") << -1;
    QTest::newRow("/dev/zero") << QByteArray("zero.kirv") << "zero" << QByteArray() << 1
                               << notRegular.arg("zero.kirv") << -1;
    QTest::newRow("a name that is not UTF-8") << QByteArray("caf\xe9.kirv") << "" << bytes << 0
                                              << QString() << 0;
    QTest::newRow("cut in the middle of a line")
        << QByteArray("cut.kirv") << "" << bytes + "3\t2009/03/04 08:0" << 0
        << "kirv-report: Reading stopped at line 13 of cut.kirv, which is not a record: "
           "\"3\\t2009/03/04 08:0\" (lines not read: 1)\n"
        << 1;
    QTest::newRow("empty") << QByteArray("empty.kirv") << "" << QByteArray() << 1
                           << "kirv-report: Cannot read empty.kirv: the file is empty\n" << -1;
    QTest::newRow("random bytes") << QByteArray("noise.kirv") << "" << QByteArray("\x7f\x01\xfe\n\x02")
                                  << 1 << "kirv-report: Cannot read noise.kirv: it is not a data file\n"
                                  << -1;
}

void TestReportCli::oddAndDamagedFiles()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, special);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(int, unreadLines);

    // Each file alone in a folder, named to the program by the shell's glob, so that the name
    // reaches it byte for byte.
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
    if (special == "fifo") {
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    } else if (special == "zero") {
        QCOMPARE(::symlink("/dev/zero", path.constData()), 0);
    } else {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    }
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start("/bin/sh", {"-c", "exec \"$0\" --format json -- *", KIRV_REPORT});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), err);
    const QJsonArray reports = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(reports.size(), unreadLines < 0 ? 0 : 1);
    if (unreadLines < 0)
        return;
    const QJsonObject report = reports[0].toObject();
    QCOMPARE(report["file"].toString(), QString::fromUtf8(name)); // U+FFFD for a stray byte
    QCOMPARE(report["leq"].toDouble(), 88.5);
    QCOMPARE(report["complete"].toBool(), unreadLines == 0);
    QCOMPARE(report["unread_lines"].toInt(), unreadLines);
}

void TestReportCli::outputFilesInEachForm()
{
    const QString out = m_dir.filePath("out.csv");
    const QString periods = m_dir.filePath("periods.csv");
    const Run run = runReport(
        {"--format", "csv", "-o", out, "--period-csv", periods, "--period", "60", m_good, m_good});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray());
    QFile csv(out);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    QCOMPARE(rows.size(), 4); // header, two files, the empty rest after the last CRLF
    QVERIFY(rows[0].startsWith("file,kind,interval,records,"));
    QCOMPARE(rows[1], rows[2]);
    QVERIFY(rows[1].startsWith((m_good + ",real-time,1,2,2,0,2009-03-04T08:00:01+01:00,").toUtf8()));
    QFile periodCsv(periods);
    QVERIFY(periodCsv.open(QIODevice::ReadOnly));
    const QByteArray row =
        (m_good + ",2009-03-04T08:00:00+01:00,2,88.5,89.1,88.0,89.1,88.0,88.0\r\n").toUtf8();
    QCOMPARE(periodCsv.readAll(), "file,start,records,leq,lmax,lmin,l10,l50,l90\r\n" + row + row);

    const Run text = runReport({m_good});
    QCOMPARE(text.exitCode, 0);
    QVERIFY(text.out.startsWith(
        ("file:             " + m_good + "\nkind:             real-time\n").toUtf8()));

    // Nothing readable: no report page, so no PDF.
    const QString pdf = m_dir.filePath("none.pdf");
    const Run none = runReport({"--pdf", pdf, m_dir.filePath("missing.kirv")});
    QCOMPARE(none.exitCode, 1);
    QVERIFY(!QFile::exists(pdf));

    const Run unwritable = runReport({"-o", m_dir.filePath("no/such/dir/x"), m_good});
    QCOMPARE(unwritable.exitCode, 1);
    QVERIFY(unwritable.err.startsWith("kirv-report: Cannot create "));
}

namespace {

// The report values of a file, reckoned apart from the program: times through QDateTime in UTC,
// levels as whole tenths, sums in long double, L(j) by sorting the counted levels.
struct Reckoning
{
    QJsonObject scalars;
    QJsonArray exceedance;
    QJsonArray periods;
};

double truncatedTenth(long double x)
{
    return std::floor(double(x) * 10.0) / 10.0;
}

long double energyMean(long double sum, qint64 n)
{
    return 10.0L * std::log10(sum / (long double)n);
}

} // namespace

void TestReportCli::fullRecordingMatchesAnIndependentReckoning()
{
    // 348000 records at 1 s from 21:00 over four nights, a 10-minute hole at record 100000, every
    // 997th record marked.
    constexpr int count = 348000;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> tenths(350, 949);
    const QDateTime first(QDate(2024, 6, 1), QTime(21, 0, 0), Qt::UTC);
    QByteArray bytes = "Real Time\r\n1\r\nA\r\nFAST\r\n30-130\r\n0\r\nx\r\n0\r\n0\r\n"
                       "No.s\tDate Time\tdB\t\r\n";
    bytes.reserve(count * 34);
    std::vector<int> levels(count);
    std::vector<QDateTime> times(count);
    std::vector<bool> marked(count);
    for (int i = 0; i < count; ++i) {
        times[size_t(i)] = first.addSecs(i + (i >= 100000 ? 600 : 0));
        levels[size_t(i)] = tenths(random);
        marked[size_t(i)] = i % 997 == 500;
        bytes += QByteArray::number(i + 1) + '\t' +
                 times[size_t(i)].toString("yyyy/MM/dd HH:mm:ss").toLatin1() + '\t' +
                 QByteArray::number(levels[size_t(i)] / 10) + '.' +
                 QByteArray::number(levels[size_t(i)] % 10) + (marked[size_t(i)] ? "*" : "") +
                 "\t\r\n";
    }
    const QString path = m_dir.filePath("full.kirv");
    writeFile(path, bytes);

    long double all = 0, parts[3] = {0, 0, 0};
    qint64 counted = 0, partCounts[3] = {0, 0, 0};
    int lmax = -1, lmin = 10000;
    QString lmaxTime;
    std::vector<int> sorted;
    std::map<QDateTime, std::pair<long double, qint64>> hours;
    for (int i = 0; i < count; ++i) {
        if (marked[size_t(i)])
            continue;
        const int l = levels[size_t(i)];
        const long double energy = std::pow(10.0L, l / 100.0L);
        all += energy, ++counted;
        if (l > lmax)
            lmax = l, lmaxTime = times[size_t(i)].toString("yyyy/MM/dd HH:mm:ss");
        lmin = std::min(lmin, l);
        sorted.push_back(l);
        const int hour = times[size_t(i)].time().hour();
        const int part = hour >= 7 && hour < 19 ? 0 : hour >= 19 && hour < 23 ? 1 : 2;
        parts[part] += energy, ++partCounts[part];
        QDateTime start = times[size_t(i)];
        start.setTime(QTime(hour, 0));
        hours[start].first += energy, ++hours[start].second;
    }
    std::sort(sorted.begin(), sorted.end());
    const long double leq = energyMean(all, counted);
    const long double ld = energyMean(parts[0], partCounts[0]);
    const long double le = energyMean(parts[1], partCounts[1]);
    const long double ln = energyMean(parts[2], partCounts[2]);
    const long double lden =
        10.0L * std::log10((12 * std::pow(10.0L, ld / 10) + 4 * std::pow(10.0L, (le + 5) / 10) +
                            8 * std::pow(10.0L, (ln + 10) / 10)) /
                           24);
    const qint64 days = first.date().daysTo(times.back().date()) + 1;
    auto coverage = [days](qint64 n, int hours) {
        return std::round(double(n) / double(days * hours * 3600) * 1000.0) / 1000.0;
    };

    QJsonObject expected{{"file", path},
                         {"kind", "real-time"},
                         {"interval", 1},
                         {"records", count},
                         {"counted", counted},
                         {"paused", count - counted},
                         {"start", iso("2024/06/01 21:00:00")},
                         {"end", iso(times.back().toString("yyyy/MM/dd HH:mm:ss"))},
                         {"leq", truncatedTenth(leq)},
                         {"sel", truncatedTenth(leq + 10.0L * std::log10((long double)counted))},
                         {"lmax", lmax / 10.0},
                         {"lmax_time", iso(lmaxTime)},
                         {"lmin", lmin / 10.0},
                         {"gaps", 1},
                         {"gap_seconds", 600},
                         {"ld", truncatedTenth(ld)},
                         {"le", truncatedTenth(le)},
                         {"ln", truncatedTenth(ln)},
                         {"lden", truncatedTenth(lden)},
                         {"coverage_day", coverage(partCounts[0], 12)},
                         {"coverage_evening", coverage(partCounts[1], 4)},
                         {"coverage_night", coverage(partCounts[2], 8)},
                         {"empty", 0},
                         {"complete", true},
                         {"unread_lines", 0},
                         {"unreadable", 0},
                         {"masks_ignored", false}};
    QJsonArray exceedance;
    for (int j = 0; j < 100; ++j) {
        const qint64 k = counted * (199 - 2 * j) / 200; // floor(N (99.5 - j) / 100)
        exceedance.append(sorted[size_t(k)] / 10.0);
    }
    for (const auto& [key, j] :
         {std::pair{"l05", 5}, {"l10", 10}, {"l50", 50}, {"l90", 90}, {"l95", 95}})
        expected[key] = exceedance[j];
    QJsonArray periods;
    for (const auto& [start, sum] : hours)
        periods.append(QJsonObject{{"start", iso(start.toString("yyyy/MM/dd HH:mm:ss"))},
                                   {"records", sum.second},
                                   {"leq", truncatedTenth(energyMean(sum.first, sum.second))}});

    const Run run = runReport({"--format", "json", "--period", "60", path});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    const QJsonArray array = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(array.size(), 1);
    QJsonObject actual = array[0].toObject();
    QCOMPARE(actual.take("exceedance").toArray(), exceedance);
    const QJsonArray actualPeriods = actual.take("periods").toArray();
    QCOMPARE(actualPeriods.size(), periods.size());
    for (qsizetype i = 0; i < periods.size(); ++i) {
        const QJsonObject p = actualPeriods[i].toObject();
        QCOMPARE((QJsonObject{{"start", p["start"]}, {"records", p["records"]}, {"leq", p["leq"]}}),
                 periods[i].toObject());
    }
    QCOMPARE(actual.take("lex8h").toDouble(),
             truncatedTenth(leq + 10.0L * std::log10(counted / 28800.0L)));
    for (const char* key : {"dose_osha", "dose_niosh", "masked_spans"})
        QVERIFY(actual.take(key).isDouble());
    // The evidence of a file without a details sidecar: its hash, no details, a check missing.
    QCOMPARE(actual.take("sha256").toString().size(), 64);
    QVERIFY(actual.take("details").isNull());
    QVERIFY(actual.take("calibration").toObject()["valid"].isNull());
    QCOMPARE(actual.take("notes").toArray(), QJsonArray());
    QCOMPARE(actual.keys(), expected.keys());
    for (const QString& key : expected.keys())
        QVERIFY2(actual[key] == expected[key],
                 qPrintable(key + ": " + actual[key].toVariant().toString() + " against " +
                            expected[key].toVariant().toString()));
}

void TestReportCli::reportPageShowsTheKeyValues()
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString logger = m_dir.filePath("logger.kirv");
    writeFile(logger,
              dataFileBytes({"Data Logger", "2", "C", "SLOW", "30-90", "71.2", "68.0", "60.3",
                             "52.1", "50.9", "75.4*", "2010/11/23 14:05:08", "97.7", "63.0"},
                            {{"2010/11/23 14:05:06", "61.0"},
                             {"2010/11/23 14:05:08", "75.4*"},
                             {"2010/11/23 14:05:10", "59.0"}}));
    const QString pdf = m_dir.filePath("report.pdf");
    const Run run = runReport({"--pdf", pdf, "-o", m_dir.filePath("ignored.txt"), m_good, logger});
    QCOMPARE(run.exitCode, 0);

    QProcess text;
    text.start(pdftotext, {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split('\f');
    QCOMPARE(pages.size(), 3); // two pages and the rest after the last form feed
    // The fonts join "fi" and "fl" into one glyph, which pdftotext gives back as one character.
    auto normal = [](QString page) {
        return page.replace(QChar(0xfb01), "fi").replace(QChar(0xfb02), "fl").simplified();
    };
    const QString first = normal(pages[0]);
    for (const char* value : {"good.kirv real-time file",
                              "Stored in the file",
                              "Computed from the records",
                              "Frequency weighting A",
                              "Range 80-140",
                              "Maximum time 2009/03/04 08:00:02",
                              "Records 2",
                              "Counted 2",
                              "Paused 0",
                              "Leq 88.5 dB",
                              "SEL 91.5 dB",
                              "Lmax 89.1 dB",
                              "Lmax time 2009/03/04 08:00:02",
                              "Lmin 88.0 dB",
                              "L50 88.0 dB",
                              "Ld (07-19) 88.5 dB", // as Leq: one rounding rule
                              "Lden -",
                              "Level against record (hatched: paused)",
                              "Distribution, 0.1 dB classes",
                              "Leq per period",
                              "Exceedance levels L(0)..L(99)",
                              "L(00) 89.1 89.1 89.1 89.1 89.1 89.1 89.1 89.1 89.1 89.1",
                              "L(90) 88.0 88.0 88.0 88.0 88.0 88.0 88.0 88.0 88.0 88.0"})
        QVERIFY2(first.contains(QLatin1String(value)), value);
    const QString second = normal(pages[1]);
    for (const char* value : {"logger.kirv logger file", "L05 71.2", "Interval 2", "Paused 1",
                              "SEL 66.1 dB", "Lmax 61.0 dB"})
        QVERIFY2(second.contains(QLatin1String(value)), value);
}

namespace {
int pdfPageCount(const QByteArray& pdf)
{
    return int(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}
} // namespace

// Two runs on one PDF at once: the file is the whole PDF of one of them, nothing is left beside it.
void TestReportCli::pdfOfTwoRunsIsWholeOfOne()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("same.pdf");
    const QStringList many(12, m_good);
    QProcess first;
    QProcess second;
    first.start(QStringLiteral(KIRV_REPORT), QStringList{"--pdf", pdf, "-o", dir.filePath("a.txt")} + many);
    second.start(QStringLiteral(KIRV_REPORT), {"--pdf", pdf, "-o", dir.filePath("b.txt"), m_good});
    QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.trimmed().endsWith("%%EOF"));
    const int pages = pdfPageCount(bytes);
    QVERIFY2(pages == 1 || pages == 12, qPrintable(QString::number(pages)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"a.txt", "b.txt", "same.pdf"}));
}

// A disk that is full: exit 1 with the reason, an older PDF left as it was, nothing beside it.
void TestReportCli::pdfOnAFullDisk()
{
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    const kirv::test::SmallDisk small(disk);
    if (!small.mounted())
        QSKIP(kirv::test::SmallDisk::CannotMount);
    const QString pdf = disk + "/month.pdf";
    writeFile(pdf, "old report");
    QVERIFY(small.fill());
    const Run run = runReport({"--pdf", pdf, "-o", dir.filePath("out.txt"), m_good});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err).section('\n', -2), // after the platform's notes, if any
             QStringLiteral("kirv-report: Cannot write %1: No space left on device\n").arg(pdf));
    QFile old(pdf);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old report"));
    QCOMPARE(QDir(disk).entryList(QDir::Files), (QStringList{"filler", "month.pdf"}));
}

QTEST_GUILESS_MAIN(TestReportCli)
#include "test_report_cli.moc"
