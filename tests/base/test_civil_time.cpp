// Runs with TZ=Europe/Berlin: summer time starts 2026-03-29 02:00 and ends 2026-10-25 03:00.
#include "kirv/base/civil_time.h"
#include "kirv/stats/report_values.h"

#include <QTest>

using namespace kirv;

class TestIsoTime : public QObject
{
    Q_OBJECT

private slots:
    void acrossChanges_data()
    {
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("winter to summer") << QStringList{"2026/03/29 01:59:59", "2026/03/29 03:00:00"}
                                          << QStringList{"2026-03-29T01:59:59+01:00",
                                                         "2026-03-29T03:00:00+02:00"};
        QTest::newRow("skipped hour takes the offset before")
            << QStringList{"2026/03/29 02:30:00"} << QStringList{"2026-03-29T02:30:00+01:00"};
        QTest::newRow("the repeated hour twice")
            << QStringList{"2026/10/25 01:59:59", "2026/10/25 02:00:00", "2026/10/25 02:59:59",
                           "2026/10/25 02:00:00", "2026/10/25 02:59:59", "2026/10/25 03:00:00"}
            << QStringList{"2026-10-25T01:59:59+02:00", "2026-10-25T02:00:00+02:00",
                           "2026-10-25T02:59:59+02:00", "2026-10-25T02:00:00+01:00",
                           "2026-10-25T02:59:59+01:00", "2026-10-25T03:00:00+01:00"};
        // Read on the second pass, 02:30 would lie before 05:00: the clock was set back.
        QTest::newRow("a clock set back into the repeated hour")
            << QStringList{"2026/10/25 05:00:00", "2026/10/25 02:30:00"}
            << QStringList{"2026-10-25T05:00:00+01:00", "2026-10-25T02:30:00+02:00"};
        QTest::newRow("a later file in the repeated hour starts in summer time")
            << QStringList{"2026/10/25 02:10:00"} << QStringList{"2026-10-25T02:10:00+02:00"};
    }

    void acrossChanges()
    {
        QFETCH(QStringList, times);
        QFETCH(QStringList, expected);
        IsoTimeTexts texts;
        QStringList got;
        for (const QString& t : times)
            got << texts.text(*civilSeconds(t.toLatin1()));
        QCOMPARE(got, expected);
    }

    void localTextsRoundTrip()
    {
        const qint64 t = *civilSeconds("2026/03/04 08:30:05");
        QCOMPARE(isoLocalText(t), QStringLiteral("2026-03-04T08:30:05"));
        QCOMPARE(isoLocalSeconds("2026-03-04T08:30:05"), std::optional<qint64>(t));
        for (const char* bad : {"2026/03/04 08:30:05", "2026-03-04 08:30:05", "2026-13-04T08:30:05",
                                "2026-03-04T08:30:5", "2026-03-04T08:30:05Z"})
            QVERIFY2(!isoLocalSeconds(bad), bad);
    }

    // Hand-written sidecar times: an offset fixes the instant, read again in the local zone
    // (Berlin: +01:00 in March, +02:00 in July).
    void handWrittenTimes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("local"); // empty: no time
        QTest::newRow("local") << QByteArray("2026-03-04T08:30:05") << "2026/03/04 08:30:05";
        QTest::newRow("blank for T") << QByteArray("2026-03-04 08:30:05") << "2026/03/04 08:30:05";
        QTest::newRow("Z") << QByteArray("2026-03-04T07:30:05Z") << "2026/03/04 08:30:05";
        QTest::newRow("+02:00 in winter") << QByteArray("2026-03-04T09:30:05+02:00") << "2026/03/04 08:30:05";
        QTest::newRow("-0500") << QByteArray("2026-07-04 03:30:05-0500") << "2026/07/04 10:30:05";
        QTest::newRow("-01 across the new year") << QByteArray("2026-12-31T23:59:59-01") << "2027/01/01 01:59:59";
        QTest::newRow("offset hour 24") << QByteArray("2026-03-04T08:30:05+24:00") << "";
        QTest::newRow("offset without sign") << QByteArray("2026-03-04T08:30:05 02:00") << "";
        QTest::newRow("offset of one digit") << QByteArray("2026-03-04T08:30:05+2") << "";
        QTest::newRow("lower-case z") << QByteArray("2026-03-04T08:30:05z") << "";
        QTest::newRow("impossible day") << QByteArray("2026-02-29T08:30:05Z") << "";
    }

    void handWrittenTimes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, local);
        const std::optional<qint64> seconds = isoTimeSeconds(text);
        QCOMPARE(seconds ? civilTimeText(*seconds) : QString(), local);
    }
};

QTEST_GUILESS_MAIN(TestIsoTime)
#include "test_civil_time.moc"
