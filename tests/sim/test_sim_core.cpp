// The virtual meter's behaviour without a port: frame coding, the protocol state machine, the
// logger memory image and the level generator.

#include "tests/support/golden.h"
#include "sim/logger_memory.h"
#include "sim/meter_core.h"

#include <QFile>
#include <QTest>

#include <cmath>

using namespace kirv::sim;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

quint16 wordAt(const QByteArray& bytes, qsizetype offset)
{
    return quint16(quint8(bytes[offset]) << 8 | quint8(bytes[offset + 1]));
}

QDateTime fixedNow()
{
    return QDateTime({2009, 5, 7}, {8, 30, 0});
}

} // namespace

class TestSimCore : public QObject
{
    Q_OBJECT
private slots:
    void liveFrame_data();
    void liveFrame();
    void bcd_data();
    void bcd();

    void keys_data();
    void keys();
    void attentionHoldsStreamUntilKeyOrTimeout();
    void commandArgumentsSplitAcrossReads();
    void staleArgumentsAreDropped();
    void intervalReadAndSet();
    void clockReadAndSet();
    void invalidClockIsIgnored();
    void loggerCommands();
    void loggerOnlyCommandsIgnoredWhileMeasuring();

    void setLayout();
    void setStatisticsFollowRecords();
    void sampleMemoryMatchesGolden();
    void dumpLength_data();
    void dumpLength();

    void generatorPatterns();
};

void TestSimCore::liveFrame_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("freq");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("over");
    QTest::addColumn<bool>("under");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<double>("db");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("A FAST run 93.4") << 0 << 0 << 0 << 0 << false << false << false << 93.4
                                     << hex("020004" "03a6" "03");
    QTest::newRow("marked") << 0 << 0 << 0 << 0 << false << false << true << 93.4
                            << hex("020004" "83a6" "03");
    QTest::newRow("over, range 5") << 5 << 0 << 0 << 0 << true << false << false << 140.0
                                   << hex("028504" "0578" "03");
    QTest::newRow("AA IMP stop under") << 2 << 3 << 2 << 2 << false << true << false << 30.0
                                       << hex("0202f2" "012c" "03");
    QTest::newRow("C SLOW pause") << 3 << 1 << 1 << 1 << false << false << false << 0.04
                                  << hex("020329" "0000" "03");
    QTest::newRow("rounding to tenths") << 4 << 2 << 0 << 0 << false << false << false << 65.06
                                        << hex("020444" "028b" "03");
}

void TestSimCore::liveFrame()
{
    QFETCH(int, range);
    QFETCH(int, freq);
    QFETCH(int, time);
    QFETCH(int, state);
    QFETCH(bool, over);
    QFETCH(bool, under);
    QFETCH(bool, marked);
    QFETCH(double, db);
    QFETCH(QByteArray, frame);

    MeterSettings s{range, freq, time, RunState(state), over, under, marked};
    QCOMPARE(kirv::sim::liveFrame(s, db).toHex(), frame.toHex());
}

void TestSimCore::bcd_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("spring morning") << QDateTime({2009, 5, 7}, {8, 30, 59}) << hex("593008070509");
    QTest::newRow("new year's eve") << QDateTime({2099, 12, 31}, {23, 59, 58}) << hex("585923311299");
    QTest::newRow("leap day") << QDateTime({2024, 2, 29}, {0, 0, 0}) << hex("000000290224");
}

void TestSimCore::bcd()
{
    QFETCH(QDateTime, time);
    QFETCH(QByteArray, bytes);
    QCOMPARE(clockBytes(time).toHex(), bytes.toHex());
    QCOMPARE(fromClockBytes(bytes), time);
}

void TestSimCore::keys_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("times");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QList<int>>("seen");

    const auto key = [](int code) { return QByteArray("K\0\0", 3) + char(code); };
    QTest::newRow("key 1 cycles A C Z AA") << key(1) << 4 << "freq" << QList<int>{1, 2, 3, 0};
    QTest::newRow("G cycles the weighting") << QByteArray("G") << 2 << "freq" << QList<int>{1, 2};
    QTest::newRow("key 2 cycles FAST SLOW IMP") << key(2) << 3 << "time" << QList<int>{1, 2, 0};
    QTest::newRow("D cycles the time weighting") << QByteArray("D") << 1 << "time" << QList<int>{1};
    QTest::newRow("key 5 cycles run pause stop") << key(5) << 3 << "state" << QList<int>{1, 2, 0};
    QTest::newRow("key 9 up stops at 80-140") << key(9) << 3 << "range" << QList<int>{1, 0, 0};
    QTest::newRow("E is up") << QByteArray("E") << 1 << "range" << QList<int>{1};
    QTest::newRow("key 10 down stops at 30-90") << key(10) << 4 << "range" << QList<int>{3, 4, 5, 5};
    QTest::newRow("F is down") << QByteArray("F") << 1 << "range" << QList<int>{3};
    QTest::newRow("key 3 changes nothing") << key(3) << 1 << "range" << QList<int>{2};
}

