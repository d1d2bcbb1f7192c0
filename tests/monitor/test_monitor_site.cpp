// kirv-monitor as a site runs it: the virtual meter on its pty, a real mosquitto broker, and
// the site's clock sped up by libfaketime across midnight, crashes, cable pulls and outages.
#include "tests/monitor/monitor_fixture.h"

#include <QDateTime>

#include <csignal>

using namespace monitortest;


class TestMonitorSite : public QObject, SiteFolder
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (faketimeLibrary().isEmpty())
            QSKIP("libfaketime is missing (apt-get install faketime)");
    }

    // What stops it at the start is said in one line, with the exit code systemd acts on.
    void refusesToStart()
    {
        Monitor missing;
        QVERIFY(missing.begin(args("x", "/dev/kirv-no-such-port")));
        QVERIFY(missing.waitForFinished(WaitMs));
        QCOMPARE(missing.exitCode(), 1);
        QCOMPARE(missing.lines, QStringList({"No device found, try again! /dev/kirv-no-such-port: no such device. "
                                             "Check that the meter's cable is plugged in."}));

        // A CA file the TLS library cannot take would only show as a connection never made.
        QFile garbage(path("garbage.pem"));
        QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("not a certificate\n") > 0);
        garbage.close();
        Monitor untrusted;
        QVERIFY(untrusted.begin(args("x", "/dev/kirv-no-such-port", {"--mqtt", "127.0.0.1", "--mqtt-tls", garbage.fileName()})));
        QVERIFY(untrusted.waitForFinished(WaitMs));
        QCOMPARE(untrusted.exitCode(), 2);
        QCOMPARE(untrusted.lines, QStringList({"--mqtt-tls " + garbage.fileName() + ": not a CA certificate file"}));

        Sim sim;
        QVERIFY(sim.begin({}));
        Monitor first;
        QVERIFY(first.begin(args("twice", sim.pty)));
        QVERIFY(first.waitMatch("port .* open .*").hasMatch());
        Monitor second;
        QVERIFY(second.begin(args("twice", sim.pty)));
        QVERIFY(second.waitForFinished(WaitMs));
        QCOMPARE(second.exitCode(), 1);
        QCOMPARE(second.lines, QStringList({QStringLiteral("Station twice is already recorded into %1 (process %2)")
                                                .arg(m_dir.path()).arg(first.processId())}));
        QVERIFY(first.end());
    }

    // SIGTERM (systemd) and SIGHUP (a closed terminal) complete the day; a day that cannot be
    // completed is a failure, its scratch file kept.
    void stopCompletesTheDay_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("term") << int(SIGTERM) << false << 0;
        QTest::newRow("hangup") << int(SIGHUP) << false << 0;
        QTest::newRow("unwritable") << int(SIGTERM) << true << 1;
    }
    void stopCompletesTheDay()
    {
        QFETCH(int, signal);
        QFETCH(bool, blocked);
        const QString station = QStringLiteral("stop-") + QTest::currentDataTag();
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 60.0"}));
        Monitor monitor;
        QVERIFY(monitor.begin(args(station, sim.pty), "2026-06-15 11:00:00"));
        const QString day = path(station + "-20260615.kirv");
        QVERIFY(monitor.waitLine("recording into " + day));
        if (blocked) // a folder where the file is due: it cannot be written
            QVERIFY(QDir().mkpath(day + "/in-the-way"));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), station) >= 2; }));
        ::kill(pid_t(monitor.processId()), signal);
        QVERIFY(monitor.waitForFinished(WaitMs));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QTEST(monitor.exitCode(), "exitCode");
        const QString scratch = path("." + station + "/Fake");
        if (blocked) {
            QCOMPARE(monitor.lines.last(), "stopped; the day's records stay in " + scratch);
            QVERIFY(scratchRecords(m_dir.path(), station) >= 2);
        } else {
            QVERIFY2(oneASecond(recordTimes(day)), qPrintable(monitor.lines.join('\n')));
            QVERIFY(!QFile::exists(scratch));
        }
    }

    void dayFileCompletesAtMidnight()
    {
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 71.5"}));
        Monitor monitor;
        QVERIFY(monitor.begin(args("mid", sim.pty), "2026-12-08 23:59:54"));
        const QString first = path("mid-20261208.kirv");
        const QString second = path("mid-20261209.kirv");
        QVERIFY(monitor.waitMatch(QStringLiteral("completed %1 \\(\\d+ records\\)").arg(first)).hasMatch());
        QVERIFY(monitor.waitLine("recording into " + second));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "mid") >= 3; }));
        QVERIFY(monitor.end());
        QVERIFY(monitor.waitMatch(QStringLiteral("completed %1 \\(\\d+ records\\)").arg(second)).hasMatch());

        const QStringList before = recordTimes(first);
        const QStringList after = recordTimes(second);
        QVERIFY2(!before.isEmpty() && !after.isEmpty(), qPrintable(monitor.lines.join('\n')));
        QCOMPARE(before.last(), "2026/12/08 23:59:59");
        QCOMPARE(after.first(), "2026/12/09 00:00:00");
        QVERIFY2(oneASecond(before + after), qPrintable((before + after).join(',')));
        const kirv::DataFileContent content = kirv::readDataFile(first);
        QCOMPARE(content.headerLines.mid(1, 4), QStringList({"1", "A", "FAST", "60-120"}));
        QCOMPARE(content.headerLine(kirv::RealTimeMaxLevelLine), "71.5");
        QCOMPARE(content.headerLine(kirv::RealTimeLeqLine), "71.5");
    }

    void killedRunIsCompletedAtTheNextStart()
    {
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 64.0"}));
        int recorded = 0;
        {
            Monitor monitor;
            QVERIFY(monitor.begin(args("k", sim.pty), "2026-06-15 12:00:00"));
            QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "k") >= 4; }));
            monitor.kill();
            QVERIFY(monitor.waitForFinished());
            recorded = scratchRecords(m_dir.path(), "k");
        }
        Monitor again;
        QVERIFY(again.begin(args("k", sim.pty), "2026-06-15 13:00:00"));
        const QString left = path("k-20260615.kirv");
        QVERIFY2(again.waitLine(QStringLiteral("completed the recording an earlier run left: %1 (%2 records)")
                                    .arg(left).arg(recorded)),
                 qPrintable(again.lines.join('\n')));
        QVERIFY(again.waitLine("recording into " + path("k-20260615-2.kirv")));
        const QStringList times = recordTimes(left);
        QCOMPARE(times.size(), recorded);
        QVERIFY(oneASecond(times));
        QVERIFY(times.first().startsWith("2026/06/15 12:00:0"));
        QVERIFY(again.end());
    }

    void cablePulledAndBack()
    {
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 66.6"}));
        Monitor monitor;
        QVERIFY(monitor.begin(args("c", sim.pty), "2026-06-15 09:00:00"));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "c") >= 3; }));
        sim.send({"unplug"});
        const auto lost = monitor.waitMatch("link lost at (.+)");
        QVERIFY(lost.hasMatch());
        const QString part1 = path("c-20260615.kirv");
        QVERIFY(monitor.waitMatch(QStringLiteral("completed %1 \\(\\d+ records\\)").arg(part1)).hasMatch());
        sim.send({"plug"});
        const auto back = monitor.waitMatch("link back at (.+)");
        QVERIFY(back.hasMatch());
        const QString part2 = path("c-20260615-2.kirv");
        QVERIFY(monitor.waitLine("recording into " + part2));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "c") >= 2; }));
        QVERIFY(monitor.end());

        // Nothing recorded while the meter was silent: no sample of the frozen level.
        const QStringList before = recordTimes(part1);
        const QStringList after = recordTimes(part2);
        QVERIFY(oneASecond(before) && oneASecond(after));
        QVERIFY(stamp(before.last()) < stamp(lost.captured(1)));
        QVERIFY(stamp(after.first()) >= stamp(back.captured(1)));
    }

    void alarmRaisedAndCleared()
    {
        if (mosquittoProgram().isEmpty())
            QSKIP("mosquitto is missing (apt-get install mosquitto mosquitto-clients)");
        Broker broker;
        QVERIFY(broker.begin({"allow_anonymous true"}));
        Subscriber sub;
        QVERIFY(sub.begin(broker.port, "alarm-test"));
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 70.0"}));
        Monitor monitor;
        const QString hook = path("hook.txt");
        QVERIFY(monitor.begin(args("a", sim.pty,
                                   {"--alarm", "loud:80:3", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port),
                                    "--on-alarm", QStringLiteral("echo \"$KIRV_STATION $KIRV_ALARM $KIRV_EVENT "
                                                                 "$KIRV_LEVEL $KIRV_THRESHOLD\" >> %1").arg(hook)}),
                              "2026-06-15 15:00:00"));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "a") >= 2; }));
        sim.send({"level 85.0"});
        const auto raised = monitor.waitMatch("alarm loud raised: 85.0 dB at (\\S+)");
        QVERIFY(raised.hasMatch());
        sim.send({"level 70.0"});
        const auto cleared = monitor.waitMatch("alarm loud cleared: 70.0 dB at (\\S+)");
        QVERIFY(cleared.hasMatch());
        QVERIFY(raised.captured(1).endsWith("+02:00"));

        QFile csv(path("a-alarms-20260615.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()),
                 QStringLiteral("time,level,alarm,event\r\n%1,85.0,loud,raised\r\n%2,70.0,loud,cleared\r\n")
                     .arg(raised.captured(1), cleared.captured(1)));
        const QString message = QStringLiteral(R"({"alarm":"loud","event":"%1","level":%2,"threshold":80,"time":"%3"})");
        QVERIFY(waitFor([&] { return sub.topic("kirv/a/alarm").size() == 2; }));
        QCOMPARE(sub.topic("kirv/a/alarm"), QStringList({message.arg("raised", "85", raised.captured(1)),
                                                         message.arg("cleared", "70", cleared.captured(1))}));
        QVERIFY(waitFor([&] {
            QFile f(hook);
            return f.open(QIODevice::ReadOnly) && f.readAll() == "a loud raised 85.0 80.0\na loud cleared 70.0 80.0\n";
        }));
        QVERIFY(sub.topic("kirv/a/status").contains(
            QStringLiteral(R"({"alarms":{"loud":false},"file":"a-20260615.kirv","link":"up","online":true,"port":"%1","weighting":"A"})").arg(sim.pty)));
        QVERIFY(monitor.end());
        QVERIFY(waitFor([&] { return sub.topic("kirv/a/status").last().contains(R"("online":false)"); }));
    }

    void noMinuteLostWhileTheBrokerIsAway()
    {
        if (mosquittoProgram().isEmpty())
            QSKIP("mosquitto is missing (apt-get install mosquitto mosquitto-clients)");
        Broker broker;
        QVERIFY(broker.begin({"allow_anonymous true"}));
        Subscriber sub;
        QVERIFY(sub.begin(broker.port, "outage-test"));
        // Frames every 2 ms, so that the sped-up poll never takes a slow meter for a lost one.
        Sim sim;
        QVERIFY(sim.begin({"pattern traffic"}, {"--unpaced", "--interval", "2"}));
        Monitor monitor;
        QVERIFY(monitor.begin(args("b", sim.pty, {"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port)}),
                              "2026-06-15 10:00:40", 10));
        QVERIFY(waitFor([&] { return sub.topic("kirv/b/minute").size() >= 1; }, 30000));

        // The broker goes away for 30 s and more of the site's time: two minutes at least.
        broker.end();
        QVERIFY(monitor.waitLine(QStringLiteral("MQTT: lost 127.0.0.1:%1; minute and alarm messages wait on the disk")
                                     .arg(broker.port)));
        const QDir queue(path(".b/mqtt-queue"));
        QVERIFY(waitFor([&] { return queue.entryList({"*.msg"}).size() >= 2; }, 30000));
        QVERIFY(broker.begin({"allow_anonymous true"}));
        QVERIFY(monitor.waitMatch(QStringLiteral("MQTT: connected to 127.0.0.1:%1 \\([1-9]\\d* queued\\)").arg(broker.port)).hasMatch());
        QVERIFY(waitFor([&] { return queue.entryList({"*.msg"}).isEmpty(); }));
        const int expected = sub.topic("kirv/b/minute").size() + 2;
        QVERIFY(waitFor([&] { return sub.topic("kirv/b/minute").size() >= expected; }, 30000));
        QVERIFY(monitor.end());

        QDateTime previous;
        for (const QString& payload : sub.topic("kirv/b/minute")) {
            const QJsonObject o = QJsonDocument::fromJson(payload.toUtf8()).object();
            const QDateTime minute = QDateTime::fromString(o.value("minute").toString(), Qt::ISODate);
            QVERIFY2(minute.isValid() && o.value("records").toInt() > 0, qPrintable(payload));
            QVERIFY2(!previous.isValid() || previous.secsTo(minute) == 60, qPrintable(sub.lines.join('\n')));
            previous = minute;
        }
    }

    // A broker that is not up yet when the monitor starts is connected once it is.
    void brokerDownAtTheStart()
    {
        if (mosquittoProgram().isEmpty())
            QSKIP("mosquitto is missing (apt-get install mosquitto mosquitto-clients)");
        Broker broker;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            broker.port = probe.serverPort();
        }
        Sim sim;
        QVERIFY(sim.begin({}));
        Monitor monitor;
        QVERIFY(monitor.begin(args("late", sim.pty, {"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port)}),
                              "2026-06-15 08:00:00"));
        QVERIFY2(monitor.waitLine(QStringLiteral("MQTT: cannot connect to 127.0.0.1:%1 (Connection refused); trying again")
                                      .arg(broker.port)),
                 qPrintable(monitor.lines.join('\n')));
        QVERIFY(broker.begin({"allow_anonymous true"}));
        QVERIFY2(monitor.waitMatch(QStringLiteral("MQTT: connected to 127.0.0.1:%1 \\(\\d+ queued\\)").arg(broker.port)).hasMatch(),
                 qPrintable(monitor.lines.join('\n')));
        QVERIFY(monitor.end());
    }

    // A TLS listener the monitor cannot talk to (another CA, or no TLS at all): said once and
    // tried again and again, never given up.
    void tlsFailuresAreSaidAndRetried_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("reason");
        QTest::newRow("another CA") << true << "A TLS error occurred.";
        QTest::newRow("no TLS") << false << "The connection was lost.";
    }
    void tlsFailuresAreSaidAndRetried()
    {
        QFETCH(bool, tls);
        QFETCH(QString, reason);
        if (mosquittoProgram().isEmpty() || QStandardPaths::findExecutable("openssl").isEmpty())
            QSKIP("mosquitto or openssl is missing");
        Broker broker;
        const QString d = broker.dir.path();
        const auto openssl = [&](const QString& line) { return QProcess::execute("openssl", line.arg(d).split(' ')) == 0; };
        QVERIFY(openssl("req -x509 -newkey rsa:2048 -nodes -keyout %1/ca.key -out %1/ca.pem -days 2 -subj /CN=ca"));
        QVERIFY(openssl("req -x509 -newkey rsa:2048 -nodes -keyout %1/other.key -out %1/other.pem -days 2 -subj /CN=other"));
        QVERIFY(openssl("req -newkey rsa:2048 -nodes -keyout %1/server.key -out %1/server.csr -subj /CN=127.0.0.1"));
        QVERIFY(openssl("x509 -req -in %1/server.csr -CA %1/ca.pem -CAkey %1/ca.key -CAcreateserial -out %1/server.pem -days 2"));
        QVERIFY(broker.begin({"allow_anonymous true", "cafile " + d + "/ca.pem", "certfile " + d + "/server.pem",
                              "keyfile " + d + "/server.key"}));
        Sim sim;
        QVERIFY(sim.begin({}));
        Monitor monitor;
        const QStringList mqtt{"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port)};
        QVERIFY(monitor.begin(args("tls", sim.pty, tls ? mqtt + QStringList{"--mqtt-tls", d + "/other.pem"} : mqtt),
                              "2026-06-15 08:00:00"));
        const QString said = QStringLiteral("MQTT: cannot connect to 127.0.0.1:%1 (%2); trying again").arg(broker.port).arg(reason);
        QVERIFY2(monitor.waitLine(said), qPrintable(monitor.lines.join('\n')));
        QVERIFY(waitFor([&] { return broker.lines.filter("onnection from 127.0.0.1").size() >= 3; }, 30000));
        QCOMPARE(monitor.count(said), 1);
        QVERIFY(monitor.end());
    }

    // The queue cannot be written (a full disk): while the broker is there the minute goes
    // out all the same; while it is away the loss is said.
    void unqueuedMessagesAreSentOrSaidLost()
    {
        if (mosquittoProgram().isEmpty())
            QSKIP("mosquitto is missing (apt-get install mosquitto mosquitto-clients)");
        Broker broker;
        QVERIFY(broker.begin({"allow_anonymous true"}));
        Subscriber sub;
        QVERIFY(sub.begin(broker.port, "unqueued-test"));
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 55.0"}, {"--unpaced", "--interval", "2"}));
        Monitor monitor;
        QVERIFY(monitor.begin(args("u", sim.pty, {"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port)}),
                              "2026-06-15 10:00:50", 10));
        QVERIFY(monitor.waitMatch(QStringLiteral("MQTT: connected to .*")).hasMatch());
        const QString queue = path(".u/mqtt-queue");
        QVERIFY(QDir(queue).removeRecursively());
        QFile inTheWay(queue);
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        inTheWay.close();
        QVERIFY2(waitFor([&] { return sub.topic("kirv/u/minute").size() >= 1; }, 30000), qPrintable(monitor.lines.join('\n')));
        QVERIFY(monitor.waitLine(QStringLiteral("Cannot create %1: the folder cannot be made").arg(queue)));
        broker.end();
        QVERIFY(monitor.waitMatch(R"(MQTT: a minute message is lost: \{.*"minute":"2026-06-15T10:0\d:00\+02:00".*\})", 30000).hasMatch());
        QVERIFY(monitor.end());
    }

    void wrongPasswordSaidOnce()
    {
        if (mosquittoProgram().isEmpty())
            QSKIP("mosquitto is missing (apt-get install mosquitto mosquitto-clients)");
        Broker broker;
        const QString passwords = broker.dir.filePath("passwords");
        QVERIFY(QProcess::execute("mosquitto_passwd", {"-b", "-c", passwords, "kirv", "right"}) == 0);
        QVERIFY(broker.begin({"allow_anonymous false", "password_file " + passwords}));
        QFile wrong(path("wrong-password"));
        QVERIFY(wrong.open(QIODevice::WriteOnly));
        wrong.write("wrong\n");
        wrong.close();
        Sim sim;
        QVERIFY(sim.begin({}));
        Monitor monitor;
        QVERIFY(monitor.begin(args("w", sim.pty, {"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port),
                                                  "--mqtt-user", "kirv", "--mqtt-password-file", wrong.fileName()}),
                              "2026-06-15 08:00:00"));
        const QString refused = QStringLiteral("MQTT: 127.0.0.1:%1 refused the login (Connection Refused: not authorised.); trying again")
                                    .arg(broker.port);
        QVERIFY2(monitor.waitLine(refused), qPrintable(monitor.lines.join('\n')));
        // It keeps trying without saying it again, and keeps recording.
        QVERIFY(waitFor([&] { return broker.lines.filter("disconnected, not authorised").size() >= 3; }));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "w") >= 2; }));
        QCOMPARE(monitor.count(refused), 1);
        QVERIFY(monitor.end());
    }
};

QTEST_GUILESS_MAIN(TestMonitorSite)
#include "test_monitor_site.moc"
