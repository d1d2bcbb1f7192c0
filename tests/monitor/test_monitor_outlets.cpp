// What the monitor gives other systems, without the program: Home Assistant's discovery
// configs, the metrics text and the HTTP server that serves it, and their options.
#include "monitor/ha_discovery.h"
#include "monitor/metrics_server.h"
#include "monitor/metrics_text.h"
#include "monitor/monitor_options.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

#include <cmath>

using namespace kirv::monitor;

namespace {

const QStringList BaseArguments{"kirv-monitor", "--port", "/dev/ttyUSB0", "--dir", "/srv", "--station", "s"};

QJsonObject json(const QByteArray& payload)
{
    return QJsonDocument::fromJson(payload).object();
}

// A client of a MetricsServer on a free port of 127.0.0.1.
struct ServedClient
{
    MetricsServer server{[] { return QByteArray("kirv_up 1\n"); }};
    QTcpSocket socket;
    QByteArray received;

    bool connect()
    {
        for (int port = 20000 + (::getpid() % 20000);; ++port) {
            if (server.listen({QStringLiteral("127.0.0.1"), port}).isEmpty()) {
                QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
                socket.connectToHost(QHostAddress::LocalHost, quint16(port));
                return socket.waitForConnected(5000);
            }
            if (port > 65000)
                return false;
        }
    }
    bool closedByServer(int ms) { return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, ms); }
};

} // namespace

