// Runs with TZ=Europe/Berlin: summer time starts 2026-03-29 02:00 and ends 2026-10-25 03:00.
#include "kirv/records/iso_time.h"
#include "kirv/records/report_values.h"

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
};

QTEST_GUILESS_MAIN(TestIsoTime)
#include "tst_iso_time.moc"