void TestSimCore::keys()
{
    QFETCH(QByteArray, command);
    QFETCH(int, times);
    QFETCH(QString, field);
    QFETCH(QList<int>, seen);

    MeterCore core; // starts at range 2, A, FAST, run
    const auto value = [&] {
        const MeterSettings& s = core.settings();
        return field == "freq"    ? s.freqWeighting
               : field == "time"  ? s.timeWeighting
               : field == "state" ? int(s.runState)
                                  : s.rangeCode;
    };
    QList<int> got;
    for (int i = 0; i < times; ++i) {
        MeterCore::Events events;
        QVERIFY(core.receive(command, 0, &events).isEmpty());
        QVERIFY(events.changed);
        QCOMPARE(events.commands, QList<char>{command.front()});
        got.append(value());
    }
    QCOMPARE(got, seen);
    // The frames carry the change.
    const QByteArray frame = core.nextFrame(0.02);
    QCOMPARE(quint8(frame[1]) & 7, core.settings().rangeCode);
    QCOMPARE(quint8(frame[2]), statusByte(core.settings()));
}

void TestSimCore::attentionHoldsStreamUntilKeyOrTimeout()
{
    MeterCore core;
    QVERIFY(core.isStreaming(1000));
    QCOMPARE(core.receive("A", 1000).toHex(), QByteArray("02ffffffff03"));
    QVERIFY(!core.isStreaming(1000));
    QVERIFY(!core.isStreaming(1499));
    QVERIFY(core.isStreaming(1500)); // no key within half a second: the stream goes on

    core.receive("A", 2000);
    MeterCore::Events events;
    QVERIFY(core.receive(QByteArray("K\0\0\x0A", 4), 2200, &events).isEmpty());
    QCOMPARE(events.keys, QList<int>{10});
    QVERIFY(core.isStreaming(2200)); // the key ends the wait at once
    QCOMPARE(core.settings().rangeCode, 3);

    // A key after the wait has run out still lands.
    core.receive("A", 3000);
    core.receive(QByteArray("K\0\0\x09", 4), 3800);
    QCOMPARE(core.settings().rangeCode, 2);
}

void TestSimCore::commandArgumentsSplitAcrossReads()
{
    MeterCore core;
    MeterCore::Events events;
    core.receive("K", 0, &events);
    core.receive(QByteArray("\0", 1), 10, &events);
    QVERIFY(events.keys.isEmpty());
    core.receive(QByteArray("\0\x01J", 3), 20, &events);
    QCOMPARE(events.keys, QList<int>{1});
    QCOMPARE(events.commands, (QList<char>{'K', 'J'}));
    QCOMPARE(core.settings().freqWeighting, 1);
}

void TestSimCore::staleArgumentsAreDropped()
{
    // A "C" whose bytes never came must not swallow the next commands.
    MeterCore core;
    core.receive("C", 0);
    QCOMPARE(core.receive("J", 600).toHex(), QByteArray("0001"));
    QCOMPARE(core.samplingInterval(), 1);
}

void TestSimCore::intervalReadAndSet()
{
    MeterCore core;
    QCOMPARE(core.receive("J", 0).toHex(), QByteArray("0001"));
    QVERIFY(core.receive(hex("4300ff"), 0).isEmpty());
    QCOMPARE(core.receive("J", 0).toHex(), QByteArray("00ff"));
    core.receive(hex("430258"), 0); // 600 s
    QCOMPARE(core.receive("J", 0).toHex(), QByteArray("0258"));
    core.receive(hex("430000"), 0); // zero is not an interval
    QCOMPARE(core.samplingInterval(), 1);
}

void TestSimCore::clockReadAndSet()
{
    MeterCore core;
    QDateTime now = fixedNow();
    core.setSystemClock([&] { return now; });
    QCOMPARE(core.receive("I", 0).toHex(), QByteArray("003008070509"));

    QVERIFY(core.receive(hex("42" "593008311224"), 0).isEmpty());
    QCOMPARE(core.receive("I", 0).toHex(), QByteArray("593008311224"));
    now = now.addSecs(3); // the meter clock runs on with the system clock
    QCOMPARE(core.receive("I", 0).toHex(), QByteArray("023108311224"));
}

