#include "tests/report/report_fixture.h"

#include "kirv/output/report_format.h"
#include "kirv/stats/report_values.h"
#include "kirv/base/civil_time.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kirv;

using Records = QList<QPair<QString, QString>>;
using Level = std::optional<double>;
Q_DECLARE_METATYPE(Records)
Q_DECLARE_METATYPE(Level)
Q_DECLARE_METATYPE(QList<PeriodLevel>)

namespace {

const Level none = std::nullopt;

// The expected values of one hand-worked list.
struct Expected
{
    qint64 counted, paused;
    Level leq, sel, lmax;
    QString lmaxTime;
    Level lmin;
    qint64 gaps;
    double gapSeconds;
    Level ld, le, ln, lden;
    double coverageDay, coverageEvening, coverageNight;
};

} // namespace

Q_DECLARE_METATYPE(Expected)

class TestReportValues : public QObject
{
    Q_OBJECT

private slots:
    void handWorkedLists_data();
    void handWorkedLists();
    void exceedanceOfTheCountedRecords();
    void emptyLevelsAndOneRounding_data();
    void emptyLevelsAndOneRounding();
    void periodsAreClockAligned_data();
    void periodsAreClockAligned();
    void intervalFromTheHeader_data();
    void intervalFromTheHeader();
    void timeTexts_data();
    void timeTexts();
    void jsonParsesBackWithExactlyTheKeys();
    void csvParsesBack();
    void textForm();
};

