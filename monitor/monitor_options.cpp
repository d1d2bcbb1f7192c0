#include "monitor/monitor_options.h"

#include "kirv/base/native_names.h"
#include "kirv/version.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSet>

namespace kirv::monitor {

namespace {

bool isName(const QString& text)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
    return name.match(text).hasMatch();
}

std::optional<int> wholeNumber(const QString& text, int low, int high)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    return value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

// "--ha-discovery" takes its prefix as an optional value: given as the next argument (one that
// is no option) or after "=", else Home Assistant's own.
QStringList withDiscoveryValue(QStringList arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--ha-discovery"))
            continue;
        if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-'))) {
            arguments[i] += QLatin1Char('=') + arguments[i + 1];
            arguments.removeAt(i + 1);
        } else {
            arguments[i] += QLatin1String("=homeassistant");
        }
    }
    return arguments;
}

} // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text)
{
    if (const auto port = wholeNumber(text, 1, 65535))
        return ListenAddress{QStringLiteral("127.0.0.1"), *port};
    const auto hostPort = parseHostPort(text);
    if (!hostPort || !hostPort->port || QHostAddress(hostPort->host).isNull())
        return std::nullopt;
    return ListenAddress{hostPort->host, hostPort->port};
}

bool isTopicPrefix(const QString& prefix)
{
    static const QRegularExpression levels(QStringLiteral("^[A-Za-z0-9_.-]{1,64}(/[A-Za-z0-9_.-]{1,64}){0,7}$"));
    return levels.match(prefix).hasMatch();
}

bool isStationName(const QString& name)
{
    return isName(name) && !name.startsWith(QLatin1Char('.'));
}

std::optional<AlarmSpec> parseAlarmSpec(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 3 || parts.size() > 4 || !isName(parts[0]))
        return std::nullopt;
    if (parts.size() == 4 && parts[3] != QLatin1String("leq"))
        return std::nullopt;
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{1,3})?$"));
    if (!number.match(parts[1]).hasMatch())
        return std::nullopt;
    const double level = parts[1].toDouble();
    const auto seconds = wholeNumber(parts[2], 1, 86400);
    if (level > 200.0 || !seconds)
        return std::nullopt;
    return AlarmSpec{parts[0], level, *seconds, parts.size() == 4};
}

std::optional<HostPort> parseHostPort(const QString& text)
{
    HostPort result;
    QString rest;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 2)
            return std::nullopt;
        result.host = text.mid(1, close - 1);
        rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        rest = rest.mid(1);
    } else {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        result.host = colon < 0 ? text : text.left(colon);
        rest = colon < 0 ? QString() : text.mid(colon + 1);
        if (colon >= 0 && rest.isEmpty())
            return std::nullopt;
    }
    static const QRegularExpression host(QStringLiteral("^[A-Za-z0-9_.:-]{1,253}$"));
    if (!host.match(result.host).hasMatch())
        return std::nullopt;
    if (!rest.isEmpty()) {
        const auto port = wholeNumber(rest, 1, 65535);
        if (!port)
            return std::nullopt;
        result.port = *port;
    }
    return result;
}