void TestSimCore::invalidClockIsIgnored()
{
    MeterCore core;
    core.setSystemClock(fixedNow);
    core.receive(hex("42" "00003a310209"), 0); // minute 0x3A and 31 February
    QCOMPARE(core.clockOffset(), 0);
    core.receive(hex("42" "000000300209"), 0); // 30 February
    QCOMPARE(core.receive("I", 0).toHex(), QByteArray("003008070509"));
}

void TestSimCore::loggerCommands()
{
    MeterCore core;
    core.setMode(Mode::Logger);
    const QByteArray data = buildLoggerSets(sampleLoggerSets());
    const int p = 48 + int(data.size());
    QVERIFY(!core.isStreaming(0));

    const QByteArray pointer = core.receive("A", 0);
    QCOMPARE(pointer.size(), 3);
    QCOMPARE(quint8(pointer[0]) << 16 | quint8(pointer[1]) << 8 | quint8(pointer[2]), p);
    QCOMPARE(core.receive("L", 0).toHex(), QByteArray("000200"));

    const QByteArray dump = core.receive("K", 0);
    QCOMPARE(dump.size(), p - 46);
    QCOMPARE(dump.mid(1, dump.size() - 2), data);

    MeterCore::Events events;
    QVERIFY(core.receive("H", 0, &events).isEmpty());
    QCOMPARE(events.commands, QList<char>{'H'});
    QCOMPARE(core.receive("A", 0).toHex(), QByteArray("000030"));
    QCOMPARE(core.receive("K", 0).size(), 2);
    QVERIFY(!core.isStreaming(0)); // logger mode stays silent, "A" included

    core.setShortDump(true);
    core.memory().setStoredData(data);
    QVERIFY(core.receive("K", 0).size() < p - 46);
}

void TestSimCore::loggerOnlyCommandsIgnoredWhileMeasuring()
{
    MeterCore core;
    MeterCore::Events events;
    QVERIFY(core.receive("LH\x7f", 0, &events).isEmpty());
    QVERIFY(events.commands.isEmpty());
    QCOMPARE(core.memory().storedData(), buildLoggerSets(sampleLoggerSets()));
}

void TestSimCore::setLayout()
{
    LoggerSet set;
    set.interval = 300;
    set.status = 0x21;
    set.range = 0x83;
    set.levels = {0x03a6, 0x83a6, 0x0578};
    for (int i = 0; i < LoggerSet::StampCount; ++i)
        set.timestamps[i] = {quint8(i), 1, 2, 3, 4, 5};
    for (int i = 0; i < LoggerSet::TrailerSize; ++i)
        set.trailer[i] = quint16(0x0100 + i);

    const QByteArray bytes = buildLoggerSet(set);
    const int n = 3;
    QCOMPARE(bytes.size(), 58 + 2 * n);
    QCOMPARE(bytes.left(8).toHex(), QByteArray("0055aa00012c2183"));
    QCOMPARE(bytes.mid(8, 2 * n).toHex(), QByteArray("03a683a60578"));
    for (int i = 0; i < LoggerSet::StampCount; ++i)
        QCOMPARE(bytes.mid(8 + 2 * n + 6 * i, 6), QByteArray(1, char(i)) + hex("0102030405"));
    for (int i = 0; i < LoggerSet::TrailerSize; ++i)
        QCOMPARE(wordAt(bytes, 38 + 2 * n + 2 * i), quint16(0x0100 + i));
}