void TestReportValues::handWorkedLists_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<Records>("records");
    QTest::addColumn<Expected>("expected");

    // 60 dB for 3 s: SEL = 60 + 10 log10(3) = 64.77.
    QTest::newRow("steady level") << 1
                                  << Records{{"2024/06/01 08:00:00", "60.0"},
                                             {"2024/06/01 08:00:01", "60.0"},
                                             {"2024/06/01 08:00:02", "60.0"}}
                                  << Expected{3,    0,   60.0, 64.7, 60.0, "2024/06/01 08:00:00",
                                              60.0, 0,   0,    60.0, none, none,
                                              none, 0.0, 0.0,  0.0};
    // Energy mean of 60 and 70 dB is 67.40; SEL adds 10 log10(2) = 3.01.
    QTest::newRow("two levels") << 1
                                << Records{{"2024/06/01 08:00:00", "60.0"},
                                           {"2024/06/01 08:00:01", "70.0"}}
                                << Expected{2,    0,   67.4, 70.4, 70.0, "2024/06/01 08:00:01",
                                            60.0, 0,   0,    67.4, none, none,
                                            none, 0.0, 0.0,  0.0};
    // The first of equal maxima keeps its time.
    QTest::newRow("first maximum")
        << 1
        << Records{{"2024/06/01 08:00:00", "70.0"},
                   {"2024/06/01 08:00:01", "60.0"},
                   {"2024/06/01 08:00:02", "70.0"}}
        << Expected{3,    0,    68.4, 73.2, 70.0, "2024/06/01 08:00:00", 60.0, 0, 0, 68.4, none,
                    none, none, 0.0,  0.0,  0.0};
    // A marked record is paused: not in the levels, the maximum or the counts.
    QTest::newRow("marked records")
        << 1
        << Records{{"2024/06/01 08:00:00", "60.0"},
                   {"2024/06/01 08:00:01", "93.4*"},
                   {"2024/06/01 08:00:02", "60.0"}}
        << Expected{2,    1,    60.0, 63.0, 60.0, "2024/06/01 08:00:00", 60.0, 0, 0, 60.0, none,
                    none, none, 0.0,  0.0,  0.0};
    QTest::newRow("all marked") << 1 << Records{{"2024/06/01 08:00:00", "60.0*"}}
                                << Expected{0, 1,    none, none, none, "",  none, 0,
                                            0, none, none, none, none, 0.0, 0.0,  0.0};
    // T = 2: steps of 8 s is a gap of 6 s, a step of 3 s (not more than 1.5 T) is none.
    // SEL = 60 + 10 log10(5 x 2) = 70.0.
    QTest::newRow("a gap") << 2
                           << Records{{"2024/06/01 08:00:00", "60.0"},
                                      {"2024/06/01 08:00:02", "60.0"},
                                      {"2024/06/01 08:00:10", "60.0"},
                                      {"2024/06/01 08:00:12", "60.0"},
                                      {"2024/06/01 08:00:15", "60.0"}}
                           << Expected{5,    0,   60.0, 70.0, 60.0, "2024/06/01 08:00:00",
                                       60.0, 1,   6.0,  60.0, none, none,
                                       none, 0.0, 0.0,  0.0};
    // Hourly records over midnight: day 70, evening 60, night 50 twice. Leq of the energies
    // (1e7 + 1e6 + 2e5) / 4 is 64.47, SEL adds 10 log10(4 x 3600) = 41.58. Lden =
    // 10 log10((12e7 + 4e6.5 + 8e6) / 24) = 67.68, truncated as every level. Two calendar days: coverage 1 h / 24 h of
    // day, 1 h / 8 h of evening, 2 h / 16 h of night. The steps of 2 h and 3.5 h are gaps of
    // 1 h and 2.5 h.
    QTest::newRow("midnight, all three parts")
        << 3600
        << Records{{"2024/06/01 18:00:00", "70.0"},
                   {"2024/06/01 20:00:00", "60.0"},
                   {"2024/06/01 23:30:00", "50.0"},
                   {"2024/06/02 00:30:00", "50.0"}}
        << Expected{4,    0,     64.4,    106.0, 70.0, "2024/06/01 18:00:00",
                    50.0, 2,     12600.0, 70.0,  60.0, 50.0,
                    67.6, 0.042, 0.125,   0.125};
    // 07:00 starts the day, 19:00 the evening, 23:00 and 06:59:59 are night.
    QTest::newRow("part boundaries")
        << 1 << Records{{"2024/06/01 06:59:59", "50.0"}, {"2024/06/01 07:00:00", "70.0"},
                        {"2024/06/01 18:59:59", "70.0"}, {"2024/06/01 19:00:00", "60.0"},
                        {"2024/06/01 22:59:59", "60.0"}, {"2024/06/01 23:00:00", "50.0"}}
        << Expected{6,    0,   65.6,    73.4, 70.0, "2024/06/01 07:00:00",
                    50.0, 2,   57596.0, 70.0, 60.0, 50.0,
                    67.6, 0.0, 0.0,     0.0};
    // Day and evening only: no Ln, so no Lden, and no night coverage.
    QTest::newRow("no night records")
        << 3600
        << Records{{"2024/06/01 17:00:00", "70.0"},
                   {"2024/06/01 18:00:00", "70.0"},
                   {"2024/06/01 19:00:00", "60.0"}}
        << Expected{3,    0,    68.4,  108.7, 70.0, "2024/06/01 17:00:00", 60.0, 0, 0, 70.0, 60.0,
                    none, none, 0.167, 0.25,  0.0};
    // A record whose time is no time still counts in the levels, not in the parts of the day.
    QTest::newRow("unreadable time")
        << 1 << Records{{"yesterday", "60.0"}, {"2024/06/01 08:00:00", "70.0"}}
        << Expected{2,    0,    67.4, 70.4, 70.0, "2024/06/01 08:00:00", 60.0, 0, 0, 70.0, none,
                    none, none, 0.0,  0.0,  0.0};
    // Level texts as the distribution reads them: "-" is 25.0, "L" and 145 and more 145.0.
    QTest::newRow("level texts") << 1
                                 << Records{{"2024/06/01 08:00:00", "--.-"},
                                            {"2024/06/01 08:00:01", "L"},
                                            {"2024/06/01 08:00:02", "150.3"},
                                            {"2024/06/01 08:00:03", " 60.04"}}
                                 << Expected{4,    0,   141.9, 148.0, 145.0, "2024/06/01 08:00:01",
                                             25.0, 0,   0,     141.9, none,  none,
                                             none, 0.0, 0.0,   0.0};
}

void TestReportValues::handWorkedLists()
{
    QFETCH(int, interval);
    QFETCH(Records, records);
    QFETCH(Expected, expected);
    const DataFileContent content = parseDataFile(dataFileBytes(realTimeHeader(interval), records));
    const ReportValues v = computeReport("a.kirv", content);

    QCOMPARE(v.interval, double(interval));
    QCOMPARE(v.records, records.size());
    QCOMPARE(v.counted, expected.counted);
    QCOMPARE(v.paused, expected.paused);
    QCOMPARE(v.start, records.first().first);
    QCOMPARE(v.end, records.last().first);
    QCOMPARE(v.leq, expected.leq);
    QCOMPARE(v.sel, expected.sel);
    QCOMPARE(v.lmax, expected.lmax);
    QCOMPARE(v.lmaxTime, expected.lmaxTime);
    QCOMPARE(v.lmin, expected.lmin);
    QCOMPARE(v.gaps, expected.gaps);
    QCOMPARE(v.gapSeconds, expected.gapSeconds);
    QCOMPARE(v.ld, expected.ld);
    QCOMPARE(v.le, expected.le);
    QCOMPARE(v.ln, expected.ln);
    QCOMPARE(v.lden, expected.lden);
    QCOMPARE(v.coverageDay, expected.coverageDay);
    QCOMPARE(v.coverageEvening, expected.coverageEvening);
    QCOMPARE(v.coverageNight, expected.coverageNight);
}

