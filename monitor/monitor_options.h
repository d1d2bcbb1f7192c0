#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kirv::monitor {

// One --alarm NAME:LEVEL:SECONDS[:leq]: raised once the level has stayed at or above LEVEL for
// SECONDS seconds, cleared once it has stayed below for as long. With ":leq" the Leq of the
// last SECONDS seconds is what stays at or above LEVEL (raised the first second it is, once
// SECONDS seconds are known) or below it (cleared).
struct AlarmSpec
{
    QString name;
    double level = 0.0;
    int seconds = 1;
    bool leq = false;
};

// NAME is letters, digits, '.', '_' or '-' (it goes into CSV lines, file names and topics);
// LEVEL a number 0..200 dB; SECONDS a whole number 1..86400. Nothing for anything else.
std::optional<AlarmSpec> parseAlarmSpec(const QString& text);

// "HOST" or "HOST:PORT" (PORT 1..65535; a bracketed IPv6 address takes its port after "]").
struct HostPort
{
    QString host;
    int port = 0; // 0: not given
};
std::optional<HostPort> parseHostPort(const QString& text);

// A station name: letters, digits, '.', '_' or '-', at most 64 of them, not starting with '.'.
bool isStationName(const QString& name);

struct MqttOptions
{
    QString host; // empty: no MQTT
    int port = 1883;
    QString user;
    QString passwordFile;
    QString caFile; // TLS when set
    int queueMax = 10080; // messages kept on the disk at most: a week of minutes
    int keepAlive = 30;   // seconds; the broker says "offline" by the will after 1.5 of them
    QString discoveryPrefix; // Home Assistant's discovery prefix; empty: no discovery
};

// Where --metrics listens: "PORT" (on 127.0.0.1), "ADDRESS:PORT" or "[IPV6]:PORT".
struct ListenAddress
{
    QString address; // empty: no metrics
    int port = 0;
};
std::optional<ListenAddress> parseListenAddress(const QString& text);

// A discovery prefix: one or more topic levels, no wildcard, no empty level.
bool isTopicPrefix(const QString& prefix);

struct MonitorOptions
{
    QString port;    // a device path, or COM1..COM8 / Auto of the port table
    QString dir;
    QString station;
    int interval = 1;
    QList<AlarmSpec> alarms;
    QString onAlarm;
    MqttOptions mqtt;
    ListenAddress metrics;
};

// The command line, or what to print and the exit code (0 for --help/--version, 2 when wrong).
struct ParsedOptions
{
    std::optional<MonitorOptions> options;
    QString message;
    int exitCode = 0;
};
ParsedOptions parseMonitorOptions(const QStringList& arguments);

} // namespace kirv::monitor
