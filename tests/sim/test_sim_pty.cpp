// The virtual meter over its real pseudo-terminal, seen through QSerialPort as the program
// sees it.

#include "tests/sim/serial_client.h"

#include "sim/virtual_meter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace kirv::sim;

namespace {

constexpr int WaitMs = 5000; // ms, generous: the machine may be busy

const QByteArray Ack = QByteArrayLiteral("\x02\xFF\xFF\xFF\xFF\x03");

QByteArray keyCommand(int code)
{
    return QByteArray("K\0\0", 3) + char(code);
}

// True when the bytes, from their first start marker on, are whole frames and nothing else.
bool onlyWholeFrames(const QByteArray& bytes)
{
    const qsizetype first = bytes.indexOf('\x02');
    if (first < 0 || (bytes.size() - first) % 6 != 0)
        return false;
    for (qsizetype i = first; i < bytes.size(); i += 6) {
        if (bytes[i] != '\x02' || bytes[i + 5] != '\x03')
            return false;
    }
    return true;
}

int pointerOf(const QByteArray& reply)
{
    return quint8(reply[0]) << 16 | quint8(reply[1]) << 8 | quint8(reply[2]);
}

} // namespace

class TestSimPty : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void framesCarryTheSettings();
    void keyAfterAttention_data();
    void keyAfterAttention();
    void attentionWithoutKeyResumesStream();
    void settingsCommands();
    void intervalAndClock();
    void loggerExchange();
    void shortDumpStopsShort();
    void unpluggedMeterIsDeafAndMute();
    void faultsBreakTheAlignment_data();
    void faultsBreakTheAlignment();
    void pacedDumpRunsAtLineRate();
    void unpacedDumpIsFast();
    void clientCanReopenThePort();

private:
    // Waits until the newest frame is `frame`.
    bool waitForFrame(const QByteArray& frame)
    {
        if (QTest::qWaitFor([&] { return m_client->lastFrame() == frame; }, WaitMs))
            return true;
        qWarning() << "last frame" << m_client->lastFrame().toHex() << "wanted" << frame.toHex();
        return false;
    }

    std::unique_ptr<VirtualMeter> m_meter;
    std::unique_ptr<SerialClient> m_client;
};

void TestSimPty::init()
{
    m_meter = std::make_unique<VirtualMeter>();
    m_meter->setPaced(false);
    m_meter->setLevel(70.0);
    QString error;
    QVERIFY2(m_meter->start(&error), qPrintable(error));
    QVERIFY(m_meter->devicePath().startsWith("/dev/"));
    m_client = std::make_unique<SerialClient>();
    QVERIFY2(m_client->open(m_meter->devicePath()), qPrintable(m_client->error()));
}

void TestSimPty::cleanup()
{
    m_client.reset();
    m_meter.reset();
}

void TestSimPty::framesCarryTheSettings()
{
    // Default: range 60-120, A, FAST, run, 70.0 dB.
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));

    m_meter->setRangeCode(1);
    m_meter->setFreqWeighting(1);
    m_meter->setTimeWeighting(1);
    m_meter->setOver(true);
    m_meter->setMarked(true);
    m_meter->setLevel(93.4);
    QVERIFY(waitForFrame(QByteArray::fromHex("0281258" "3a603")));

    m_meter->setOver(false);
    m_meter->setMarked(false);
    m_meter->setUnder(true);
    m_meter->setRunState(RunState::Stop);
    m_meter->setFreqWeighting(3);
    m_meter->setTimeWeighting(2);
    QVERIFY(waitForFrame(QByteArray::fromHex("0201f203a603")));
    QVERIFY(m_meter->received().isEmpty());
}

void TestSimPty::keyAfterAttention_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("1 A/C") << 1 << QByteArray::fromHex("02022402bc03");
    QTest::newRow("2 Fast/Slow/Imp") << 2 << QByteArray::fromHex("02020502bc03");
    QTest::newRow("5 Run/Pause/Stop") << 5 << QByteArray::fromHex("02020802bc03");
    QTest::newRow("9 Up") << 9 << QByteArray::fromHex("02010402bc03");
    QTest::newRow("10 Down") << 10 << QByteArray::fromHex("02030402bc03");
    QTest::newRow("7 Date Time: no change") << 7 << QByteArray::fromHex("02020402bc03");
}