void TestReportValues::exceedanceOfTheCountedRecords()
{
    // 60, 60, 70, 80 and a marked 93.4: L(0)..L(24) = 80, L(25)..L(49) = 70, the rest 60.
    const Records records{{"2024/06/01 08:00:00", "60.0"},
                          {"2024/06/01 08:00:01", "60.0"},
                          {"2024/06/01 08:00:02", "93.4*"},
                          {"2024/06/01 08:00:03", "70.0"},
                          {"2024/06/01 08:00:04", "80.0"}};
    const ReportValues v = computeReport("a.kirv", parseDataFile(dataFileBytes({}, records)));
    for (int j = 0; j < ExceedanceEntries; ++j)
        QCOMPARE(v.exceedanceAt(j), Level(j < 25 ? 80.0 : j < 50 ? 70.0 : 60.0));
    const QJsonObject json = QJsonDocument::fromJson(reportJson({v})).array()[0].toObject();
    QCOMPARE(json["l05"].toDouble(), 80.0);
    QCOMPARE(json["l10"].toDouble(), 80.0);
    QCOMPARE(json["l50"].toDouble(), 60.0);
    QCOMPARE(json["l90"].toDouble(), 60.0);
    QCOMPARE(json["l95"].toDouble(), 60.0);
    QCOMPARE(json["exceedance"].toArray()[49].toDouble(), 70.0);
}

void TestReportValues::emptyLevelsAndOneRounding_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<Records>("records");
    QTest::addColumn<qint64>("empty");
    QTest::addColumn<qint64>("unreadable");
    QTest::addColumn<Level>("lmin"); // and L(99)
    QTest::addColumn<Level>("leq");  // and Ld: every record lies in the day
    QTest::addColumn<Level>("sel");
    QTest::newRow("a last logger record without a level")
        << QStringList{"Data Logger", "2"} + QStringList(12, "x")
        << Records{{"2024/06/01 08:00:00", "60.0"}, {"2024/06/01 08:00:02", "70.0"},
                   {"2024/06/01 08:00:04", ""}}
        << qint64(1) << qint64(0) << Level(60.0) << Level(67.4) << Level(73.4);
    // Leq 74.754: truncated 74.7, where rounding would give 74.8.
    QTest::newRow("Ld truncated as Leq") << realTimeHeader(1)
        << Records{{"2024/06/01 08:00:00", "73.0"}, {"2024/06/01 08:00:01", "76.0"}}
        << qint64(0) << qint64(0) << Level(73.0) << Level(74.7) << Level(77.7);
    QTest::newRow("only empty levels: no level at all") << QStringList{}
        << Records{{"2024/06/01 08:00:00", " "}, {"2024/06/01 08:00:01", ""}}
        << qint64(2) << qint64(0) << none << none << none;
    // None of them is 0.0 dB: they enter no value, and the report says how many there were.
    QTest::newRow("levels that are no number") << realTimeHeader(1)
        << Records{{"2024/06/01 08:00:00", "nan"}, {"2024/06/01 08:00:01", "inf"},
                   {"2024/06/01 08:00:02", "1e309"}, {"2024/06/01 08:00:03", "70" + QString(QChar(0)) + ".0"},
                   {"2024/06/01 08:00:04", "abc"}, {"2024/06/01 08:00:05", "60.0"},
                   {"2024/06/01 08:00:06", " 6e1 "}, {"2024/06/01 08:00:07", QChar(0xFEFF) + QString("1e1")}}
        << qint64(0) << qint64(6) << Level(60.0) << Level(60.0) << Level(63.0);
}

