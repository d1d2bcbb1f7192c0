// kirv-meter-sim as a separate process: its path line, its commands, its end.

#include "tests/sim/serial_client.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {
constexpr int WaitMs = 5000;
}

class TestSimCli : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void levelCommandReachesThePort();
    void commandsAnswerOneLineEach_data();
    void commandsAnswerOneLineEach();
    void endOfInputQuits();

private:
    QString readLine()
    {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(WaitMs))
            return {};
        while (!m_process.canReadLine() && m_process.waitForReadyRead(WaitMs)) {
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    QString command(const QByteArray& line)
    {
        m_process.write(line + '\n');
        return readLine();
    }

    QProcess m_process;
    QString m_path;
};

void TestSimCli::init()
{
    m_process.start(QStringLiteral(KIRV_METER_SIM), {QStringLiteral("--unpaced"),
                                                     QStringLiteral("--interval"),
                                                     QStringLiteral("10")});
    QVERIFY(m_process.waitForStarted(WaitMs));
    const QString first = readLine();
    QVERIFY2(first.startsWith("kirv-meter-sim: /dev/"), qPrintable(first));
    m_path = first.section(' ', 1);
}

void TestSimCli::cleanup()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.write("quit\n");
        if (!m_process.waitForFinished(WaitMs))
            m_process.kill();
        m_process.waitForFinished(WaitMs);
    }
}

void TestSimCli::levelCommandReachesThePort()
{
    SerialClient client;
    QVERIFY2(client.open(m_path), qPrintable(client.error()));
    QCOMPARE(command("level 70"), QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(client.lastFrame().toHex(), QByteArray("02020402bc03"), WaitMs);
    QCOMPARE(command("range 0"), QStringLiteral("ok"));
    QCOMPARE(command("weighting AA"), QStringLiteral("ok"));
    QCOMPARE(command("marked on"), QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(client.lastFrame().toHex(), QByteArray("020064" "82bc03"), WaitMs);

    QCOMPARE(command("mode logger"), QStringLiteral("ok"));
    client.send("L");
    QTRY_VERIFY_WITH_TIMEOUT(client.bytes().endsWith(QByteArray("\x00\x02\x00", 3)), WaitMs);

    m_process.write("quit\n");
    QVERIFY(m_process.waitForFinished(WaitMs));
    QCOMPARE(m_process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process.exitCode(), 0);
}

void TestSimCli::commandsAnswerOneLineEach_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("answer");
    QTest::newRow("pattern") << QByteArray("pattern traffic") << "ok";
    QTest::newRow("time") << QByteArray("time imp") << "ok";
    QTest::newRow("state") << QByteArray("state pause") << "ok";
    QTest::newRow("unplug") << QByteArray("unplug") << "ok";
    QTest::newRow("shortdump") << QByteArray("shortdump on") << "ok";
    QTest::newRow("interval") << QByteArray("interval 60") << "ok";
    QTest::newRow("interval 0") << QByteArray("interval 0") << "error: bad command 'interval 0' (try help)";
    QTest::newRow("unknown") << QByteArray("explode") << "error: bad command 'explode' (try help)";
    QTest::newRow("range beyond 5") << QByteArray("range 6") << "error: bad command 'range 6' (try help)";
    QTest::newRow("level not a number") << QByteArray("level loud") << "error: bad command 'level loud' (try help)";
    QTest::newRow("flag not on/off") << QByteArray("noise maybe") << "error: bad command 'noise maybe' (try help)";
    QTest::newRow("extra word") << QByteArray("plug in") << "error: bad command 'plug in' (try help)";
}

void TestSimCli::commandsAnswerOneLineEach()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, answer);
    QCOMPARE(command(line), answer);
    if (line == "interval 60") // the status ends with the interval and the meter clock
        QVERIFY(QRegularExpression(QStringLiteral(", interval 60 s, clock 20\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(command("status"))
                    .hasMatch());
    // The next command is answered on its own line: nothing was left over.
    QVERIFY(command("status").startsWith("mode measuring, "));
    QVERIFY(command("help").startsWith("commands: "));
}

void TestSimCli::endOfInputQuits()
{
    QCOMPARE(command("status").left(15), QStringLiteral("mode measuring,"));
    m_process.closeWriteChannel();
    QVERIFY(m_process.waitForFinished(WaitMs));
    QCOMPARE(m_process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSimCli)
#include "test_sim_cli.moc"
