// The three decoders and the level texts, byte by byte.
#include "kirv/meter/live_reading.h"
#include "kirv/meter/protocol.h"

#include <QtTest>

using namespace kirv;

class TestDecoders : public QObject
{
    Q_OBJECT
private slots:
    void range_data()
    {
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("lower");
        QTest::addColumn<bool>("over");
        QTest::newRow("code 0") << -1 << 0x00 << 140 << 80 << false;
        QTest::newRow("code 1") << -1 << 0x01 << 130 << 70 << false;
        QTest::newRow("code 2") << -1 << 0x02 << 120 << 60 << false;
        QTest::newRow("code 3") << -1 << 0x03 << 110 << 50 << false;
        QTest::newRow("code 4") << -1 << 0x04 << 100 << 40 << false;
        QTest::newRow("code 5 over") << -1 << 0x85 << 90 << 30 << true;
        QTest::newRow("code 6 keeps") << 0x01 << 0x06 << 130 << 70 << false;
        QTest::newRow("code 7 keeps, over") << 0x03 << 0x87 << 110 << 50 << true;
        QTest::newRow("bits 3..6 ignored") << -1 << 0x7A << 120 << 60 << false;
    }
    void range()
    {
        QFETCH(int, previous);
        QFETCH(int, byte);
        LiveReading r;
        if (previous >= 0)
            DecodeRange(r, previous);
        DecodeRange(r, byte);
        QTEST(r.RangeUpper, "upper");
        QTEST(r.RangeLower, "lower");
        QTEST(r.OverFlag, "over");
    }

    void status_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("freq");
        QTest::addColumn<bool>("run");
        QTest::addColumn<bool>("pause");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("under");
        QTest::newRow("0x00") << 0x00 << "FAST" << "A" << false << false << false << false;
        QTest::newRow("0xFF") << 0xFF << "" << "AA" << true << true << true << true;
        QTest::newRow("slow run C") << (1 | 4 | (1 << 5)) << "SLOW" << "C" << true << false << false << false;
        QTest::newRow("imp pause Z") << (2 | 8 | (2 << 5)) << "IMP" << "Z" << false << true << false << false;
        QTest::newRow("stop under") << (16 | 128) << "FAST" << "A" << false << false << true << true;
    }
    void status()
    {
        QFETCH(int, byte);
        LiveReading r;
        r.RunFlag = r.PauseFlag = r.StopFlag = r.UnderFlag = true; // every flag is rewritten
        DecodeStatus(r, byte);
        QTEST(r.TimeWeight, "time");
        QTEST(r.FreqWeight, "freq");
        QTEST(r.RunFlag, "run");
        QTEST(r.PauseFlag, "pause");
        QTEST(r.StopFlag, "stop");
        QTEST(r.UnderFlag, "under");
    }

    void level_data()
    {
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("l");
        QTest::addColumn<double>("db");
        QTest::addColumn<QString>("text");
        QTest::newRow("93.4") << 0x03 << 0xA6 << 93.4 << "93.4";
        QTest::newRow("93.4 marked") << 0x83 << 0xA6 << 93.4 << "93.4*";
        QTest::newRow("140.0") << 0x05 << 0x78 << 140.0 << "140.0";
        QTest::newRow("zero") << 0x00 << 0x00 << 0.0 << ".0";
        QTest::newRow("half a dB") << 0x00 << 0x05 << 0.5 << ".5";
        QTest::newRow("one dB") << 0x00 << 0x0A << 1.0 << "1.0";
        QTest::newRow("largest") << 0x7F << 0xFF << 3276.7 << "3276.7";
        QTest::newRow("marked zero") << 0x80 << 0x00 << 0.0 << ".0*";
    }
    void level()
    {
        QFETCH(int, h);
        QFETCH(int, l);
        LiveReading r;
        DecodeLevel(r, h, l);
        QTEST(r.LevelDb, "db");
        QTEST(r.LevelText, "text");
    }

    void commands()
    {
        QCOMPARE(protocol::keyCommand(10), QByteArray::fromHex("4b00000a"));
        QCOMPARE(protocol::keyCommand(1), QByteArray::fromHex("4b000001"));
        QCOMPARE(protocol::setIntervalCommand(255), QByteArray::fromHex("4300ff"));
        QCOMPARE(protocol::setIntervalCommand(1), QByteArray::fromHex("430001"));
        QCOMPARE(protocol::setIntervalCommand(300), QByteArray::fromHex("43012c"));
        QVERIFY(protocol::endsWithAcknowledge(QByteArray::fromHex("0200000003a60302ffffffff03")));
        QVERIFY(!protocol::endsWithAcknowledge(QByteArray::fromHex("02ffffffff030200000003a603")));
    }

    void texts()
    {
        LiveReading r;
        DecodeRange(r, 1);
        QCOMPARE(rangeText(r), QStringLiteral("70-130"));
        QCOMPARE(freqWeightBoardText("AA"), QStringLiteral("20-200Hz Filter"));
        QCOMPARE(freqWeightBoardText("Z"), QStringLiteral("Z"));
    }
};

QTEST_GUILESS_MAIN(TestDecoders)
#include "test_decoders.moc"
