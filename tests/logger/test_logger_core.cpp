// The logger memory cores: replies, texts, the set walk and the decoding of one set.
#include "tests/logger/logger_images.h"

#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_set.h"
#include "kirv/records/datafile.h"
#include "kirv/base/civil_time.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kirv;
using namespace kirv::logger;
using kirv::test::dumpOf;
using kirv::test::loggerSet;

Q_DECLARE_METATYPE(kirv::logger::PointerVerdict)

namespace {

QByteArray setBytes(const sim::LoggerSet& set)
{
    return sim::buildLoggerSet(set);
}

QList<qint64> recordCounts(const LoggerSets& sets)
{
    QList<qint64> counts;
    for (const SetSpan& span : sets.sets)
        counts.append(span.recordCount());
    return counts;
}

LoggerSets walkStored(const QByteArray& stored)
{
    const QByteArray dump = dumpOf(stored);
    return walkSets(dump, dump.size());
}

} // namespace

class TestLoggerCore : public QObject
{
    Q_OBJECT
private slots:
    void replies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("pointer"); // -1: the reply is refused
        QTest::addColumn<int>("units");
        QTest::newRow("P 48") << QByteArray("\x00\x00\x30", 3) << 48 << 0;
        QTest::newRow("24 bits") << QByteArray("\x01\x02\x03", 3) << 0x010203 << 2;
        QTest::newRow("two bytes") << QByteArray("\x00\x30", 2) << -1 << -1;
        QTest::newRow("four bytes") << QByteArray("\x00\x00\x30\x00", 4) << -1 << -1;
        QTest::newRow("nothing") << QByteArray() << -1 << -1;
    }
    void replies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, pointer);
        QFETCH(int, units);
        QCOMPARE(pointerOf(reply).value_or(-1), pointer);
        QCOMPARE(sizeUnitsOf(reply).value_or(-1), units);
    }

    void verdicts_data()
    {
        QTest::addColumn<int>("pointer");
        QTest::addColumn<int>("units");
        QTest::addColumn<PointerVerdict>("verdict");
        QTest::newRow("P 32") << 32 << 2 << PointerVerdict::Error;
        QTest::newRow("P 45") << 45 << 2 << PointerVerdict::Error;
        QTest::newRow("P 46, a dump of nothing") << 46 << 2 << PointerVerdict::Empty;
        QTest::newRow("P 47, a dump of one byte") << 47 << 2 << PointerVerdict::Empty;
        QTest::newRow("P 48") << 48 << 2 << PointerVerdict::Empty;
        QTest::newRow("P 49") << 49 << 2 << PointerVerdict::Dump;
        QTest::newRow("full 128 K") << 131072 << 2 << PointerVerdict::Dump;
        QTest::newRow("beyond 128 K") << 131073 << 2 << PointerVerdict::Error;
        QTest::newRow("no memory reported") << 1000 << 0 << PointerVerdict::Error;
        QTest::newRow("largest pointer, 16 M") << 255 * 65536 << 255 << PointerVerdict::Dump;
        QTest::newRow("pointer beyond 255 units") << 0xFFFFFF << 255 << PointerVerdict::Error;
    }
    void verdicts()
    {
        QFETCH(int, pointer);
        QFETCH(int, units);
        QFETCH(PointerVerdict, verdict);
        QCOMPARE(verdictOf(pointer, units), verdict);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("size") << sizeText(2) << "128 K";
        QTest::newRow("size 64 K") << sizeText(1) << "64 K";
        QTest::newRow("free P 1000") << freeText(2, 1000) << "127.0 K";
        QTest::newRow("free 22 bytes") << freeText(2, 131050) << "0.0 K";
        QTest::newRow("free 60 bytes") << freeText(2, 131012) << "0.1 K";
        QTest::newRow("free beyond the memory") << freeText(1, 70000) << "0.0 K";
        QTest::newRow("progress") << completedText(3, 8) << "37.5% Completed";
        QTest::newRow("progress done") << completedText(126, 126) << "100.0% Completed";
        QTest::newRow("progress start") << completedText(0, 126) << "0.0% Completed";
        QTest::newRow("no unread") << unreadText(0) << "";
        QTest::newRow("one unread") << unreadText(1) << "1 byte could not be read as sets";
        QTest::newRow("unread") << unreadText(60) << "60 bytes could not be read as sets";
    }
    void texts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void trimmedDump()
    {
        // Leading and trailing bytes dropped, the first marker appended, bytes beyond E ignored.
        const QByteArray dump = QByteArray("\xEE\x00\x55\xAA\x00\x01\x02\xDD\x99", 9);
        QCOMPARE(storedData(dump, 8), QByteArray("\x00\x55\xAA\x00\x01\x02\x00\x55\xAA\x00", 10));
        QCOMPARE(storedData(dump, 2), QByteArray());
        QCOMPARE(storedData(dump.left(3), 8), QByteArray("\x00\x00", 2));
    }

    void walk_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QList<qint64>>("counts");
        QTest::addColumn<qint64>("unread");

        const QByteArray three = setBytes(loggerSet({900, 901, 902}));
        const QByteArray one = setBytes(loggerSet({900}));
        QTest::newRow("sets of 3 and 1") << three + one << QList<qint64>{3, 1} << qint64(0);
        QTest::newRow("one set of one") << one << QList<qint64>{1} << qint64(0);

        QByteArray badSecond = three + one;
        badSecond[three.size() + 1] = 0x56;
        // Where set 2 should start there is no marker: set 1 reaches to the closing marker.
        QTest::newRow("damaged second marker") << badSecond << QList<qint64>{33} << qint64(0);

        QByteArray badFirst = three + one;
        badFirst[0] = 0x01;
        QTest::newRow("damaged first marker") << badFirst << QList<qint64>{} << qint64(124);

        // Set 2 damaged, set 3 after it: the first set stops at the third set's marker.
        QByteArray middle = one + one + one;
        middle[61] = 0x00;
        QTest::newRow("marker lost in the middle") << middle << QList<qint64>{31, 1} << qint64(0);

        QTest::newRow("tail shorter than a set")
            << three + one.left(20) << QList<qint64>{3} << qint64(20);
        QTest::newRow("garbage after the sets")
            << three + one + QByteArray(7, 'x') << QList<qint64>{3} << qint64(67);
        QTest::newRow("no marker at all") << QByteArray(500, '\x11') << QList<qint64>{} << qint64(500);
        QTest::newRow("a lone marker") << QByteArray(logger::SetMarker) << QList<qint64>{} << qint64(4);

        // A marker pattern at an odd distance inside the records does not end the set.
        QList<quint16> words(30, 900);
        words << 0x0100 << 0x55AA << 0x0001 << 900;
        const QByteArray inner = setBytes(loggerSet(words));
        QTest::newRow("marker at an odd offset") << inner + one << QList<qint64>{34, 1} << qint64(0);

        QByteArray many;
        QList<qint64> counts;
        for (int i = 0; i < 300; ++i) {
            many += i % 2 ? one : three;
            counts.append(i % 2 ? 1 : 3);
        }
        QTest::newRow("300 sets") << many << counts << qint64(0);
    }
    void walk()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QList<qint64>, counts);
        QFETCH(qint64, unread);
        const LoggerSets sets = walkStored(stored);
        QCOMPARE(recordCounts(sets), counts);
        QCOMPARE(sets.unreadBytes, unread);
    }

    void walkKeepsSetsWhole()
    {
        const QByteArray first = setBytes(loggerSet({900, 901, 902}, 10));
        const QByteArray second = setBytes(loggerSet({950}, 60));
        const QByteArray dump = dumpOf(first + second);
        QCOMPARE(dump.size(), 126); // P = 172, E = 126
        const LoggerSets sets = walkSets(dump + "beyond E", 126);
        QCOMPARE(sets.count(), 2);
        QCOMPARE(sets.set(1).toByteArray(), first);
        QCOMPARE(sets.set(2).toByteArray(), second);
        QCOMPARE(sets.set(1).size(), 64);
        QCOMPARE(sets.set(2).size(), 60);
        QCOMPARE(sets.interval(1), 10);
        QCOMPARE(sets.interval(2), 60);
        QVERIFY(sets.set(0).isEmpty());
        QVERIFY(sets.set(3).isEmpty());
    }

    void timestamps_data()
    {
        QTest::addColumn<QByteArray>("stamp");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("time");
        QTest::newRow("example") << QByteArray("\x05\x30\x08\x04\x03\x09", 6)
                                 << "2009/03/04 08:30:05" << QDateTime({2009, 3, 4}, {8, 30, 5});
        QTest::newRow("month 13") << QByteArray("\x05\x30\x08\x04\x13\x09", 6)
                                  << "2009/13/04 08:30:05" << QDateTime();
        QTest::newRow("not BCD") << QByteArray("\x05\x30\x08\x04\x5A\x09", 6)
                                 << "2009/5A/04 08:30:05" << QDateTime();
        QTest::newRow("30 February") << QByteArray("\x00\x00\x00\x30\x02\x24", 6)
                                     << "2024/02/30 00:00:00" << QDateTime();
        QTest::newRow("hour 24") << QByteArray("\x00\x00\x24\x01\x01\x24", 6)
                                 << "2024/01/01 24:00:00" << QDateTime();
    }
    void timestamps()
    {
        QFETCH(QByteArray, stamp);
        QFETCH(QString, text);
        QFETCH(QDateTime, time);
        QCOMPARE(timestampText(stamp, 2026), text);
        QCOMPARE(timestampTime(stamp, 2026).value_or(QDateTime()), time);
    }

    void records_data()
    {
        QTest::addColumn<QList<quint16>>("levels");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QList<Record>>("expected");
        QTest::newRow("one record")
            << QList<quint16>{900} << 1 << test::SetStart
            << QList<Record>{{"1", "2009/03/04 08:30:05", "90.0"}};
        QTest::newRow("interval 10 s")
            << QList<quint16>{900, 0x83A6, 5} << 10 << test::SetStart
            << QList<Record>{{"1", "2009/03/04 08:30:05", "90.0"},
                             {"2", "2009/03/04 08:30:15", "93.4*"},
                             {"3", "2009/03/04 08:30:25", ".5"}};
        QTest::newRow("over midnight and a year end")
            << QList<quint16>{1000, 1001} << 3600 << QDateTime({2008, 12, 31}, {23, 30, 0})
            << QList<Record>{{"1", "2008/12/31 23:30:00", "100.0"},
                             {"2", "2009/01/01 00:30:00", "100.1"}};
    }
    void records()
    {
        QFETCH(QList<quint16>, levels);
        QFETCH(int, interval);
        QFETCH(QDateTime, start);
        QFETCH(QList<Record>, expected);
        const QByteArray set = setBytes(loggerSet(levels, interval, start));
        const QByteArrayView stamp = setTimestamp(set, StartStamp);
        RecordStore out;
        // In two pieces, as the set view fills its list.
        appendSetRecords(set, 0, 1, timestampTime(stamp, 2026), timestampText(stamp, 2026),
                         interval, out);
        appendSetRecords(set, 1, 1000, timestampTime(stamp, 2026), timestampText(stamp, 2026),
                         interval, out);
        QCOMPARE(out.count(), expected.size());
        for (qsizetype i = 0; i < out.count(); ++i)
            QCOMPARE(out.record(i), expected[i]);
    }

    void recordsWithoutStart()
    {
        QByteArray set = setBytes(loggerSet({900, 901}));
        const qsizetype stamp = 8 + 2 * 2;
        set[stamp + 4] = 0x13; // month 13
        const QString text = timestampText(set.mid(stamp, 6), 2026);
        RecordStore out;
        appendSetRecords(set, 0, 2, timestampTime(set.mid(stamp, 6), 2026), text, 10, out);
        QCOMPARE(out.count(), 2);
        QCOMPARE(out.record(0), (Record{"1", "2009/13/04 08:30:05", "90.0"}));
        QCOMPARE(out.record(1), (Record{"2", "", "90.1"}));
    }

    void boards_data()
    {
        QTest::addColumn<quint8>("status");
        QTest::addColumn<quint8>("range");
        QTest::addColumn<quint16>("l95");
        QTest::addColumn<QString>("freq");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("rangeText");
        QTest::addColumn<QString>("l95Text");
        QTest::newRow("L95 76.0 shown") << quint8(0x00) << quint8(0) << quint16(0x02F8) << "A"
                                        << "FAST" << "80-140" << "76.0";
        QTest::newRow("L95 75.0 dashed") << quint8(0x00) << quint8(0) << quint16(0x02EE) << "A"
                                         << "FAST" << "80-140" << "- - -";
        QTest::newRow("20-200 Hz filter") << quint8(0x61) << quint8(5) << quint16(0x02EE)
                                          << "20-200Hz Filter" << "SLOW" << "30-90" << "75.0";
        QTest::newRow("C, IMP") << quint8(0x22) << quint8(1) << quint16(0x8000 | 700) << "C"
                                << "IMP" << "70-130" << "70.0*";
        QTest::newRow("Z, no weighting") << quint8(0x43) << quint8(2) << quint16(500) << "Z"
                                         << "" << "60-120" << "- - -";
    }
    void boards()
    {
        QFETCH(quint8, status);
        QFETCH(quint8, range);
        QFETCH(quint16, l95);
        QFETCH(QString, freq);
        QFETCH(QString, time);
        QFETCH(QString, rangeText);
        QFETCH(QString, l95Text);
        sim::LoggerSet set = loggerSet({900, 901});
        set.status = status;
        set.range = range;
        set.trailer = {1001, 1002, 1003, 1004, 0x8000 | 1005, 1006, 1007, 1008, 1009, l95};
        set.timestamps[2] = {0x59, 0x59, 0x23, 0x31, 0x12, 0x08};
        set.timestamps[4] = {0x00, 0x5A, 0x00, 0x01, 0x01, 0x09};
        const SetBoards boards = decodeSetBoards(setBytes(set), 2026);
        QCOMPARE(boards.freqWeight, freq);
        QCOMPARE(boards.timeWeight, time);
        QCOMPARE(boards.range, rangeText);
        QCOMPARE(boards.leq, "100.1");
        QCOMPARE(boards.sel, "100.2");
        QCOMPARE(boards.maxLevel, "100.3");
        QCOMPARE(boards.fourthLevel, "100.4");
        QCOMPARE(boards.peakLevel, "100.5*");
        QCOMPARE(boards.l05, "100.6");
        QCOMPARE(boards.l90, "100.9");
        QCOMPARE(boards.l95, l95Text);
        QCOMPARE(boards.maxTime, "2008/12/31 23:59:59");
        QCOMPARE(boards.peakTime, "2009/01/01 00:5A:00");
    }

    void shortSetsDecodeToNothing()
    {
        const QByteArray set = setBytes(loggerSet({900})).left(57);
        QCOMPARE(recordCountOf(set), 0);
        QCOMPARE(decodeSetBoards(set, 2026), SetBoards{});
        RecordStore out;
        appendSetRecords(set, 0, 10, std::nullopt, QString(), 1, out);
        QCOMPARE(out.count(), 0);
    }

    void loggerFileReadsBack()
    {
        sim::LoggerSet source = loggerSet({900, 0x83A6, 1200}, 10);
        source.trailer = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 700};
        const QByteArray set = setBytes(source);
        const SetBoards boards = decodeSetBoards(set, 2026);
        RecordStore records;
        const QByteArrayView stamp = setTimestamp(set, StartStamp);
        appendSetRecords(set, 0, 3, timestampTime(stamp, 2026), timestampText(stamp, 2026), 10,
                         records);

        QTemporaryDir dir;
        const QString path = dir.filePath("set.kirv");
        QVERIFY(writeDataFile(path, loggerHeaderOf(boards, 10).lines(), records).ok());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("Data Logger\r\n10\r\nA\r\nFAST\r\n80-140\r\n100.6\r\n100.7\r\n"
                            "100.8\r\n100.9\r\n- - -\r\n100.3\r\n2009/03/04 08:30:05\r\n100.2\r\n"
                            "100.1\r\nNo.s\tDate Time\tdB\t\r\n"
                            "1\t2009/03/04 08:30:05\t90.0\t\r\n"
                            "2\t2009/03/04 08:30:15\t93.4*\t\r\n"
                            "3\t2009/03/04 08:30:25\t120.0\t\r\n"));
        const DataFileContent content = readDataFile(path);
        QVERIFY(content.ok());
        QCOMPARE(content.kind, DataFileKind::Logger);
        QCOMPARE(content.headerLines, loggerHeaderOf(boards, 10).lines());
        QCOMPARE(content.records.count(), 3);
        for (qsizetype i = 0; i < 3; ++i)
            QCOMPARE(content.records.record(i), records.record(i));
    }
};

QTEST_GUILESS_MAIN(TestLoggerCore)
#include "test_logger_core.moc"
