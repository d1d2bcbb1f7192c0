// The logger exchanges on an in-memory link: exact bytes written, bounded retries, the dump.
#include "kirv/logger/logger_exchange.h"
#include "kirv/meter/serial_link.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace kirv;
using namespace kirv::logger;

Q_DECLARE_METATYPE(kirv::logger::MemoryQuery::Outcome)

namespace {

// Plays the logger: answers "A" and "L" from queues (the last answer repeats).
void answer(MemoryLink& link, QList<QByteArray> pointerReplies, QList<QByteArray> sizeReplies)
{
    link.setResponder([=](MemoryLink& l, const QByteArray& written) mutable {
        QList<QByteArray>& queue = written == "A" ? pointerReplies : sizeReplies;
        if (written != "A" && written != "L")
            return;
        l.feed(queue.size() > 1 ? queue.takeFirst() : queue.value(0));
    });
}

const QByteArray P1000("\x00\x03\xE8", 3);
const QByteArray k128K("\x00\x02\x00", 3);

} // namespace

class TestLoggerExchange : public QObject
{
    Q_OBJECT
private slots:
    void query_data()
    {
        QTest::addColumn<QList<QByteArray>>("pointers");
        QTest::addColumn<QList<QByteArray>>("sizes");
        QTest::addColumn<MemoryQuery::Outcome>("outcome");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("pointer");
        QTest::newRow("P 48") << QList<QByteArray>{QByteArray("\x00\x00\x30", 3)}
                              << QList<QByteArray>{k128K} << MemoryQuery::Empty << QByteArray("A")
                              << 48;
        QTest::newRow("P 32") << QList<QByteArray>{QByteArray("\x00\x00\x20", 3)}
                              << QList<QByteArray>{k128K} << MemoryQuery::BadPointer
                              << QByteArray("A") << 32;
        QTest::newRow("ready") << QList<QByteArray>{P1000} << QList<QByteArray>{k128K}
                               << MemoryQuery::Ready << QByteArray("AL") << 1000;
        QTest::newRow("two bytes to A") << QList<QByteArray>{"\x00\x03", P1000}
                                        << QList<QByteArray>{k128K} << MemoryQuery::Ready
                                        << QByteArray("AAL") << 1000;
        QTest::newRow("four bytes to L")
            << QList<QByteArray>{P1000} << QList<QByteArray>{k128K + "x", k128K}
            << MemoryQuery::Ready << QByteArray("ALAL") << 1000;
        QTest::newRow("beyond the memory")
            << QList<QByteArray>{QByteArray("\x02\x00\x01", 3)} << QList<QByteArray>{k128K}
            << MemoryQuery::BadPointer << QByteArray("AL") << 131073;
    }
    void query()
    {
        QFETCH(QList<QByteArray>, pointers);
        QFETCH(QList<QByteArray>, sizes);
        QFETCH(MemoryQuery::Outcome, outcome);
        QFETCH(QByteArray, written);
        QFETCH(int, pointer);
        MemoryLink link;
        link.feed("stale"); // drained before every command
        answer(link, pointers, sizes);
        const MemoryQuery q = queryMemory(link, this);
        QCOMPARE(q.outcome, outcome);
        QCOMPARE(link.written(), written);
        QCOMPARE(q.pointer, pointer);
        if (outcome == MemoryQuery::Ready)
            QCOMPARE(q.sizeUnits, 2);
    }

    void silentMeterGivesUp()
    {
        MemoryLink link;
        QElapsedTimer clock;
        clock.start();
        const MemoryQuery q = queryMemory(link, this, 0.3);
        QCOMPARE(q.outcome, MemoryQuery::NoReply);
        QVERIFY(clock.elapsed() >= 300);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(link.written().size() > 3);
        QCOMPARE(link.written(), QByteArray(link.written().size(), 'A'));
    }

    void dumpArrivesInPieces()
    {
        MemoryLink link;
        const QByteArray image = QByteArray(100, 'x');
        link.setResponder([&](MemoryLink& l, const QByteArray& written) {
            if (written != "K")
                return;
            QTimer::singleShot(30, &l, [&] { l.feed(image.left(30)); });
            QTimer::singleShot(60, &l, [&] { l.feed(image.mid(30) + "extra"); });
        });
        QList<qint64> reports;
        const DumpResult r =
            dumpMemory(link, 100, [&](qint64 n) { reports.append(n); }, {}, this);
        QCOMPARE(r.outcome, DumpResult::Complete);
        QCOMPARE(link.written(), QByteArray("K"));
        QVERIFY(r.bytes.startsWith(image));
        QCOMPARE(reports, (QList<qint64>{0, 30, 100}));
    }

    void dumpThatStopsIsStalled()
    {
        MemoryLink link;
        link.setResponder([](MemoryLink& l, const QByteArray&) { l.feed(QByteArray(40, 'x')); });
        const DumpResult r = dumpMemory(link, 100, {}, {}, this, 0.2);
        QCOMPARE(r.outcome, DumpResult::Stalled);
        QCOMPARE(r.bytes.size(), 40);
    }

    void dumpStopsWhenTold()
    {
        MemoryLink link;
        bool closed = false;
        QTimer::singleShot(50, this, [&] { closed = true; });
        const DumpResult r = dumpMemory(link, 100, {}, [&] { return closed; }, this);
        QCOMPARE(r.outcome, DumpResult::Cancelled);
    }

    void eraseSendsH()
    {
        MemoryLink link;
        link.feed("pending");
        QVERIFY(eraseMemory(link, this));
        QCOMPARE(link.written(), QByteArray("H"));
    }
};

QTEST_GUILESS_MAIN(TestLoggerExchange)
#include "test_logger_exchange.moc"