ParsedOptions parseMonitorOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Records the meter unattended: one data file a local day (STATION-YYYYMMDD.kirv), "
        "alarms, and the levels published over MQTT. Says what it does on stderr, one line an "
        "event. SIGTERM or SIGHUP completes the day's file and ends it: exit 0, or 1 when the "
        "file could not be written (its records stay in DIR/.STATION/Fake for the next start)."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("The meter's serial device (or COM1..COM8, Auto)."),
                                  QStringLiteral("DEV"));
    const QCommandLineOption dir(QStringLiteral("dir"), QStringLiteral("Folder of the data files."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption station(QStringLiteral("station"),
                                     QStringLiteral("Name of the station: letters, digits, . _ -."),
                                     QStringLiteral("NAME"));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("Sampling interval, 1..86400 s (default 1)."),
                                      QStringLiteral("SECONDS"), QStringLiteral("1"));
    const QCommandLineOption alarm(
        QStringLiteral("alarm"),
        QStringLiteral("NAME:LEVEL:SECONDS[:leq]: raised when the level (the Leq of the last "
                       "SECONDS with :leq) stays at or above LEVEL for SECONDS, cleared when it "
                       "stays below for as long (repeatable)."),
        QStringLiteral("SPEC"));
    const QCommandLineOption onAlarm(
        QStringLiteral("on-alarm"),
        QStringLiteral("Command run by /bin/sh at each raise and clear, with KIRV_STATION, "
                       "KIRV_ALARM, KIRV_EVENT, KIRV_LEVEL, KIRV_THRESHOLD and KIRV_TIME set. At "
                       "most 4 run at once (an event beyond them is skipped); one that runs over "
                       "60 s is killed."),
        QStringLiteral("CMD"));
    const QCommandLineOption mqtt(QStringLiteral("mqtt"),
                                  QStringLiteral("Publish to the MQTT broker HOST[:PORT]."),
                                  QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption user(QStringLiteral("mqtt-user"), QStringLiteral("MQTT user name."),
                                  QStringLiteral("USER"));
    const QCommandLineOption password(QStringLiteral("mqtt-password-file"),
                                      QStringLiteral("File whose first line is the MQTT password."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption tls(QStringLiteral("mqtt-tls"),
                                 QStringLiteral("Use TLS, trusting the CA certificates in CAFILE."),
                                 QStringLiteral("CAFILE"));
    const QCommandLineOption queueMax(
        QStringLiteral("mqtt-queue-max"),
        QStringLiteral("Minute and alarm messages kept on the disk while the broker is away, at "
                       "most (default 10080, a week of minutes); the oldest go first."),
        QStringLiteral("N"), QStringLiteral("10080"));
    const QCommandLineOption keepAlive(
        QStringLiteral("mqtt-keepalive"),
        QStringLiteral("Seconds between signs of life to the broker, 5..3600 (default 30); the "
                       "broker says the station offline after 1.5 of them without one."),
        QStringLiteral("SECONDS"), QStringLiteral("30"));
    const QCommandLineOption discovery(
        QStringLiteral("ha-discovery"),
        QStringLiteral("Announce the station to Home Assistant under PREFIX (default "
                       "homeassistant): retained sensor configs, sent again whenever "
                       "PREFIX/status says online."),
        QStringLiteral("PREFIX"));
    const QCommandLineOption metrics(
        QStringLiteral("metrics"),
        QStringLiteral("Serve Prometheus metrics at http://ADDRESS:PORT/metrics (ADDRESS "
                       "127.0.0.1 when only PORT is given)."),
        QStringLiteral("[ADDRESS:]PORT"));
    parser.addOptions({help, version, port, dir, station, interval, alarm, onAlarm, mqtt, user,
                       password, tls, queueMax, keepAlive, discovery, metrics});

    ParsedOptions out;
    const QString usage = parser.helpText().replace(QLatin1String("<executable_name>"),
                                                    QLatin1String("kirv-monitor"));
    const auto wrong = [&](const QString& what) {
        out.message = what + QLatin1Char('\n') + usage;
        out.exitCode = 2;
        return out;
    };
    if (!parser.parse(withDiscoveryValue(arguments)))
        return wrong(parser.errorText());
    if (parser.isSet(help)) {
        out.message = usage;
        return out;
    }
    if (parser.isSet(version)) {
        out.message = QStringLiteral("kirv-monitor %1\n").arg(QLatin1String(VersionText));
        return out;
    }
    if (!parser.positionalArguments().isEmpty())
        return wrong(QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first()));
    for (const auto* required : {&port, &dir, &station}) {
        if (!parser.isSet(*required))
            return wrong(QStringLiteral("--%1 is needed.").arg(required->names().constFirst()));
    }
    // Every name is used through Qt's file classes, which know UTF-8 names only: a name with
    // another byte in it would record into a folder of another name.
    for (const auto* named : {&port, &dir, &onAlarm, &password, &tls}) {
        const QString value = parser.value(*named);
        if (shownName(value) != value)
            return wrong(QStringLiteral("--%1 %2: the name is not UTF-8 text.")
                             .arg(named->names().constFirst(), shownName(value)));
    }
    MonitorOptions o;
    o.port = parser.value(port);
    o.dir = parser.value(dir);
    o.station = parser.value(station);
    if (o.port.isEmpty())
        return wrong(QStringLiteral("--port wants a device."));
    if (o.dir.isEmpty())
        return wrong(QStringLiteral("--dir wants a folder."));
    if (!isStationName(o.station))
        return wrong(QStringLiteral("Station name %1: use letters, digits, '.', '_' and '-'.").arg(o.station));
    const auto seconds = wholeNumber(parser.value(interval), 1, 86400);
    if (!seconds)
        return wrong(QStringLiteral("--interval wants whole seconds from 1 to 86400."));
    o.interval = *seconds;
    QSet<QString> names;
    for (const QString& spec : parser.values(alarm)) {
        const auto parsed = parseAlarmSpec(spec);
        if (!parsed)
            return wrong(QStringLiteral("--alarm %1: write NAME:LEVEL:SECONDS or NAME:LEVEL:SECONDS:leq.").arg(spec));
        // The name is all that tells the events of two alarms apart in the files and messages.
        if (names.contains(parsed->name))
            return wrong(QStringLiteral("--alarm %1: an alarm named %2 is given already.").arg(spec, parsed->name));
        names.insert(parsed->name);
        o.alarms.append(*parsed);
    }
    o.onAlarm = parser.value(onAlarm);
    if (parser.isSet(mqtt)) {
        const auto hostPort = parseHostPort(parser.value(mqtt));
        if (!hostPort)
            return wrong(QStringLiteral("--mqtt %1: write HOST or HOST:PORT.").arg(parser.value(mqtt)));
        o.mqtt.host = hostPort->host;
        o.mqtt.caFile = parser.value(tls);
        o.mqtt.port = hostPort->port ? hostPort->port : (o.mqtt.caFile.isEmpty() ? 1883 : 8883);
        o.mqtt.user = parser.value(user);
        o.mqtt.passwordFile = parser.value(password);
        if (!o.mqtt.passwordFile.isEmpty() && o.mqtt.user.isEmpty())
            return wrong(QStringLiteral("--mqtt-password-file needs --mqtt-user."));
        const auto most = wholeNumber(parser.value(queueMax), 1, 999999);
        if (!most)
            return wrong(QStringLiteral("--mqtt-queue-max wants a whole number of messages from 1 to 999999."));
        o.mqtt.queueMax = *most;
        const auto alive = wholeNumber(parser.value(keepAlive), 5, 3600);
        if (!alive)
            return wrong(QStringLiteral("--mqtt-keepalive wants whole seconds from 5 to 3600."));
        o.mqtt.keepAlive = *alive;
        if (parser.isSet(discovery)) {
            o.mqtt.discoveryPrefix = parser.value(discovery);
            if (!isTopicPrefix(o.mqtt.discoveryPrefix))
                return wrong(QStringLiteral("--ha-discovery %1: write topic levels of letters, digits, '.', '_' and '-', "
                                            "separated by '/'.")
                                 .arg(o.mqtt.discoveryPrefix));
        }
    } else if (parser.isSet(user) || parser.isSet(password) || parser.isSet(tls)) {
        return wrong(QStringLiteral("--mqtt-user, --mqtt-password-file and --mqtt-tls need --mqtt."));
    } else {
        for (const auto* needsMqtt : {&queueMax, &keepAlive, &discovery}) {
            if (parser.isSet(*needsMqtt))
                return wrong(QStringLiteral("--%1 needs --mqtt.").arg(needsMqtt->names().constFirst()));
        }
    }
    if (parser.isSet(metrics)) {
        const auto listen = parseListenAddress(parser.value(metrics));
        if (!listen)
            return wrong(QStringLiteral("--metrics %1: write PORT or ADDRESS:PORT, the address as digits.")
                             .arg(parser.value(metrics)));
        o.metrics = *listen;
    }
    out.options = o;
    return out;
}

} // namespace kirv::monitor