void TestReportValues::emptyLevelsAndOneRounding()
{
    QFETCH(QStringList, header);
    QFETCH(Records, records);
    QFETCH(qint64, empty);
    QFETCH(qint64, unreadable);
    QFETCH(Level, lmin);
    QFETCH(Level, leq);
    QFETCH(Level, sel);
    const DataFileSeries series = parseDataFileSeries(dataFileBytes(header, records));
    const ReportValues v = computeReport("a.kirv", series);
    QCOMPARE(v.empty, empty);
    QCOMPARE(v.unreadable, unreadable);
    QCOMPARE(v.counted, records.size() - empty - unreadable);
    const QStringList warnings = reportWarnings("a.kirv", series);
    QCOMPARE(warnings.filter("no number"),
             unreadable == 0 ? QStringList()
                             : QStringList{QStringLiteral("a.kirv: %1 of the levels are no number (such as "
                                                          "\"nan\" or \"1e309\"); they enter no value")
                                               .arg(unreadable)});
    QCOMPARE(v.lmin, lmin);
    QCOMPARE(v.exceedanceAt(99), lmin);
    QCOMPARE(v.leq, leq);
    QCOMPARE(v.ld, leq);
    QCOMPARE(v.sel, sel);
    const QJsonObject json = QJsonDocument::fromJson(reportJson({v})).array()[0].toObject();
    QCOMPARE(json["empty"].toInteger(), empty);
    QCOMPARE(json["unreadable"].toInteger(), unreadable);
}

void TestReportValues::periodsAreClockAligned_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QList<PeriodLevel>>("periods");
    // 08:14:59 closes the 08:00 period, 08:15:00 opens the next; 08:40 is alone in 08:30;
    // 00:05 of the next day starts a period at midnight. June in Berlin: every start is in
    // summer time, two hours ahead of UTC.
    QTest::newRow("15") << 15
                        << QList<PeriodLevel>{{"2024/06/01 08:00:00", 2, 67.4, 7200},
                                              {"2024/06/01 08:15:00", 1, 80.0, 7200},
                                              {"2024/06/01 08:30:00", 1, 50.0, 7200},
                                              {"2024/06/02 00:00:00", 1, 40.0, 7200}};
    QTest::newRow("60") << 60
                        << QList<PeriodLevel>{{"2024/06/01 08:00:00", 4, 74.4, 7200},
                                              {"2024/06/02 00:00:00", 1, 40.0, 7200}};
    QTest::newRow("a day") << 1440
                           << QList<PeriodLevel>{{"2024/06/01 00:00:00", 4, 74.4, 7200},
                                                 {"2024/06/02 00:00:00", 1, 40.0, 7200}};
}

void TestReportValues::periodsAreClockAligned()
{
    QFETCH(int, minutes);
    QFETCH(QList<PeriodLevel>, periods);
    const Records records{{"2024/06/01 08:03:00", "60.0"}, {"2024/06/01 08:14:59", "70.0"},
                          {"2024/06/01 08:15:00", "80.0"}, {"2024/06/01 08:20:00", "99.0*"},
                          {"2024/06/01 08:40:00", "50.0"}, {"2024/06/02 00:05:00", "40.0"}};
    const ReportValues v =
        computeReport("a.kirv", parseDataFile(dataFileBytes({}, records)), minutes);
    QCOMPARE(v.periods, periods);
}

void TestReportValues::intervalFromTheHeader_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<double>("interval");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("rejected"); // the interval text a warning names
    QTest::newRow("real-time") << realTimeHeader(5) << 5.0 << "real-time" << QString();
    QTest::newRow("logger, blanks") << QStringList{"Data Logger", " 60 "} << 60.0 << "logger"
                                    << QString();
    QTest::newRow("a day") << QStringList{"Real Time", "86400"} << 86400.0 << "real-time"
                           << QString();
    QTest::newRow("plain list") << QStringList{} << 1.0 << "plain" << QString();
    QTest::newRow("zero") << QStringList{"Real Time", "0"} << 1.0 << "real-time" << "0";
    QTest::newRow("text") << QStringList{"Real Time", "x"} << 1.0 << "real-time" << "x";
    QTest::newRow("1e-300") << QStringList{"Real Time", "1e-300"} << 1.0 << "real-time"
                            << "1e-300";
    QTest::newRow("a fraction") << QStringList{"Real Time", "2.5"} << 1.0 << "real-time" << "2.5";
    QTest::newRow("beyond a day") << QStringList{"Data Logger", "86401"} << 1.0 << "logger"
                                  << "86401";
}

