// Exchanges with a meter played on the in-memory link: what the program writes, byte for byte,
// and how it treats what the meter sends.
#include "kirv/meter/delay.h"
#include "kirv/meter/exchange.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

#include <QElapsedTimer>
#include <optional>
#include <QTimer>
#include <QtTest>

using namespace kirv;

namespace {

const QByteArray LiveFrame = QByteArray::fromHex("020100" "03a603");
const QByteArray OtherPort = QByteArray::fromHex("020400" "025803");

// Plays a meter on the link: sends the chunks in turn, one every 20 ms, until stopped.
class Streamer : public QObject
{
public:
    Streamer(MemoryLink& link, QByteArray frame) : Streamer(link, QList<QByteArray>{std::move(frame)}) {}
    Streamer(MemoryLink& link, QList<QByteArray> chunks) : m_link(link), m_chunks(std::move(chunks))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { m_link.feed(m_chunks[m_next++ % m_chunks.size()]); });
        m_timer.start(20);
    }
    void stop() { m_timer.stop(); }

private:
    MemoryLink& m_link;
    QList<QByteArray> m_chunks;
    qsizetype m_next = 0;
    QTimer m_timer;
};

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    void liveFrameIsTheNewest()
    {
        MemoryLink link;
        link.feed(OtherPort + OtherPort); // a backlog is drained, never shown
        Streamer meter(link, LiveFrame);
        const FrameResult r = takeLiveFrame(link, this);
        QCOMPARE(int(r.result), int(ExchangeResult::Done));
        QCOMPARE(r.frame, LiveFrame);
    }

    void misalignedBuffersAreDropped_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("taken");
        QTest::newRow("tail of a frame") << LiveFrame.mid(2) + LiveFrame.left(3) << OtherPort;
        QTest::newRow("noise") << QByteArray("\x55\xAA\x01\x02\x04\x05\x06", 7) << OtherPort;
        QTest::newRow("a frame, then one cut") << LiveFrame + LiveFrame.left(5) << LiveFrame;
        QTest::newRow("a frame, then a stray byte") << LiveFrame + '\x55' << LiveFrame;
    }
    void misalignedBuffersAreDropped()
    {
        QFETCH(QByteArray, first);
        MemoryLink link;
        QTimer::singleShot(30, &link, [&] { link.feed(first); });
        QTimer::singleShot(120, &link, [&] { link.feed(OtherPort); });
        const FrameResult r = takeLiveFrame(link, this);
        QCOMPARE(int(r.result), int(ExchangeResult::Done));
        QTEST(r.frame, "taken");
    }

    void framesAmongNoiseAreNoLostLink_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::newRow("a stray byte after every frame") << QList<QByteArray>{LiveFrame + '\x55'};
        QTest::newRow("frames split over two reads")
            << QList<QByteArray>{QByteArray(4, '\x55') + LiveFrame.left(2), LiveFrame.mid(2) + QByteArray(2, '\x55')};
    }
    // Ten polls in a row on such a line: every one takes the live frame.
    void framesAmongNoiseAreNoLostLink()
    {
        QFETCH(QList<QByteArray>, chunks);
        MemoryLink link;
        Streamer meter(link, chunks);
        for (int poll = 0; poll < 10; ++poll) {
            const FrameResult r = takeLiveFrame(link, this);
            QCOMPARE(int(r.result), int(ExchangeResult::Done));
            QCOMPARE(r.frame, LiveFrame);
        }
    }

    void silenceTimesOut()
    {
        MemoryLink link;
        QElapsedTimer clock;
        clock.start();
        const FrameResult r = takeLiveFrame(link, this);
        QCOMPARE(int(r.result), int(ExchangeResult::TimedOut));
        QVERIFY2(clock.elapsed() >= 900, "the poll gives the meter about a second");
    }

    void noiseAloneIsALostLink()
    {
        MemoryLink link;
        QTimer noise;
        connect(&noise, &QTimer::timeout, this, [&] { link.feed(QByteArray("\x10\x20\x30\x40\x50\x60\x70", 7)); });
        noise.start(15);
        const FrameResult r = takeLiveFrame(link, this);
        QCOMPARE(int(r.result), int(ExchangeResult::TimedOut));
    }

    void recoveryWaitsForAFrame()
    {
        MemoryLink link;
        QTimer::singleShot(50, this, [&] { link.feed(QByteArray(10, '\x7f')); });
        QTimer::singleShot(150, this, [&] { link.feed(LiveFrame); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(waitForFrames(link, this)), int(ExchangeResult::Done));
        QVERIFY(clock.elapsed() >= 140);
    }

    void attentionIgnoresLiveFramesUntilTheAcknowledgeIsLast()
    {
        MemoryLink link;
        Streamer meter(link, LiveFrame);
        int attentions = 0;
        link.setResponder([&](MemoryLink& l, const QByteArray& written) {
            if (written != protocol::AttentionCommand)
                return;
            if (++attentions == 3) { // the meter answers the third "A" and stops streaming
                meter.stop();
                l.feed(LiveFrame + protocol::Acknowledge);
            }
        });
        QCOMPARE(int(MeterAttention(link, this)), int(ExchangeResult::Done));
        QCOMPARE(link.written(), QByteArray("AAA"));
    }

    void attentionAfterAnAcknowledgeFollowedByAFrame()
    {
        // An acknowledge that is not last (a frame came after it) does not count.
        MemoryLink link;
        int attentions = 0;
        link.setResponder([&](MemoryLink& l, const QByteArray&) {
            ++attentions;
            l.feed(attentions == 1 ? protocol::Acknowledge + LiveFrame : protocol::Acknowledge);
        });
        QCOMPARE(int(MeterAttention(link, this)), int(ExchangeResult::Done));
        QCOMPARE(attentions, 2);
    }

    void keyBytes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("bytes");
        for (int code = 1; code <= 10; ++code)
            QTest::addRow("key %d", code) << code << (QByteArray("A") + QByteArray::fromHex("4b0000") + char(code));
    }
    void keyBytes()
    {
        QFETCH(int, code);
        MemoryLink link;
        link.setResponder([](MemoryLink& l, const QByteArray& written) {
            if (written == protocol::AttentionCommand)
                l.feed(protocol::Acknowledge);
        });
        QCOMPARE(int(pressKey(link, code, this)), int(ExchangeResult::Done));
        QTEST(link.written(), "bytes");
    }

    void unansweredKeyGivesUpAfterASecond_data()
    {
        QTest::addColumn<bool>("streaming");
        QTest::newRow("meter streams but never acknowledges") << true;
        QTest::newRow("meter silent") << false;
    }
    void unansweredKeyGivesUpAfterASecond()
    {
        QFETCH(bool, streaming);
        MemoryLink link;
        std::optional<Streamer> meter;
        if (streaming)
            meter.emplace(link, LiveFrame);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(pressKey(link, protocol::KeyDown, this)), int(ExchangeResult::TimedOut));
        QVERIFY2(clock.elapsed() >= 900 && clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(link.written(), QByteArray(AttentionTries, 'A')); // one every 0.2 s, never "K"
    }

    void delayWaitsAndEndsWithItsOwner()
    {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(Delay(0.05));
        QVERIFY(clock.elapsed() >= 45);

        auto* owner = new QObject;
        QTimer::singleShot(20, owner, [owner] { delete owner; });
        clock.restart();
        QVERIFY(!Delay(5.0, owner));
        QVERIFY(clock.elapsed() < 4000);
    }

    void settingsParse()
    {
        LineSettings s;
        QVERIFY(LineSettings::parse(QString::fromLatin1(MeterLineSettings), &s));
        QCOMPARE(s.baud, 38400);
        QCOMPARE(s.parity, 'n');
        QCOMPARE(s.dataBits, 8);
        QCOMPARE(s.stopBits, 1);
        QVERIFY(!LineSettings::parse(QStringLiteral("38400,x,8,1"), &s));
        QVERIFY(!LineSettings::parse(QStringLiteral("38400,n,8"), &s));
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