void TestSimCore::setStatisticsFollowRecords()
{
    // Ten readings one minute apart: 60 dB nine times and one 70 dB at the fourth.
    QList<quint16> levels(10, 600);
    levels[3] = 700 | 0x8000; // marked readings count with their level
    const LoggerSet set = makeLoggerSet(60, 0x00, 0x02, levels, fixedNow());

    const double leq = 10 * std::log10((9 * 1e6 + 1e7) / 10);
    QCOMPARE(set.trailer[LoggerSet::Leq], quint16(std::lround(leq * 10)));
    QCOMPARE(set.trailer[LoggerSet::Sel], quint16(std::lround((leq + 10 * std::log10(600)) * 10)));
    QCOMPARE(set.trailer[LoggerSet::Max], quint16(700));
    QCOMPARE(set.trailer[LoggerSet::Fourth], quint16(600));
    QVERIFY(set.trailer[LoggerSet::Peak] > 700);
    QCOMPARE(set.trailer[LoggerSet::L05], quint16(700));
    QCOMPARE(set.trailer[LoggerSet::L10], quint16(700));
    QCOMPARE(set.trailer[LoggerSet::L50], quint16(600));
    QCOMPARE(set.trailer[LoggerSet::L95], quint16(600));
    QCOMPARE(set.timestamps[LoggerSet::StampStart], timestampBytes(fixedNow()));
    QCOMPARE(set.timestamps[LoggerSet::StampEnd], timestampBytes(fixedNow().addSecs(9 * 60)));
    QCOMPARE(set.timestamps[LoggerSet::StampMax], timestampBytes(fixedNow().addSecs(3 * 60)));
    QCOMPARE(set.timestamps[LoggerSet::StampPeak], set.timestamps[LoggerSet::StampMax]);

    // Every sample set is ordered as statistics must be.
    for (const LoggerSet& s : sampleLoggerSets()) {
        const auto& t = s.trailer;
        QVERIFY(t[LoggerSet::Max] >= t[LoggerSet::L05] && t[LoggerSet::L05] >= t[LoggerSet::L10]);
        QVERIFY(t[LoggerSet::L10] >= t[LoggerSet::L50] && t[LoggerSet::L50] >= t[LoggerSet::L90]);
        QVERIFY(t[LoggerSet::L90] >= t[LoggerSet::L95] && t[LoggerSet::L95] >= t[LoggerSet::Fourth]);
        QVERIFY(t[LoggerSet::Leq] <= t[LoggerSet::Max] && t[LoggerSet::Leq] >= t[LoggerSet::L50]);
        QVERIFY(t[LoggerSet::Sel] > t[LoggerSet::Leq]);
        QVERIFY(t[LoggerSet::Peak] > t[LoggerSet::Max]);
    }
}

void TestSimCore::sampleMemoryMatchesGolden()
{
    // The memory the virtual meter starts with, pinned so that tests built on it notice a
    // change.
    const QByteArray image = buildLoggerSets(sampleLoggerSets());
    QCOMPARE(image.size(), 2330);
    kirv::test::compareGolden(QStringLiteral("sim_logger_memory.bin"), image);
    QCOMPARE(sampleLoggerSets().size(), 5);
}

void TestSimCore::dumpLength_data()
{
    QTest::addColumn<int>("pointer");
    QTest::addColumn<QByteArray>("dump");
    QTest::newRow("P below 46 sends nothing") << 32 << QByteArray();
    QTest::newRow("P 46") << 46 << QByteArray();
    QTest::newRow("P 47: one byte") << 47 << hex("ff");
    QTest::newRow("P 48: empty memory") << 48 << hex("ffff");
    QTest::newRow("P cuts the data") << 50 << hex("ff0055ff");
    QTest::newRow("P beyond the data") << 56 << hex("ff0055aa00ffffffffff");
}

void TestSimCore::dumpLength()
{
    QFETCH(int, pointer);
    QFETCH(QByteArray, dump);
    LoggerMemory memory;
    memory.setStoredData(SetMarker);
    memory.setPointer(pointer);
    QCOMPARE(memory.pointer(), pointer);
    QCOMPARE(memory.dump().toHex(), dump.toHex());
    memory.setStoredData(SetMarker); // any real change forgets the forced pointer
    QCOMPARE(memory.pointer(), 52);
}

void TestSimCore::generatorPatterns()
{
    LevelGenerator steady;
    steady.setLevel(70.0);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(steady.next(0.02), 70.0);

    LevelGenerator ramp;
    ramp.setPattern(Pattern::Ramp);
    ramp.setLevel(50.0);
    QList<double> rising;
    for (int i = 0; i < 250; ++i)
        rising.append(ramp.next(0.02));
    QCOMPARE(rising.front(), 50.0);
    QVERIFY(std::abs(rising[100] - 60.0) < 1e-6);                   // 5 dB/s
    QVERIFY(*std::max_element(rising.cbegin(), rising.cend()) < 70.0); // wraps below the span
    QVERIFY(std::abs(rising[200] - 50.0) < 1e-6);

    // Traffic: a background near the level with events well above it; the same seed repeats.
    LevelGenerator a(5), b(5);
    a.setPattern(Pattern::Traffic);
    b.setPattern(Pattern::Traffic);
    a.setLevel(60.0);
    b.setLevel(60.0);
    QList<double> levels;
    for (int i = 0; i < 30000; ++i) { // ten minutes of frames
        levels.append(a.next(0.02));
        QCOMPARE(b.next(0.02), levels.back());
    }
    std::sort(levels.begin(), levels.end());
    const double median = levels[levels.size() / 2];
    QVERIFY2(median > 56 && median < 64, qPrintable(QString::number(median)));
    QVERIFY(levels.back() > 70.0 && levels.back() < 90.0);
    QVERIFY(levels.front() > 50.0);
}

QTEST_GUILESS_MAIN(TestSimCore)
#include "test_sim_core.moc"
