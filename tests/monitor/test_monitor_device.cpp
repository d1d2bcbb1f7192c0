// kirv-monitor on a meter whose device disappears and comes back behind the same stable name,
// as a USB adapter does when it is pulled out and plugged in again.
#include "tests/monitor/monitor_fixture.h"

#include <QElapsedTimer>

using namespace monitortest;

class TestMonitorDevice : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Gone: said at once, the day's part completed, next to no CPU while away. Back within
    // seconds of its return, in the next part, no sample lost before or taken twice after.
    void deviceVanishesAndReturns()
    {
        const QString link = m_dir.filePath("meter");
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 66.6"}, {"--unpaced", "--link", link}));
        Monitor monitor; // on the machine's own clock: the CPU is measured in real seconds
        QVERIFY(monitor.begin({"--port", link, "--dir", m_dir.path(), "--station", "v"}));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "v") >= 3; }));

        sim.send({"vanish"});
        QVERIFY(monitor.waitMatch(QStringLiteral("device %1 gone \\(.+\\)").arg(QRegularExpression::escape(link)), 3000)
                    .hasMatch());
        const auto lost = monitor.waitMatch("link lost at (.+)");
        const auto part1 = monitor.waitMatch("completed (.+) \\((\\d+) records\\)");
        QVERIFY(part1.hasMatch());

        // The measurement window the station must idle through: ten seconds with the device away.
        const double cpuBefore = cpuSeconds(monitor.processId());
        QElapsedTimer window;
        window.start();
        QTest::qWait(10000);
        const double share = (cpuSeconds(monitor.processId()) - cpuBefore) / (window.elapsed() / 1000.0);
        QVERIFY2(cpuBefore >= 0 && share < 0.02, qPrintable(QString::number(share)));

        sim.send({"return"});
        QElapsedTimer back;
        back.start();
        const auto linkBack = monitor.waitMatch("link back at (.+)", 5000);
        QVERIFY2(linkBack.hasMatch() && back.elapsed() < 5000, qPrintable(monitor.lines.join('\n')));
        QVERIFY(monitor.lines.contains("device " + link + " back"));
        const auto part2 = monitor.waitMatch("recording into (.+-2\\.kirv)");
        QVERIFY(part2.hasMatch());
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "v") >= 2; }));
        QVERIFY(monitor.end());

        const QStringList before = recordTimes(part1.captured(1));
        const QStringList after = recordTimes(part2.captured(1));
        QCOMPARE(before.size(), part1.captured(2).toInt());
        QVERIFY(oneASecond(before) && oneASecond(after));
        QVERIFY(stamp(before.last()) <= stamp(lost.captured(1)));
        QVERIFY(stamp(after.first()) >= stamp(linkBack.captured(1)));
    }
};

QTEST_GUILESS_MAIN(TestMonitorDevice)
#include "test_monitor_device.moc"
