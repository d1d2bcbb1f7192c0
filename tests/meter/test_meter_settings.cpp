// The settings and clock exchanges on the in-memory link: the exact bytes the program writes,
// what it makes of the meter's answers, and that a silent meter never holds it.
#include "kirv/base/clock.h"
#include "kirv/meter/meter_clock_exchange.h"
#include "kirv/meter/meter_settings.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace kirv;

namespace {
const QByteArray Frame = QByteArray::fromHex("020100"
                                              "03a603");

// A meter that answers `letter` with `reply` (after whatever `before` it still streams).
void answer(MemoryLink& link, char letter, QByteArray reply, QByteArray before = {})
{
    link.setResponder([=](MemoryLink& l, const QByteArray& written) {
        if (written == QByteArray(1, letter))
            l.feed(before + reply);
    });
}
} // namespace

class TestMeterSettings : public QObject
{
    Q_OBJECT
private slots:
    void settingKeysAreOneByteWithAWait_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("AC") << protocol::FreqWeightKey;
        QTest::newRow("FSI") << protocol::TimeWeightKey;
        QTest::newRow("Up") << protocol::RangeUp;
        QTest::newRow("Down") << protocol::RangeDown;
    }
    void settingKeysAreOneByteWithAWait()
    {
        QFETCH(QByteArray, key);
        MemoryLink link;
        link.feed(Frame); // not drained: the command goes out as it is
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(sendCommand(link, key, this)), int(ExchangeResult::Done));
        QVERIFY(clock.elapsed() >= 15);
        QCOMPARE(link.written(), key);
        QCOMPARE(link.bytesPending(), qint64(6));
    }

    void intervalRead_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("seconds");
        QTest::newRow("one second") << QByteArray::fromHex("0001") << QByteArray() << 1;
        QTest::newRow("255") << QByteArray::fromHex("00ff") << QByteArray() << 255;
        QTest::newRow("frame before") << QByteArray::fromHex("003c") << Frame << 60;
        QTest::newRow("longer reply") << QByteArray::fromHex("000a0203") << QByteArray() << 10;
    }
    void intervalRead()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, before);
        QFETCH(int, seconds);
        MemoryLink link;
        link.feed(QByteArray::fromHex("0909")); // stale bytes are drained, not taken
        answer(link, 'J', reply, before);
        const IntervalResult r = readMeterInterval(link, this);
        QCOMPARE(int(r.result), int(ExchangeResult::Done));
        QCOMPARE(r.seconds, seconds);
        QCOMPARE(link.written(), QByteArray("J"));
    }

    void repliesThatAreNoIntervalAreAskedAgainThenFail_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("one byte") << QByteArray(1, '\0');
        QTest::newRow("one byte, then a frame") << QByteArray(1, '\x05') + Frame; // not 1282
        QTest::newRow("zero") << QByteArray::fromHex("0000");
        QTest::newRow("two bytes wide") << QByteArray::fromHex("0258"); // 600, above 255
    }
    void repliesThatAreNoIntervalAreAskedAgainThenFail()
    {
        QFETCH(QByteArray, reply);
        MemoryLink link;
        answer(link, 'J', reply);
        const IntervalResult r = readMeterInterval(link, this);
        QCOMPARE(int(r.result), int(ExchangeResult::TimedOut));
        QCOMPARE(link.written(), QByteArray(1 + IntervalRetries, 'J'));

        // The third answer is whole.
        int asked = 0;
        link.clearWritten();
        link.setResponder([&](MemoryLink& l, const QByteArray&) {
            l.feed(++asked < 3 ? QByteArray(1, '\x01') : QByteArray::fromHex("0005"));
        });
        const IntervalResult later = readMeterInterval(link, this);
        QCOMPARE(int(later.result), int(ExchangeResult::Done));
        QCOMPARE(later.seconds, 5);
        QCOMPARE(link.written(), QByteArray("JJJ"));
    }

    void intervalWrite_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("255") << 255 << QByteArray::fromHex("4300ff");
        QTest::newRow("1") << 1 << QByteArray::fromHex("430001");
        QTest::newRow("600") << 600 << QByteArray::fromHex("430258");
    }
    void intervalWrite()
    {
        QFETCH(int, seconds);
        MemoryLink link;
        QCOMPARE(int(writeMeterInterval(link, seconds)), int(ExchangeResult::Done));
        QTEST(link.written(), "bytes");
    }

    void samplingAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("seconds"); // 0: nothing (handled like Cancel)
        QTest::newRow("0 gives 1") << "0" << 86400 << 1;
        QTest::newRow("100000 gives 86400") << "100000" << 86400 << 86400;
        QTest::newRow("2.5 to even") << "2.5" << 86400 << 2;
        QTest::newRow("3.5 to even") << "3.5" << 86400 << 4;
        QTest::newRow("2.6 up") << "2.6" << 86400 << 3;
        QTest::newRow("blanks around") << " 60 " << 86400 << 60;
        QTest::newRow("negative") << "-5" << 86400 << 1;
        QTest::newRow("exponent") << "1e9" << 86400 << 86400;
        QTest::newRow("meter 300 gives 255") << "300" << 255 << 255;
        QTest::newRow("meter 254.5") << "254.5" << 255 << 254;
        QTest::newRow("letters") << "abc" << 86400 << 0;
        QTest::newRow("number then letters") << "12abc" << 86400 << 0;
        QTest::newRow("empty") << "" << 86400 << 0;
        QTest::newRow("blank") << "   " << 255 << 0;
        QTest::newRow("nan") << "nan" << 255 << 0;
        QTest::newRow("inf") << "inf" << 255 << 255;
    }
    void samplingAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(int, maximum);
        QFETCH(int, seconds);
        QCOMPARE(samplingAnswerSeconds(answer, maximum).value_or(0), seconds);
    }

    void clockRead_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("text");
        QTest::newRow("BCD") << QByteArray::fromHex("003008070509") << QByteArray()
                             << "2009/05/07 08:30:00";
        QTest::newRow("not BCD") << QByteArray::fromHex("1a3008070509") << QByteArray()
                                 << "2009/05/07 08:30:1A";
        QTest::newRow("longer") << QByteArray::fromHex("59590923121aff") << QByteArray()
                                << "201A/12/23 09:59:59";
        QTest::newRow("frame before")
            << QByteArray::fromHex("010203040526") << Frame << "2026/05/04 03:02:01";
    }
    void clockRead()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, before);
        MemoryLink link;
        link.feed(Frame);
        answer(link, 'I', reply, before);
        const ClockReadResult r = readMeterClock(link, this, 1);
        QCOMPARE(int(r.result), int(ExchangeResult::Done));
        QTEST(meterClockText(r.fields), "text");
        QCOMPARE(link.written(), QByteArray("I"));
    }

    void clockReadGivesUpOnASilentMeter()
    {
        MemoryLink link;
        int asked = 0;
        link.setResponder([&](MemoryLink& l, const QByteArray&) {
            l.feed(++asked < 3 ? QByteArray::fromHex("0030") : QByteArray::fromHex("003008070509"));
        });
        QCOMPARE(int(readMeterClock(link, this, 2).result), int(ExchangeResult::TimedOut));
        QCOMPARE(link.written(), QByteArray("II"));
        QCOMPARE(int(readMeterClock(link, this, 2).result), int(ExchangeResult::Done));
    }

    void clockSetIsOneWriteOfTheFixedTime()
    {
        setNowSource([] { return QDateTime(QDate(2009, 5, 7), QTime(8, 30, 59)); });
        MemoryLink link;
        int writes = 0;
        link.setResponder([&](MemoryLink&, const QByteArray&) { ++writes; });
        QCOMPARE(int(setMeterClock(link, now(), this)), int(ExchangeResult::Done));
        setNowSource({});
        QCOMPARE(link.written().toHex(' '), QByteArray("42 59 30 08 07 05 09"));
        QCOMPARE(writes, 1);
        QCOMPARE(setClockCommand(QDateTime(QDate(2031, 12, 31), QTime(23, 5, 0))).toHex(' '),
                 QByteArray("42 00 05 23 31 12 31"));
    }

    void waitsEndWithTheirOwner()
    {
        MemoryLink link; // silent
        auto* owner = new QObject;
        QTimer::singleShot(5, owner, [owner] { delete owner; });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(readMeterClock(link, owner, 1000000).result), int(ExchangeResult::Cancelled));
        QVERIFY(clock.elapsed() < 2000);
    }
};

QTEST_GUILESS_MAIN(TestMeterSettings)
#include "test_meter_settings.moc"