void TestSimPty::keyAfterAttention()
{
    QFETCH(int, key);
    QFETCH(QByteArray, frame);
    QSignalSpy keys(m_meter.get(), &VirtualMeter::keyPressed);
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));

    m_client->send("A");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().endsWith(Ack), WaitMs);
    m_client->clear();
    m_client->send(keyCommand(key));
    QTRY_COMPARE_WITH_TIMEOUT(keys.size(), 1, WaitMs);
    QCOMPARE(keys.front().front().toInt(), key);
    QVERIFY(waitForFrame(frame));
    QCOMPARE(m_meter->received(), QByteArray("A") + keyCommand(key));
}

void TestSimPty::attentionWithoutKeyResumesStream()
{
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));
    QElapsedTimer held;
    m_client->send("A");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().contains(Ack), WaitMs);
    held.start();
    m_client->clear();
    // The meter waits for its key, then streams again by itself.
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().size() >= 12, WaitMs);
    QVERIFY2(held.elapsed() >= 400, qPrintable(QString::number(held.elapsed())));
    QVERIFY(onlyWholeFrames(m_client->bytes()));
}

void TestSimPty::settingsCommands()
{
    QSignalSpy commands(m_meter.get(), &VirtualMeter::commandReceived);
    m_client->send("E");
    QVERIFY(waitForFrame(QByteArray::fromHex("02010402bc03")));
    m_client->send("F");
    m_client->send("F");
    QVERIFY(waitForFrame(QByteArray::fromHex("02030402bc03")));
    m_client->send("G");
    m_client->send("D");
    QVERIFY(waitForFrame(QByteArray::fromHex("02032502bc03")));
    QCOMPARE(commands.size(), 5);
    QCOMPARE(commands.at(4).front().value<char>(), 'D');
}

void TestSimPty::intervalAndClock()
{
    m_meter->setMode(Mode::Logger); // quiet line: the replies stand alone
    m_client->send(QByteArray("C\x00\x1e", 3));
    m_client->send("J");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().endsWith(QByteArray("\x00\x1e", 2)), WaitMs);
    QCOMPARE(m_meter->samplingInterval(), 30);

    const QDateTime set({2009, 5, 7}, {8, 30, 59});
    m_client->clear();
    m_client->send("B" + clockBytes(set));
    m_client->send("I");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().size(), 6, WaitMs);
    const QDateTime read = fromClockBytes(m_client->bytes());
    QVERIFY(read.isValid());
    QVERIFY(set.secsTo(read) >= 0 && set.secsTo(read) <= 5);
}

void TestSimPty::loggerExchange()
{
    m_meter->setMode(Mode::Logger);
    const QByteArray image = buildLoggerSets(sampleLoggerSets());
    const int p = 48 + int(image.size());
    QCOMPARE(m_meter->loggerPointer(), p);

    // The first "A" also waits out frames still on their way.
    m_client->send("A");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().size() >= 3
                                 && pointerOf(m_client->bytes().right(3)) == p, WaitMs);
    m_client->clear();
    m_client->send("L");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().toHex(), QByteArray("000200"), WaitMs);

    m_client->clear();
    m_client->send("K");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().size(), p - 46, WaitMs);
    QCOMPARE(m_client->bytes().mid(1, p - 48), image);

    m_client->clear();
    m_client->send("HA");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().toHex(), QByteArray("000030"), WaitMs);
    m_client->clear();
    m_client->send("K");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().size(), 2, WaitMs);

    // Any image the test likes: two sets of 3 and 1 records, P = 172.
    const QDateTime start({2009, 3, 4}, {8, 30, 5});
    const QList<LoggerSet> sets{makeLoggerSet(1, 0x00, 0x00, {600, 610, 620}, start),
                                makeLoggerSet(5, 0x21, 0x02, {0x83a6}, start.addSecs(60))};
    m_meter->setLoggerSets(sets);
    m_client->clear();
    m_client->send("AK");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().size(), 3 + 126, WaitMs);
    QCOMPARE(pointerOf(m_client->bytes()), 172);
    QCOMPARE(m_client->bytes().mid(4, 124), buildLoggerSets(sets));
    QCOMPARE(m_meter->received(), QByteArray("ALKHAKAK"));
}