void TestReportValues::intervalFromTheHeader()
{
    QFETCH(QStringList, header);
    QFETCH(double, interval);
    QFETCH(QString, kind);
    const ReportValues v = computeReport(
        "a.kirv", parseDataFile(dataFileBytes(header, {{"2024/06/01 08:00:00", "60.0"}})));
    QFETCH(QString, rejected);
    QCOMPARE(v.interval, interval);
    QCOMPARE(reportKindText(v.kind), kind);
    const QStringList warnings =
        reportWarnings("a.kirv", parseDataFile(dataFileBytes(header, {{"2024/06/01 08:00:00", "60.0"}})));
    QCOMPARE(warnings, rejected.isNull() ? QStringList()
                                         : QStringList{"a.kirv: the sampling interval \"" + rejected +
                                                       "\" is not a whole number of seconds "
                                                       "from 1 to 86400; 1 s is taken"});
}

void TestReportValues::timeTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "2024/06/01 08:00:00" << true;
    QTest::newRow("other separators") << "2024-06-01T08:00:00" << true;
    QTest::newRow("leap day") << "2024/02/29 23:59:59" << true;
    QTest::newRow("epoch") << "1970/01/01 00:00:00" << true;
    QTest::newRow("before epoch") << "1969/12/31 23:00:00" << true;
    QTest::newRow("hour 24") << "2024/06/01 24:00:00" << false;
    QTest::newRow("month 13") << "2024/13/01 08:00:00" << false;
    QTest::newRow("february 30") << "2026/02/30 08:00:00" << false;
    QTest::newRow("february 29 of a common year") << "2026/02/29 08:00:00" << false;
    QTest::newRow("april 31") << "2026/04/31 08:00:00" << false;
    QTest::newRow("december 31") << "2026/12/31 23:59:59" << true;
    QTest::newRow("short") << "2024/06/01 8:00:00" << false;
    QTest::newRow("digit as separator") << "2024106/01 08:00:00" << false;
    QTest::newRow("empty") << "" << false;
}

void TestReportValues::timeTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const std::optional<qint64> seconds = civilSeconds(text.toLatin1());
    QCOMPARE(seconds.has_value(), valid);
    if (!valid)
        return;
    QString normal = text;
    for (const int at : {4, 7})
        normal[at] = '/';
    normal[10] = ' ';
    QCOMPARE(civilTimeText(*seconds), normal);
    // The independent reckoning of Qt's calendar, in UTC so no zone shifts it.
    const QDateTime qt = QDateTime::fromString(normal, "yyyy/MM/dd HH:mm:ss");
    QCOMPARE(*seconds, QDateTime(qt.date(), qt.time(), Qt::UTC).toSecsSinceEpoch());
}

namespace {

// A file with a comma and a quote in its name, one value missing of each kind.
QList<ReportValues> twoReports()
{
    const Records records{{"2024/06/01 22:00:00", "60.0"},
                          {"2024/06/01 22:00:01", "61.0*"},
                          {"2024/06/01 23:00:00", "50.0"}};
    return {computeReport("one.kirv", parseDataFile(dataFileBytes(realTimeHeader(1), records))),
            computeReport("a, \"b\".kirv", parseDataFile(dataFileBytes({}, {})))};
}

const QStringList scalarKeys{"file",
                             "kind",
                             "interval",
                             "records",
                             "counted",
                             "paused",
                             "start",
                             "end",
                             "leq",
                             "sel",
                             "lmax",
                             "lmax_time",
                             "lmin",
                             "l05",
                             "l10",
                             "l50",
                             "l90",
                             "l95",
                             "gaps",
                             "gap_seconds",
                             "ld",
                             "le",
                             "ln",
                             "lden",
                             "coverage_day",
                             "coverage_evening",
                             "coverage_night",
                             "empty",
                             "complete",
                             "unread_lines",
                             "lex8h",
                             "dose_osha",
                             "dose_niosh",
                             "unreadable",
                             "masks_ignored"};

// Splits CSV rows (CRLF) into fields, with quoted fields.
QList<QStringList> splitCsv(const QByteArray& csv)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    const QString text = QString::fromUtf8(csv);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << field, field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << field, field.clear();
            rows << row, row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

void TestReportValues::jsonParsesBackWithExactlyTheKeys()
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reportJson(twoReports()), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray array = document.array();
    QCOMPARE(array.size(), 2);
    QStringList keys = scalarKeys;
    keys << "exceedance"
         << "periods";
    keys.sort();
    for (const QJsonValue& item : array)
        QCOMPARE(item.toObject().keys(), keys); // QJsonObject sorts its keys

