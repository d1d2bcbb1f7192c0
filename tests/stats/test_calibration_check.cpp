// The calibrator check: drift = after - before, valid within the tolerance. Readings typed as
// decimals do not subtract exactly, so the edges are tried where binary fractions bite.
#include "kirv/stats/calibration_check.h"

#include <QTest>

using namespace kirv;

using Reading = std::optional<double>;

class TestCalibrationCheck : public QObject
{
    Q_OBJECT

private slots:
    void verdict_data()
    {
        QTest::addColumn<Reading>("before");
        QTest::addColumn<Reading>("after");
        QTest::addColumn<Reading>("tolerance");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<Reading>("drift");
        const Reading none;
        QTest::newRow("no drift") << Reading(94.0) << Reading(94.0) << none << int(CalibrationCheck::Valid) << Reading(0.0);
        QTest::newRow("at the tolerance, up") << Reading(93.8) << Reading(94.3) << none << int(CalibrationCheck::Valid) << Reading(0.5);
        QTest::newRow("at the tolerance, down") << Reading(94.3) << Reading(93.8) << none << int(CalibrationCheck::Valid) << Reading(-0.5);
        QTest::newRow("at the tolerance, 0.1 steps") << Reading(113.6) << Reading(114.1) << none << int(CalibrationCheck::Valid) << Reading(0.5);
        QTest::newRow("just under") << Reading(94.0) << Reading(94.49) << none << int(CalibrationCheck::Valid) << Reading(0.49);
        QTest::newRow("just over") << Reading(94.0) << Reading(94.51) << none << int(CalibrationCheck::Failed) << Reading(0.51);
        QTest::newRow("a tenth over") << Reading(93.8) << Reading(94.4) << none << int(CalibrationCheck::Failed) << Reading(0.6);
        QTest::newRow("just over, down") << Reading(94.0) << Reading(93.49) << none << int(CalibrationCheck::Failed) << Reading(-0.51);
        QTest::newRow("own tolerance, at") << Reading(94.0) << Reading(94.3) << Reading(0.3) << int(CalibrationCheck::Valid) << Reading(0.3);
        QTest::newRow("own tolerance, over") << Reading(94.0) << Reading(94.4) << Reading(0.3) << int(CalibrationCheck::Failed) << Reading(0.4);
        QTest::newRow("negative tolerance is the default") << Reading(94.0) << Reading(94.5) << Reading(-1.0) << int(CalibrationCheck::Valid) << Reading(0.5);
        QTest::newRow("no reading after") << Reading(94.0) << none << none << int(CalibrationCheck::Missing) << none;
        QTest::newRow("no reading before") << none << Reading(94.0) << none << int(CalibrationCheck::Missing) << none;
        QTest::newRow("no readings") << none << none << none << int(CalibrationCheck::Missing) << none;
    }
    void verdict()
    {
        QFETCH(Reading, before);
        QFETCH(Reading, after);
        QFETCH(Reading, tolerance);
        QFETCH(int, verdict);
        QFETCH(Reading, drift);
        SessionDetails details;
        if (before)
            details.calibrationBefore = CalibrationReading{*before, std::nullopt};
        if (after)
            details.calibrationAfter = CalibrationReading{*after, 1000};
        details.toleranceDb = tolerance;
        const CalibrationCheck check = checkCalibration(details);
        QCOMPARE(int(check.verdict), verdict);
        QCOMPARE(check.driftDb.has_value(), drift.has_value());
        if (drift)
            QVERIFY(std::abs(*check.driftDb - *drift) < 1e-9);
        QCOMPARE(check.toleranceDb, tolerance && *tolerance >= 0 ? *tolerance : 0.5);
        QCOMPARE(check.after, details.calibrationAfter);
    }
};

QTEST_GUILESS_MAIN(TestCalibrationCheck)
#include "test_calibration_check.moc"