class TestMonitorOutlets : public QObject
{
    Q_OBJECT
private slots:
    void listenAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // address|port, empty when refused
        QTest::newRow("port only") << "9100" << "127.0.0.1|9100";
        QTest::newRow("every address") << "0.0.0.0:9100" << "0.0.0.0|9100";
        QTest::newRow("ipv6") << "[::1]:9200" << "::1|9200";
        for (const char* bad : {"", "0", "65536", "host.lan:9100", "127.0.0.1", "127.0.0.1:", ":9100", "9100x", "[::1]"})
            QTest::newRow(*bad ? bad : "empty") << bad << "";
    }
    void listenAddress()
    {
        QFETCH(QString, text);
        const auto at = parseListenAddress(text);
        QTEST(at ? QStringLiteral("%1|%2").arg(at->address).arg(at->port) : QString(), "parsed");
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed"); // discovery prefix|keep-alive|metrics, or the first line said
        const QStringList mqtt{"--mqtt", "h"};
        QTest::newRow("defaults") << mqtt << "|30|:0";
        QTest::newRow("discovery, own prefix") << mqtt + QStringList{"--ha-discovery"} << "homeassistant|30|:0";
        QTest::newRow("discovery last") << QStringList{"--ha-discovery", "--mqtt", "h"} << "homeassistant|30|:0";
        QTest::newRow("discovery prefix") << mqtt + QStringList{"--ha-discovery", "site/ha"} << "site/ha|30|:0";
        QTest::newRow("discovery =prefix") << mqtt + QStringList{"--ha-discovery=ha"} << "ha|30|:0";
        QTest::newRow("keep-alive") << mqtt + QStringList{"--mqtt-keepalive", "5"} << "|5|:0";
        QTest::newRow("metrics") << QStringList{"--metrics", "9100"} << "|30|127.0.0.1:9100";
        QTest::newRow("wildcard prefix") << mqtt + QStringList{"--ha-discovery", "ha/#"}
                                         << "--ha-discovery ha/#: write topic levels of letters, digits, '.', '_' and '-', separated by '/'.";
        QTest::newRow("empty level") << mqtt + QStringList{"--ha-discovery=ha//x"}
                                     << "--ha-discovery ha//x: write topic levels of letters, digits, '.', '_' and '-', separated by '/'.";
        QTest::newRow("discovery without mqtt") << QStringList{"--ha-discovery"} << "--ha-discovery needs --mqtt.";
        QTest::newRow("keep-alive without mqtt") << QStringList{"--mqtt-keepalive", "9"} << "--mqtt-keepalive needs --mqtt.";
        QTest::newRow("keep-alive too short") << mqtt + QStringList{"--mqtt-keepalive", "4"}
                                              << "--mqtt-keepalive wants whole seconds from 5 to 3600.";
        QTest::newRow("metrics by name") << QStringList{"--metrics", "localhost:9100"}
                                         << "--metrics localhost:9100: write PORT or ADDRESS:PORT, the address as digits.";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        const ParsedOptions p = parseMonitorOptions(BaseArguments + arguments);
        const QString parsed = p.options ? QStringLiteral("%1|%2|%3:%4")
                                               .arg(p.options->mqtt.discoveryPrefix)
                                               .arg(p.options->mqtt.keepAlive)
                                               .arg(p.options->metrics.address)
                                               .arg(p.options->metrics.port)
                                         : p.message.section('\n', 0, 0);
        QTEST(parsed, "parsed");
    }

    void discoveryTopics()
    {
        const auto configs = discoveryConfigs("homeassistant", {"st.1", "A", {"loud", "a.b", "a_b"}});
        QStringList topics, ids;
        for (const auto& c : configs) {
            topics.append(QString::fromUtf8(c.topic));
            ids.append(json(c.payload).value("unique_id").toString());
        }
        // '.' is no character of a discovery topic; two alarms it alone parts stay apart.
        QCOMPARE(topics, QStringList({"homeassistant/sensor/kirv_st_1/level/config",
                                      "homeassistant/sensor/kirv_st_1/minute_leq/config",
                                      "homeassistant/sensor/kirv_st_1/minute_l10/config",
                                      "homeassistant/sensor/kirv_st_1/minute_l90/config",
                                      "homeassistant/binary_sensor/kirv_st_1/alarm_loud/config",
                                      "homeassistant/binary_sensor/kirv_st_1/alarm_a_b/config",
                                      "homeassistant/binary_sensor/kirv_st_1/alarm_a_b_2/config"}));
        QCOMPARE(ids, QStringList({"kirv_st.1_level", "kirv_st.1_minute_leq", "kirv_st.1_minute_l10", "kirv_st.1_minute_l90",
                                   "kirv_st.1_alarm_loud", "kirv_st.1_alarm_a.b", "kirv_st.1_alarm_a_b"}));
    }

    void discoverySensors_data()
    {
        QTest::addColumn<QString>("weighting");
        QTest::addColumn<QString>("unit");
        QTest::newRow("A") << "A" << "dBA";
        QTest::newRow("C") << "C" << "dBC";
        QTest::newRow("Z") << "Z" << "dB";
        QTest::newRow("filter") << "AA" << "dB";
    }
    void discoverySensors()
    {
        QFETCH(QString, weighting);
        const auto configs = discoveryConfigs("ha", {"north", weighting, {}});
        QCOMPARE(configs.size(), std::size_t(4));
        const QStringList fields{"level", "leq", "l10", "l90"};
        for (std::size_t i = 0; i < configs.size(); ++i) {
            const QJsonObject o = json(configs[i].payload);
            QTEST(o.value("unit_of_measurement").toString(), "unit");
            QCOMPARE(o.value("device_class").toString(), "sound_pressure");
            QCOMPARE(o.value("state_class").toString(), "measurement");
            QCOMPARE(o.value("state_topic").toString(), i == 0 ? "kirv/north/level" : "kirv/north/minute");
            QCOMPARE(o.value("value_template").toString(), QStringLiteral("{{ value_json.%1 }}").arg(fields[int(i)]));
            QCOMPARE(o.value("availability").toArray().at(0).toObject().value("topic").toString(), "kirv/north/status");
            QCOMPARE(o.value("device").toObject().value("identifiers").toArray(), QJsonArray({"kirv_north"}));
            QCOMPARE(o.value("device").toObject().value("sw_version").toString(), "7.0");
            QCOMPARE(o.value("origin").toObject().value("name").toString(), "kirv-monitor");
        }
    }

    void metricsBeforeTheFirstSample()
    {
        StationMetrics m;
        m.station = "s";
        m.version = "7.0";
        const QByteArray text = metricsText(m);
        // Values not known yet are absent, not 0 dB; counters start at 0.
        QVERIFY(!text.contains("kirv_sound_level_decibels"));
        QVERIFY(!text.contains("kirv_minute_leq_decibels"));
        QVERIFY(!text.contains("kirv_mqtt_connected"));
        QVERIFY(text.contains("\nkirv_records_total{station=\"s\"} 0\n"));
        QVERIFY(text.contains("\nkirv_meter_up{station=\"s\"} 0\n"));
    }

    // The exposure counter's mean over its seconds is the Leq of the samples, also with an
    // interval, and a corrupt level does not make it infinite.
    void exposureGivesTheLeq_data()
    {
        QTest::addColumn<QList<double>>("levels");
        QTest::addColumn<int>("interval");
        QTest::addColumn<double>("leq");
        QTest::newRow("94 dB is 1 Pa") << QList<double>{94.0, 94.0} << 1 << 94.0;
        QTest::newRow("energy mean") << QList<double>{60.0, 70.0, 80.0} << 1 << 75.7;
        QTest::newRow("interval 10 s") << QList<double>{60.0, 70.0, 80.0} << 10 << 75.7;
        QTest::newRow("corrupt level") << QList<double>{70.0, 3276.7, 70.0} << 1 << 68.2;
    }
    void exposureGivesTheLeq()
    {
        QFETCH(QList<double>, levels);
        QFETCH(int, interval);
        StationMetrics m;
        for (qsizetype i = 0; i < levels.size(); ++i)
            m.addSample(1000 + i * interval, levels[i], interval);
        const double mean = 10.0 * std::log10(m.exposure / double(m.records * quint64(interval)) / ReferencePressureSquared);
        QTEST(std::round(mean * 10.0) / 10.0, "leq");
        QCOMPARE(m.records, quint64(levels.size()));
    }

    void labelValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("plain") << "north-gate" << QByteArray("north-gate");
        QTest::newRow("quote") << "a\"b" << QByteArray("a\\\"b");
        QTest::newRow("backslash") << "a\\b" << QByteArray("a\\\\b");
        QTest::newRow("line feed") << "a\nb" << QByteArray("a\\nb");
        QTest::newRow("utf-8") << "Gr\u00fcn" << QByteArray("Gr\xc3\xbcn");
    }
    void labelValues()
    {
        QFETCH(QString, value);
        QTEST(labelValue(value), "escaped");
    }

    // Every line of the text is a comment or one sample of a known family.
    void metricsTextIsWellFormed()
    {
        StationMetrics m;
        m.station = "a\"b";
        m.version = "7.0";
        m.weighting = "A";
        m.mqtt = true;
        m.alarms = {{"loud", true, 2}};
        m.addSample(1781510400, 70.0, 1);
        m.minuteLeq = 69.5;
        // The station's quote escaped, other label values plain.
        const QRegularExpression sample(QStringLiteral("^(kirv_[a-z_]+)\\{station=\"a\\\\\"b\"(,[a-z]+=\"[^\"]*\")*\\} (\\S+)$"));
        QStringList families;
        for (const QByteArray& line : metricsText(m).split('\n')) {
            if (line.isEmpty() || line.startsWith("# HELP "))
                continue;
            if (line.startsWith("# TYPE ")) {
                families.append(QString::fromUtf8(line.split(' ').at(2)));
                continue;
            }
            const auto match = sample.match(QString::fromUtf8(line));
            QVERIFY2(match.hasMatch(), line.constData());
            QVERIFY2(families.contains(match.captured(1)), line.constData());
        }
        QCOMPARE(families.size(), 11);
    }

    void routes_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("route");
        QTest::newRow("metrics") << QByteArray("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n") << int(Route::Metrics);
        QTest::newRow("head") << QByteArray("HEAD /metrics HTTP/1.0\r\n\r\n") << int(Route::Metrics);
        QTest::newRow("query") << QByteArray("GET /metrics?name[]=x HTTP/1.1\r\n\r\n") << int(Route::Metrics);
        QTest::newRow("bare line feeds") << QByteArray("GET /metrics HTTP/1.1\n\n") << int(Route::Metrics);
        QTest::newRow("root") << QByteArray("GET / HTTP/1.1\r\n\r\n") << int(Route::NotFound);
        QTest::newRow("below") << QByteArray("GET /metrics/x HTTP/1.1\r\n\r\n") << int(Route::NotFound);
        QTest::newRow("post") << QByteArray("POST /metrics HTTP/1.1\r\n\r\n") << int(Route::NotAllowed);
        QTest::newRow("garbage") << QByteArray("\x16\x03\x01\x02\r\n\r\n") << int(Route::BadRequest);
        QTest::newRow("no version") << QByteArray("GET /metrics\r\n\r\n") << int(Route::BadRequest);
        QTest::newRow("not ended") << QByteArray("GET /metrics HTTP/1.1\r\nHost: x\r\n") << int(Route::Incomplete);
        QTest::newRow("endless head") << QByteArray("GET /metrics HTTP/1.1\r\n") + QByteArray(RequestHeadMax, 'x')
                                      << int(Route::TooLarge);
    }
    void routes()
    {
        QFETCH(QByteArray, request);
        QTEST(int(routeOf(request)), "route");
    }

    void serverAnswers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer"); // the status line and the body
        QTest::newRow("metrics") << QByteArray("GET /metrics HTTP/1.1\r\n\r\n") << QByteArray("HTTP/1.1 200 OK|kirv_up 1\n");
        QTest::newRow("head") << QByteArray("HEAD /metrics HTTP/1.1\r\n\r\n") << QByteArray("HTTP/1.1 200 OK|");
        QTest::newRow("other path") << QByteArray("GET /x HTTP/1.1\r\n\r\n") << QByteArray("HTTP/1.1 404 Not Found|404 Not Found\n");
        QTest::newRow("garbage") << QByteArray("\x01\x02\n\n") << QByteArray("HTTP/1.1 400 Bad Request|400 Bad Request\n");
        QTest::newRow("flood") << QByteArray(100000, 'G')
                               << QByteArray("HTTP/1.1 431 Request Header Fields Too Large|431 Request Header Fields Too Large\n");
    }
    void serverAnswers()
    {
        QFETCH(QByteArray, request);
        ServedClient client;
        QVERIFY(client.connect());
        client.socket.write(request);
        QVERIFY(client.closedByServer(10000));
        const qsizetype end = client.received.indexOf("\r\n\r\n");
        QVERIFY2(end > 0, client.received.constData());
        QTEST(client.received.left(client.received.indexOf("\r\n")) + '|' + client.received.mid(end + 4), "answer");
    }

    // A client that connects and says nothing, or trickles, is dropped after a few seconds.
    void silentClientIsDropped()
    {
        ServedClient client;
        QVERIFY(client.connect());
        client.socket.write("GET /met");
        QVERIFY(client.closedByServer(15000));
        QVERIFY(client.received.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMonitorOutlets)
#include "test_monitor_outlets.moc"
