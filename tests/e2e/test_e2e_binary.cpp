// The built programs together: kirv on the pty of kirv-meter-sim, read through kirv's own
// protocol log; and kirv's command line.
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

namespace {
const QString Bin = QStringLiteral(KIRV_BIN_DIR);
}

class TestE2eBinary : public QObject
{
    Q_OBJECT
private slots:
    void kirvFollowsTheSimulator()
    {
        QProcess sim;
        sim.start(Bin + "/kirv-meter-sim", {"--unpaced"});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
        const QString first = QString::fromLatin1(sim.readLine()).trimmed();
        QVERIFY2(first.startsWith("kirv-meter-sim: /dev/"), qPrintable(first));
        const QString pty = first.section(' ', 1);
        sim.write("level 70\nrange 2\n");

        QProcess kirv;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "kirv.serial.debug=true;kirv.serial.info=true");
        kirv.setProcessEnvironment(env);
        kirv.setProcessChannelMode(QProcess::SeparateChannels);
        kirv.start(Bin + "/kirv", {"--port", pty, "--com", "COM1"});
        QVERIFY(kirv.waitForStarted());
        QByteArray log;
        // Range code 2 (60-120), status 04 (running), 70.0 dB = 0x02bc: the frame the panel takes.
        QTRY_VERIFY_WITH_TIMEOUT((log += kirv.readAllStandardError()).contains("rx 02 02 04 02 bc 03"), 15000);
        QVERIFY(log.contains("opened " + pty.toLatin1()));
        QCOMPARE(kirv.state(), QProcess::Running);
        kirv.terminate();
        QVERIFY(kirv.waitForFinished(10000));
        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(10000));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("platform");
        for (const QString platform : {"offscreen", "xcb"}) { // xcb with no display to reach
            QTest::addRow("help %s", qPrintable(platform)) << QStringList{"--help"} << 0 << "Usage: kirv [options]" << platform;
            QTest::addRow("version %s", qPrintable(platform)) << QStringList{"--version"} << 0 << "kirv 7.0\n" << platform;
            QTest::addRow("bad option %s", qPrintable(platform)) << QStringList{"--bogus"} << 2 << "Unknown option" << platform;
        }
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QProcess kirv;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", platform);
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        kirv.setProcessEnvironment(env);
        kirv.start(Bin + "/kirv", arguments);
        QVERIFY(kirv.waitForFinished(10000));
        QTEST(kirv.exitCode(), "exitCode");
        QFETCH(QString, output);
        const QString printed = QString::fromLocal8Bit(kirv.readAllStandardOutput() + kirv.readAllStandardError());
        QVERIFY2(printed.contains(output), qPrintable(printed));
    }
};

QTEST_GUILESS_MAIN(TestE2eBinary)
#include "test_e2e_binary.moc"
