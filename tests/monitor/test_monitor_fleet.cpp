// kirv-monitor seen from the tools a site already runs: Home Assistant's discovery over a real
// broker, and Prometheus reading /metrics over HTTP, against the virtual meter.
#include "tests/monitor/monitor_fixture.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <csignal>

using namespace monitortest;

namespace {

constexpr int KeepAliveSeconds = 5;

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

// The body of GET `path`, or an empty text when the answer is no 200.
QByteArray httpGet(int port, const QByteArray& path)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!s.waitForConnected(WaitMs))
        return {};
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (s.waitForReadyRead(WaitMs))
        answer += s.readAll();
    answer += s.readAll();
    const qsizetype body = answer.indexOf("\r\n\r\n");
    return answer.startsWith("HTTP/1.1 200") && body > 0 ? answer.mid(body + 4) : QByteArray();
}

// The value of the sample `name` (with its labels, as written) of a metrics text.
double sampleValue(const QByteArray& text, const QByteArray& name)
{
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(name + ' '))
            return line.mid(name.size() + 1).toDouble();
    }
    return std::nan("");
}

QJsonObject json(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

} // namespace

class TestMonitorFleet : public QObject, SiteFolder
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (faketimeLibrary().isEmpty())
            QSKIP("libfaketime is missing (apt-get install faketime)");
    }

    // The configs are retained, carry what Home Assistant reads, come again when Home Assistant
    // says it is online, and the station shows offline soon after it dies without a word or
    // stops answering (the broker hears nothing for one and a half keep-alives).
    void homeAssistantDiscovery_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("station");
        QTest::newRow("killed") << int(SIGKILL) << "ha";
        QTest::newRow("frozen, as behind a cut network") << int(SIGSTOP) << "hb";
    }
    void homeAssistantDiscovery()
    {
        QFETCH(QString, station);
        if (mosquittoProgram().isEmpty())
            QSKIP("mosquitto is missing (apt-get install mosquitto mosquitto-clients)");
        Broker broker;
        QVERIFY(broker.begin({"allow_anonymous true"}));
        Sim sim;
        QVERIFY(sim.begin({"pattern steady", "level 66.6"}));
        Monitor monitor;
        QVERIFY(monitor.begin(args(station, sim.pty,
                                   {"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port), "--ha-discovery",
                                    "--mqtt-keepalive", QString::number(KeepAliveSeconds), "--alarm", "loud:80:3"})));
        QVERIFY(monitor.waitMatch("MQTT: connected to .*").hasMatch());
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), station) >= 2; }));

        // A subscriber that comes later is given every config as retained.
        Subscriber configs;
        QVERIFY(configs.begin(broker.port, station + "-configs", "homeassistant/+/kirv_" + station + "/+/config", true));
        QStringList objects{"sensor/kirv_%1/level", "sensor/kirv_%1/minute_leq", "sensor/kirv_%1/minute_l10",
                            "sensor/kirv_%1/minute_l90", "binary_sensor/kirv_%1/alarm_loud"};
        for (QString& object : objects)
            object = object.arg(station);
        const QString statusTopic = "kirv/" + station + "/status";
        const auto retained = [&](const QString& flag) {
            QStringList found;
            for (const QString& object : objects) {
                const QStringList payloads = configs.topic(flag + " homeassistant/" + object + "/config");
                if (!payloads.isEmpty())
                    found.append(payloads.last());
            }
            return found;
        };
        QVERIFY(waitFor([&] { return retained("1").size() == objects.size(); }));
        for (const QString& payload : retained("1")) {
            const QJsonObject o = json(payload);
            for (const char* field : {"name", "unique_id", "state_topic", "value_template", "availability", "device", "origin"})
                QVERIFY2(o.contains(field), qPrintable(field + (": " + payload)));
            QCOMPARE(o.value("availability").toArray().at(0).toObject().value("topic").toString(), statusTopic);
            const QJsonObject device = o.value("device").toObject();
            QCOMPARE(device.value("identifiers").toArray(), QJsonArray({"kirv_" + station}));
            if (o.value("state_topic").toString() == statusTopic) {
                QCOMPARE(o.value("value_template").toString(),
                         "{% if value_json.alarms is defined %}{{ 'ON' if value_json.alarms['loud'] else 'OFF' }}{% endif %}");
            } else {
                QCOMPARE(o.value("device_class").toString(), "sound_pressure");
                QCOMPARE(o.value("unit_of_measurement").toString(), "dBA");
                QCOMPARE(o.value("state_class").toString(), "measurement");
            }
        }

        // Home Assistant starting again: every config is sent again, live.
        QCOMPARE(QProcess::execute("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(broker.port), "-t",
                                                     "homeassistant/status", "-m", "online"}),
                 0);
        QVERIFY(waitFor([&] { return retained("0").size() == objects.size(); }));

        // Killed or frozen: the broker's will says offline.
        Subscriber status;
        QVERIFY(status.begin(broker.port, station + "-status", statusTopic));
        QVERIFY(waitFor([&] { return !status.topic(statusTopic).isEmpty(); }));
        QVERIFY(status.topic(statusTopic).last().contains(R"("online":true)"));
        QElapsedTimer sinceKill;
        sinceKill.start();
        QFETCH(int, signal);
        ::kill(pid_t(monitor.processId()), signal);
        QVERIFY(waitFor([&] { return status.topic(statusTopic).last().contains(R"("online":false)"); }));
        // mosquitto counts the silence in whole seconds from the last packet it had (a level,
        // at most a second before): up to two seconds beyond the one and a half keep-alives.
        QVERIFY2(sinceKill.elapsed() <= KeepAliveSeconds * 1500 + 2000, qPrintable(QString::number(sinceKill.elapsed())));
        if (signal == SIGSTOP)
            ::kill(pid_t(monitor.processId()), SIGKILL);
    }

    // /metrics over HTTP is what promtool accepts, and the exposure counter's mean over the
    // file's seconds is the Leq kirv-report gives of the same file.
    void metricsOverHttp()
    {
        Sim sim;
        QVERIFY(sim.begin({"pattern traffic"}));
        const int port = freePort();
        Monitor monitor;
        QVERIFY(monitor.begin(args("m", sim.pty, {"--metrics", QString::number(port)}), "2026-06-15 09:00:00"));
        QVERIFY(waitFor([&] { return scratchRecords(m_dir.path(), "m") >= 30; }));
        sim.send({"unplug"});
        const QString file = m_dir.filePath("m-20260615.kirv");
        const auto completed = monitor.waitMatch(QStringLiteral("completed %1 \\((\\d+) records\\)").arg(file));
        QVERIFY(completed.hasMatch());

        const QByteArray text = httpGet(port, "/metrics");
        QVERIFY(text.contains("\nkirv_meter_up{station=\"m\"} 0\n"));
        const double exposure = sampleValue(text, "kirv_sound_exposure_pascal_squared_seconds_total{station=\"m\"}");
        const double seconds = sampleValue(text, "kirv_records_total{station=\"m\"}");
        QCOMPARE(seconds, completed.captured(1).toDouble());

        QProcess report;
        report.start(Bin + "/kirv-report", {"--format", "json", file});
        QVERIFY(report.waitForFinished(WaitMs) && report.exitCode() == 0);
        const QJsonArray files = QJsonDocument::fromJson(report.readAllStandardOutput()).array();
        const double leq = files.at(0).toObject().value("leq").toDouble();
        QVERIFY2(std::abs(10.0 * std::log10(exposure / seconds / 4e-10) - leq) <= 0.1, qPrintable(QString::number(leq)));

        QVERIFY(monitor.end());
        const QString promtool = QStandardPaths::findExecutable("promtool");
        if (promtool.isEmpty())
            QSKIP("promtool is missing (apt-get install prometheus): the text's form is unchecked");
        QProcess check;
        check.start(promtool, {"check", "metrics"});
        check.write(text);
        check.closeWriteChannel();
        QVERIFY(check.waitForFinished(WaitMs));
        const QByteArray said = check.readAllStandardOutput() + check.readAllStandardError();
        QVERIFY2(check.exitCode() == 0 && said.isEmpty(), said.constData());
    }
};

QTEST_GUILESS_MAIN(TestMonitorFleet)
#include "test_monitor_fleet.moc"