void TestSimPty::shortDumpStopsShort()
{
    m_meter->setMode(Mode::Logger);
    m_meter->setShortDump(true);
    m_client->send("A");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().size() >= 3
                                 && pointerOf(m_client->bytes().right(3)) == m_meter->loggerPointer(),
                             WaitMs);
    m_client->clear();
    m_client->send("KL"); // the size reply marks the end of what the dump sent
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().endsWith(QByteArray("\x00\x02\x00", 3)), WaitMs);
    const qsizetype dumped = m_client->bytes().size() - 3;
    QVERIFY(dumped > 0 && dumped < m_meter->loggerPointer() - 46);
}

void TestSimPty::unpluggedMeterIsDeafAndMute()
{
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));
    m_meter->unplug();
    m_client->clear();
    m_client->send("A"); // no acknowledge from a pulled cable
    m_meter->sendCorruptFrame();
    m_meter->sendMisaligned();
    // Silence can only be shown by listening for a while: ten frame periods and more.
    QTest::qWait(300);
    QVERIFY(m_meter->received().isEmpty());
    QVERIFY(!m_client->bytes().contains(Ack));
    QVERIFY(m_client->bytes().size() <= 12); // at most frames that were already on the way
    QVERIFY(m_client->bytes().isEmpty() || onlyWholeFrames(m_client->bytes()));

    m_meter->plug();
    m_client->clear();
    m_meter->setLevel(71.0);
    QVERIFY(waitForFrame(QByteArray::fromHex("020204" "02c603")));
    m_client->send("A");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().endsWith(Ack), WaitMs);
    QCOMPARE(m_meter->received(), QByteArray("A"));
}

void TestSimPty::faultsBreakTheAlignment_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("none") << "none";
    QTest::newRow("noise") << "noise";
    QTest::newRow("misaligned") << "misaligned";
    QTest::newRow("corrupt") << "corrupt";
}

void TestSimPty::faultsBreakTheAlignment()
{
    QFETCH(QString, fault);
    m_meter->setFrameInterval(5);
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));
    m_client->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!m_client->bytes().isEmpty(), WaitMs); // start on a frame boundary
    m_client->clear();
    if (fault == "noise")
        m_meter->setNoise(true);
    else if (fault == "misaligned")
        m_meter->sendMisaligned();
    else if (fault == "corrupt")
        m_meter->sendCorruptFrame();
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().size() >= 300, WaitMs);
    QCOMPARE(onlyWholeFrames(m_client->bytes()), fault == "none");
    // Whatever the fault, whole frames keep coming after it.
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));
}

void TestSimPty::pacedDumpRunsAtLineRate()
{
    m_meter->setPaced(true);
    m_meter->setMode(Mode::Logger);
    m_meter->setStoredData(QByteArray(3840, '\x5a'));
    m_client->send("A");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().size() >= 3
                                 && pointerOf(m_client->bytes().right(3)) == 48 + 3840,
                             WaitMs);
    m_client->clear();
    QElapsedTimer clock;
    clock.start();
    m_client->send("K");
    const int total = 3840 + 2;
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().size() >= total / 2, WaitMs);
    const qint64 half = clock.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(m_client->bytes().size(), total, 4 * WaitMs);
    const qint64 all = clock.elapsed();
    // One second at 3840 bytes/s; never faster than the line, and not wildly slower.
    QVERIFY2(half >= 400 && all >= 900, qPrintable(QStringLiteral("%1 %2").arg(half).arg(all)));
    QVERIFY2(all < 4000, qPrintable(QString::number(all)));
}

void TestSimPty::unpacedDumpIsFast()
{
    m_meter->setMode(Mode::Logger);
    m_meter->setMemorySize(4);
    const QByteArray data(200000, '\x33'); // 52 s at the line rate; more than the pty holds
    m_meter->setStoredData(data);
    QElapsedTimer clock;
    clock.start();
    m_client->send("K");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->bytes().endsWith(QByteArray(2000, '\x33') + '\xff'),
                             4 * WaitMs);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_client->bytes().right(200002).mid(1, 200000), data);
}

void TestSimPty::clientCanReopenThePort()
{
    // The program closing its port must not end the meter's line.
    QVERIFY(waitForFrame(QByteArray::fromHex("02020402bc03")));
    m_client.reset();
    m_client = std::make_unique<SerialClient>();
    QVERIFY2(m_client->open(m_meter->devicePath()), qPrintable(m_client->error()));
    m_client->clear();
    m_meter->setLevel(55.5);
    QVERIFY(waitForFrame(QByteArray::fromHex("020204" "022b03")));
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_sim_pty.moc"