    const QJsonObject one = array[0].toObject();
    QCOMPARE(one["file"].toString(), "one.kirv");
    QCOMPARE(one["kind"].toString(), "real-time");
    QCOMPARE(one["interval"].toDouble(), 1.0);
    QCOMPARE(one["records"].toInteger(), 3);
    QCOMPARE(one["counted"].toInteger(), 2);
    QCOMPARE(one["paused"].toInteger(), 1);
    QCOMPARE(one["start"].toString(), "2024-06-01T22:00:00+02:00");
    QCOMPARE(one["leq"].toDouble(), 57.4);
    QCOMPARE(one["lmax_time"].toString(), "2024-06-01T22:00:00+02:00");
    QCOMPARE(one["exceedance"].toArray().size(), 100);
    QCOMPARE(one["gaps"].toInteger(), 1);
    QCOMPARE(one["gap_seconds"].toDouble(), 3598.0);
    QCOMPARE(one["le"].toDouble(), 60.0);
    QCOMPARE(one["ln"].toDouble(), 50.0);
    QVERIFY(one["ld"].isNull());
    QVERIFY(one["lden"].isNull());
    QCOMPARE(one["coverage_night"].toDouble(), 0.0);
    const QJsonArray periods = one["periods"].toArray();
    QCOMPARE(periods.size(), 2);
    QCOMPARE(periods[1].toObject(),
             QJsonObject({{"start", "2024-06-01T23:00:00+02:00"}, {"records", 1}, {"leq", 50.0}}));

    const QJsonObject empty = array[1].toObject();
    QCOMPARE(empty["file"].toString(), "a, \"b\".kirv");
    QCOMPARE(empty["kind"].toString(), "plain");
    for (const char* key : {"start", "end", "leq", "sel", "lmax", "lmax_time", "lmin", "l50"})
        QVERIFY2(empty[key].isNull(), key);
    QCOMPARE(empty["periods"].toArray().size(), 0);
}

void TestReportValues::csvParsesBack()
{
    const QList<QStringList> rows = splitCsv(reportCsv(twoReports()));
    QCOMPARE(rows.size(), 3);
    // The evidence columns follow the scalars; a report made without a file leaves them empty.
    QCOMPARE(rows[0], scalarKeys + reportEvidenceKeys());
    QCOMPARE(reportScalarKeys(), scalarKeys);
    QCOMPARE(rows[1].mid(scalarKeys.size()).join(""), "0.5"); // only the default tolerance
    QCOMPARE(rows[1].mid(0, scalarKeys.size()), QStringList({"one.kirv",
                                   "real-time",
                                   "1",
                                   "3",
                                   "2",
                                   "1",
                                   "2024-06-01T22:00:00+02:00",
                                   "2024-06-01T23:00:00+02:00",
                                   "57.4",
                                   "60.4",
                                   "60.0",
                                   "2024-06-01T22:00:00+02:00",
                                   "50.0",
                                   "60.0",
                                   "60.0",
                                   "50.0",
                                   "50.0",
                                   "50.0",
                                   "1",
                                   "3598",
                                   "",
                                   "60.0",
                                   "50.0",
                                   "",
                                   "0.000",
                                   "0.000",
                                   "0.000",
                                   "0",
                                   "true",
                                   "0",
                                   "",
                                   "",
                                   "",
                                   "0",
                                   "false"}));
    QCOMPARE(rows[2].size(), rows[0].size());
    QCOMPARE(rows[2][0], "a, \"b\".kirv");
    QCOMPARE(rows[2][3], "0");
}

void TestReportValues::textForm()
{
    const QList<ReportValues> reports = twoReports();
    const QStringList lines = QString::fromUtf8(reportText(reports)).split('\n');
    QCOMPARE(lines[0], "file:             one.kirv");
    QVERIFY(lines.contains("leq:              57.4"));
    QVERIFY(lines.contains("period:           2024/06/01 23:00:00       1   50.0"));
    QVERIFY(lines.contains("ld:"));
    QVERIFY(lines.contains("file:             a, \"b\".kirv"));
    QVERIFY(lines.contains("L(00):              60.0  60.0  60.0  60.0  60.0  60.0  60.0  60.0  "
                           "60.0  60.0"));
    QVERIFY(lines.contains("L(50):              50.0  50.0  50.0  50.0  50.0  50.0  50.0  50.0  "
                           "50.0  50.0"));
    QCOMPARE(lines.count("L(00):"), 1); // the empty file has an empty table
}

QTEST_GUILESS_MAIN(TestReportValues)
#include "test_report_values.moc"
