// The virtual meter's logger faults, read back through the program's own walk of the memory.
#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_set.h"
#include "sim/meter_console.h"
#include "sim/virtual_meter.h"

#include <QTest>

using namespace kirv;
using namespace kirv::sim;
using Fault = LoggerMemory::ReplyFault;

Q_DECLARE_METATYPE(kirv::sim::LoggerMemory::ReplyFault)

namespace {

logger::LoggerSets walk(const LoggerMemory& memory)
{
    const QByteArray dump = memory.dump();
    return logger::walkSets(dump, dump.size());
}

} // namespace

class TestSimLogger : public QObject
{
    Q_OBJECT
private slots:
    void replyFaults_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("pointerLength");
        QTest::addColumn<int>("sizeLength");
        QTest::newRow("A short") << Fault::PointerShort << 2 << 3;
        QTest::newRow("A long") << Fault::PointerLong << 4 << 3;
        QTest::newRow("L short") << Fault::SizeShort << 3 << 2;
        QTest::newRow("L long") << Fault::SizeLong << 3 << 4;
    }
    void replyFaults()
    {
        QFETCH(Fault, fault);
        QFETCH(int, pointerLength);
        QFETCH(int, sizeLength);
        LoggerMemory memory;
        memory.setReplyFault(fault, 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(memory.pointerReply().size(), pointerLength);
            QCOMPARE(memory.sizeReply().size(), sizeLength);
        }
        QCOMPARE(memory.replyFault(), Fault::None); // two faulty replies, then right ones
        QCOMPARE(memory.pointerReply().size(), 3);
        QCOMPARE(memory.sizeReply().size(), 3);
        memory.setReplyFault(fault);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(memory.pointerReply().size() + memory.sizeReply().size(),
                     pointerLength + sizeLength);
    }

    void sampleMemoryWalksWhole()
    {
        LoggerMemory memory;
        memory.setSets(sampleLoggerSets());
        const logger::LoggerSets sets = walk(memory);
        QCOMPARE(sets.count(), 5);
        QCOMPARE(sets.unreadBytes, 0);
        QList<int> intervals;
        for (qsizetype s = 1; s <= sets.count(); ++s)
            intervals << sets.interval(s);
        QCOMPARE(intervals, (QList<int>{1, 10, 1, 60, 2}));
    }

    void damagedMarkers()
    {
        LoggerMemory memory;
        memory.setSets(sampleLoggerSets());
        QVERIFY(!memory.corruptMarker(9));
        QVERIFY(memory.corruptMarker(5));
        // No length is stored: set 4 reaches on to the closing marker, 30 + 149 words.
        logger::LoggerSets sets = walk(memory);
        QCOMPARE(sets.count(), 4);
        QCOMPARE(sets.sets.last().recordCount(), 30 + 149);
        QCOMPARE(sets.unreadBytes, 0);
        // The first marker damaged (and with it the copy that closes the dump): nothing is a set.
        memory.setSets(sampleLoggerSets());
        QVERIFY(memory.corruptMarker(1));
        sets = walk(memory);
        QCOMPARE(sets.count(), 0);
        QCOMPARE(sets.unreadBytes, memory.storedData().size());
    }

    void largeMemoryNeedsThreePointerBytes()
    {
        LoggerMemory memory;
        memory.setSets(largeLoggerSets());
        QVERIFY(memory.pointer() > 0xFFFF);
        QCOMPARE(logger::pointerOf(memory.pointerReply()), memory.pointer());
        QCOMPARE(logger::verdictOf(memory.pointer(), memory.sizeUnits()),
                 logger::PointerVerdict::Dump);
        const logger::LoggerSets sets = walk(memory);
        QCOMPARE(sets.count(), 6);
        QCOMPARE(sets.sets.last().recordCount(), 36000);
    }

    void aCorruptStartIsNoDate()
    {
        VirtualMeter meter;
        MeterConsole console(meter);
        QCOMPARE(console.execute("corruptstart 2"), "ok");
        const logger::LoggerSets sets = walk(meter.core().memory());
        QVERIFY(sets.count() >= 2);
        QCOMPARE(logger::startStampProblem(sets.set(1), 1, 2026), QString());
        QVERIFY(logger::startStampProblem(sets.set(2), 2, 2026).startsWith("Set 2 cannot be opened"));
    }

    void consoleCommands_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("answer");
        QTest::newRow("fault") << "replyfault a-short" << "ok";
        QTest::newRow("fault twice") << "replyfault l-long 2" << "ok";
        QTest::newRow("fault off") << "replyfault off" << "ok";
        QTest::newRow("bad fault") << "replyfault b-short"
                                   << "error: bad command 'replyfault b-short' (try help)";
        QTest::newRow("marker") << "corruptmarker 2" << "ok";
        QTest::newRow("no such set") << "corruptmarker 40" << "error: no set 40";
        QTest::newRow("start") << "corruptstart 2" << "ok";
        QTest::newRow("no such set's start") << "corruptstart 40" << "error: no set 40";
        QTest::newRow("pointer") << "pointer 32" << "ok";
        QTest::newRow("size") << "memorysize 1" << "ok";
        QTest::newRow("large") << "largememory" << "ok";
    }
    void consoleCommands()
    {
        QFETCH(QString, line);
        QFETCH(QString, answer);
        VirtualMeter meter;
        MeterConsole console(meter);
        QCOMPARE(console.execute(line), answer);
    }
};

QTEST_GUILESS_MAIN(TestSimLogger)
#include "test_sim_logger.moc"
