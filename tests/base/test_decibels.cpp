#include "kirv/base/decibels.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace kirv;

class TestLevelStats : public QObject
{
    Q_OBJECT

private slots:
    void tenthTextTruncates_data();
    void tenthTextTruncates();
    void steadyLevelKeepsItsLeq_data();
    void steadyLevelKeepsItsLeq();
    void steadyLevelOverTenDays();
    void leqAndSelOfTwoLevels();
    void recordingMaximumComparesItsText();
    void everyLevelWordKeepsLeqFinite_data();
    void everyLevelWordKeepsLeqFinite();
};

void TestLevelStats::tenthTextTruncates_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("88.58") << 88.58 << "88.5" << 88.5;
    QTest::newRow("140") << 140.0 << "140.0" << 140.0;
    QTest::newRow("0.42 no leading zero") << 0.42 << ".4" << 0.4;
    QTest::newRow("0.05") << 0.05 << ".0" << 0.0;
    QTest::newRow("zero") << 0.0 << ".0" << 0.0;
    QTest::newRow("just below a tenth") << 67.39999 << "67.3" << 67.3;
    QTest::newRow("noise below a tenth") << 93.4 - 1e-12 << "93.4" << 93.4;
    QTest::newRow("noise above a tenth") << 93.4 + 1e-12 << "93.4" << 93.4;
    QTest::newRow("negative toward zero") << -0.42 << "-.4" << -0.4;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "" << 0.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "" << 0.0;
}

void TestLevelStats::tenthTextTruncates()
{
    QFETCH(double, x);
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(tenthText(x), text);
    QCOMPARE(tenthValue(x), value);
}

void TestLevelStats::steadyLevelKeepsItsLeq_data()
{
    QTest::addColumn<int>("n");
    for (int n : {1, 2, 3, 10, 3600})
        QTest::addRow("n=%d", n) << n;
}

// Every level the meter can show, held steady, must come back as its own Leq.
void TestLevelStats::steadyLevelKeepsItsLeq()
{
    QFETCH(int, n);
    for (int tenths = 0; tenths <= 1400; ++tenths) {
        const double level = tenths / 10.0;
        RunningLevel run;
        for (int i = 0; i < n; ++i)
            run.add(level);
        const QString expected = tenthText(level);
        if (run.leqText() != expected)
            QFAIL(qPrintable(QStringLiteral("%1 dB x %2 gave Leq %3").arg(expected).arg(n).arg(run.leqText())));
        QCOMPARE(run.count(), qint64(n));
        // 10 log10(n) is a whole number of tenths only for n = 1 and 10.
        if (n == 1 || n == 10)
            QCOMPARE(run.selText(), tenthText(level + 10.0 * std::log10(double(n))));
    }
}

void TestLevelStats::steadyLevelOverTenDays()
{
    for (double level : {0.1, 55.5, 93.4, 140.0}) {
        RunningLevel run;
        for (int i = 0; i < 864000; ++i)
            run.add(level);
        QCOMPARE(run.leqText(), tenthText(level));
    }
}

void TestLevelStats::leqAndSelOfTwoLevels()
{
    RunningLevel run;
    run.add(60.0);
    run.add(70.0);
    QCOMPARE(run.leqText(), QStringLiteral("67.4"));
    QCOMPARE(run.selText(), QStringLiteral("70.4"));
    run.reset();
    QCOMPARE(run.count(), qint64(0));
    QCOMPARE(run.leqText(), QString()); // the Leq of nothing has no text
}

void TestLevelStats::recordingMaximumComparesItsText()
{
    LevelMaximum max{0.0, QStringLiteral("0"), {}};
    QVERIFY(max.offerByText(93.4, "93.4*", "t1"));
    // The kept text reads as 93.4: an equal level does not replace it, a higher one does.
    QVERIFY(!max.offerByText(93.4, "93.4", "t2"));
    QVERIFY(max.offerByText(93.5, "93.5", "t3"));
    QCOMPARE(max.text, QStringLiteral("93.5"));
    QCOMPARE(max.time, QStringLiteral("t3"));
}

void TestLevelStats::everyLevelWordKeepsLeqFinite_data()
{
    QTest::addColumn<QList<double>>("levels");
    QTest::addColumn<QString>("leq");
    QTest::addColumn<QString>("sel");
    // 3276.7 dB is the level word 0x7FFF of a corrupted frame.
    QTest::newRow("0x7FFF alone") << QList<double>{3276.7} << "3276.7" << "3276.7";
    QTest::newRow("0x7FFF among 60 dB") << QList<double>{60.0, 3276.7, 60.0} << "3271.9" << "3276.7";
    QTest::newRow("0x7FFF then quiet") << QList<double>{3276.7, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}
                                       << "3266.7" << "3276.7";
    QTest::newRow("rising levels rescale") << QList<double>{60.0, 70.0, 80.0} << "75.6" << "80.4";
}

// A level beyond what 10^(L/10) can hold in a double must not blank Leq and SEL.
void TestLevelStats::everyLevelWordKeepsLeqFinite()
{
    QFETCH(QList<double>, levels);
    RunningLevel run;
    for (double level : levels)
        run.add(level);
    QVERIFY(std::isfinite(run.leq()));
    QTEST(run.leqText(), "leq");
    QTEST(run.selText(), "sel");
}

QTEST_APPLESS_MAIN(TestLevelStats)
#include "test_decibels.moc"
