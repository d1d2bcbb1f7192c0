#include "kirv/records/delayed_start.h"

#include <QTest>

using namespace kirv;

class TestDelayedStart : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void firesOnceAcrossMidnight();
    void secondAnswerDisarms();
};

void TestDelayedStart::answers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("period"); // empty: invalid, asked again
    QTest::addColumn<int>("seconds");
    QTest::newRow("default") << "00:00:10" << "00:00:10" << 10;
    QTest::newRow("single digits") << "1:2:3" << "01:02:03" << 3723;
    QTest::newRow("modulo") << "25:61:70" << "01:01:10" << 3670;
    QTest::newRow("one colon") << "10:30" << "10:00:30" << 36030;
    QTest::newRow("two second digits only") << "0:0:1234" << "00:00:12" << 12;
    QTest::newRow("blanks") << " 2: 5: 7" << "02:05:07" << 7507;
    QTest::newRow("letters count 0") << "a:b:c" << "00:00:00" << 0;
    QTest::newRow("fraction") << "1.9:0:0" << "01:00:00" << 3600;
    QTest::newRow("no colon") << "10" << "" << 0;
    QTest::newRow("negative") << "-1:00:00" << "" << 0;
}

void TestDelayedStart::answers()
{
    QFETCH(QString, answer);
    QFETCH(QString, period);
    QFETCH(int, seconds);
    const std::optional<LaunchPeriod> parsed = parseLaunchPeriod(answer);
    QCOMPARE(parsed.has_value(), !period.isEmpty());
    if (parsed) {
        QCOMPARE(parsed->text(), period);
        QCOMPARE(parsed->totalSeconds(), seconds);
    }
}

void TestDelayedStart::firesOnceAcrossMidnight()
{
    const QDateTime armedAt(QDate(2024, 12, 31), QTime(23, 59, 50));
    DelayedStart start;
    QVERIFY(start.toggle(20, armedAt));
    QCOMPARE(start.LaunchDelay(), 20);
    QCOMPARE(start.LaunchStart(), 86390);
    QCOMPARE(start.fireTime(), QDateTime(QDate(2025, 1, 1), QTime(0, 0, 10)));
    QVERIFY(!start.due(armedAt.addSecs(9)));
    QVERIFY(!start.due(armedAt.addSecs(19)));
    QVERIFY(start.due(armedAt.addSecs(21))); // a late tick still fires
    QVERIFY(!start.armed());
    QVERIFY(!start.due(armedAt.addSecs(22)));
    QVERIFY(!start.fireTime().isValid());
    // Armed again, it fires again.
    QVERIFY(start.toggle(0, armedAt.addSecs(30)));
    QVERIFY(start.due(armedAt.addSecs(30)));
}

void TestDelayedStart::secondAnswerDisarms()
{
    const QDateTime t0(QDate(2024, 6, 1), QTime(12, 0, 0));
    DelayedStart start;
    QVERIFY(start.toggle(5, t0));
    QVERIFY(!start.toggle(5, t0.addSecs(1)));
    QVERIFY(!start.due(t0.addSecs(60)));
}

QTEST_APPLESS_MAIN(TestDelayedStart)
#include "test_delayed_start.moc"
