// The live poll and its link recovery on the in-memory link: a silent line and a device that
// goes away and comes back, and writes the port does not take.
#include "kirv/meter/exchange.h"
#include "kirv/meter/live_poll.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace kirv;

namespace {

const QByteArray LiveFrame = QByteArray::fromHex("020100" "03a603");
const QByteArray Acknowledge = QByteArray::fromHex("02ffffffff03");

// What the poll said, in order: "frame", "lost:REASON", "device back", "link back".
struct PollLog
{
    QStringList said;
    explicit PollLog(LivePoll& poll)
    {
        QObject::connect(&poll, &LivePoll::frameTaken, &poll, [this] {
            if (said.isEmpty() || said.last() != "frame")
                said << "frame";
        });
        QObject::connect(&poll, &LivePoll::linkLost, &poll, [this](const QString& r) { said << "lost:" + r; });
        QObject::connect(&poll, &LivePoll::deviceBack, &poll, [this] { said << "device back"; });
        QObject::connect(&poll, &LivePoll::linkBack, &poll, [this] { said << "link back"; });
    }
};

} // namespace

class TestLivePoll : public QObject
{
    Q_OBJECT
private slots:
    // A silent meter keeps its port; a gone device is opened again, once a second, until it is
    // there, and the poll goes on with its frames.
    void recovery_data()
    {
        QTest::addColumn<bool>("vanish");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("silent line") << false << QStringList{"frame", "lost:", "link back", "frame"};
        QTest::newRow("device gone") << true
                                     << QStringList{"frame", "lost:No such device", "device back", "link back", "frame"};
    }
    void recovery()
    {
        QFETCH(bool, vanish);
        QFETCH(QStringList, said);
        MemoryLink link;
        QVERIFY(link.open(QStringLiteral("/dev/meter"), QString::fromLatin1(MeterLineSettings)));
        LivePoll poll(link);
        PollLog log(poll);
        QTimer timer1;
        connect(&timer1, &QTimer::timeout, &poll, &LivePoll::tick);
        timer1.start(200);

        // The meter, played every 20 ms from inside the poll's own waits: frames at first, then
        // silence (or no device at all), then frames again once the device has been tried twice.
        enum Phase { Streaming, Away, Back } phase = Streaming;
        int framesSeen = 0, attemptsAtLoss = 0;
        qint64 twoAttemptsMs = -1;
        QElapsedTimer away;
        connect(&poll, &LivePoll::frameTaken, &poll, [&] { ++framesSeen; });
        connect(&poll, &LivePoll::linkLost, &poll, [&] {
            attemptsAtLoss = link.openAttempts();
            away.start();
        });
        QTimer meter;
        connect(&meter, &QTimer::timeout, &link, [&] {
            if (phase == Streaming && framesSeen >= 2) {
                phase = Away;
                if (vanish)
                    link.vanish();
            } else if (phase == Away && away.isValid() &&
                       (!vanish || link.openAttempts() >= attemptsAtLoss + 2)) {
                twoAttemptsMs = away.elapsed();
                QVERIFY(!vanish || !link.isOpen());
                link.setAway(false);
                phase = Back;
            }
            if (phase != Away && link.isOpen())
                link.feed(LiveFrame);
        });
        meter.start(20);

        QTRY_COMPARE_WITH_TIMEOUT(log.said, said, 8000);
        // While the device is away it is tried about once a second, not in a loop.
        if (vanish)
            QVERIFY2(twoAttemptsMs >= 1500, qPrintable(QString::number(twoAttemptsMs)));
        QVERIFY(!poll.recovering());
        QVERIFY(link.isOpen());
        QVERIFY(link.written().isEmpty());
    }

    // A command the port does not take whole is an error of the exchange, never sent.
    void writeNotTaken_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("onTheKey"); // the limit comes after the attention's acknowledge
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("attention fails") << qint64(-1) << false << QByteArray();
        QTest::newRow("attention takes nothing") << qint64(0) << false << QByteArray();
        QTest::newRow("key short") << qint64(2) << true << QByteArray("AK\x00", 3);
        QTest::newRow("key fails") << qint64(-1) << true << QByteArray("A");
    }
    void writeNotTaken()
    {
        QFETCH(qint64, limit);
        QFETCH(bool, onTheKey);
        QFETCH(QByteArray, written);
        MemoryLink link;
        QVERIFY(link.open(QStringLiteral("/dev/meter"), QString::fromLatin1(MeterLineSettings)));
        if (onTheKey) {
            link.setResponder([limit](MemoryLink& l, const QByteArray& bytes) {
                if (bytes == protocol::AttentionCommand) {
                    l.feed(Acknowledge);
                    l.limitWrites(limit);
                }
            });
        } else {
            link.limitWrites(limit);
        }
        QCOMPARE(int(pressKey(link, 3, this)), int(ExchangeResult::Failed));
        QCOMPARE(link.written(), written);
    }
};

QTEST_GUILESS_MAIN(TestLivePoll)
#include "test_live_poll.moc"
