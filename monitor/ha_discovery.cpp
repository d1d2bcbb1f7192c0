#include "monitor/ha_discovery.h"

#include "kirv/version.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace kirv::monitor {

namespace {

// Home Assistant takes letters, digits, '_' and '-' in the levels of a discovery topic.
QString topicLevel(QString name)
{
    return name.replace(QLatin1Char('.'), QLatin1Char('_'));
}

struct Entity
{
    const char* component;
    QString object;
    QString name;
    QString subtopic;
    QString valueTemplate;
};

QJsonObject device(const QString& station)
{
    const QString version = QLatin1String(VersionText);
    return {{QStringLiteral("identifiers"), QJsonArray{QStringLiteral("kirv_") + station}},
            {QStringLiteral("name"), QStringLiteral("Kirv ") + station},
            {QStringLiteral("manufacturer"), QStringLiteral("Kirv")},
            {QStringLiteral("model"), QStringLiteral("Sound level station")},
            {QStringLiteral("sw_version"), version}};
}

QJsonObject config(const DiscoveredStation& s, const Entity& e)
{
    const QString base = QStringLiteral("kirv/") + s.station + QLatin1Char('/');
    QJsonObject o{
        {QStringLiteral("name"), e.name},
        {QStringLiteral("unique_id"), QStringLiteral("kirv_%1_%2").arg(s.station, e.object)},
        {QStringLiteral("state_topic"), base + e.subtopic},
        {QStringLiteral("value_template"), e.valueTemplate},
        {QStringLiteral("availability"),
         QJsonArray{QJsonObject{{QStringLiteral("topic"), base + QStringLiteral("status")},
                                {QStringLiteral("value_template"),
                                 QStringLiteral("{{ 'online' if value_json.online else 'offline' }}")}}}},
        {QStringLiteral("device"), device(s.station)},
        {QStringLiteral("origin"), QJsonObject{{QStringLiteral("name"), QStringLiteral("kirv-monitor")},
                                               {QStringLiteral("sw_version"), QLatin1String(VersionText)}}},
    };
    if (QLatin1String(e.component) == QLatin1String("sensor")) {
        o.insert(QStringLiteral("device_class"), QStringLiteral("sound_pressure"));
        o.insert(QStringLiteral("unit_of_measurement"), levelUnit(s.freqWeight));
        o.insert(QStringLiteral("state_class"), QStringLiteral("measurement"));
        o.insert(QStringLiteral("suggested_display_precision"), 1);
    } else {
        o.insert(QStringLiteral("device_class"), QStringLiteral("sound"));
    }
    return o;
}

} // namespace

QString levelUnit(const QString& freqWeight)
{
    if (freqWeight == QLatin1String("A"))
        return QStringLiteral("dBA");
    if (freqWeight == QLatin1String("C"))
        return QStringLiteral("dBC");
    return QStringLiteral("dB");
}

std::vector<RetainedMessage> discoveryConfigs(const QString& prefix, const DiscoveredStation& station)
{
    std::vector<Entity> entities{
        {"sensor", QStringLiteral("level"), QStringLiteral("Level"), QStringLiteral("level"),
         QStringLiteral("{{ value_json.level }}")},
        {"sensor", QStringLiteral("minute_leq"), QStringLiteral("Minute Leq"), QStringLiteral("minute"),
         QStringLiteral("{{ value_json.leq }}")},
        {"sensor", QStringLiteral("minute_l10"), QStringLiteral("Minute L10"), QStringLiteral("minute"),
         QStringLiteral("{{ value_json.l10 }}")},
        {"sensor", QStringLiteral("minute_l90"), QStringLiteral("Minute L90"), QStringLiteral("minute"),
         QStringLiteral("{{ value_json.l90 }}")},
    };
    // Each alarm's state is in the retained status, so Home Assistant knows it from the start
    // and not only from the next event; the last will (no alarms in it) renders empty, which
    // Home Assistant ignores, and availability says offline meanwhile.
    for (const QString& alarm : station.alarms) {
        entities.push_back({"binary_sensor", QStringLiteral("alarm_") + alarm, QStringLiteral("Alarm ") + alarm,
                            QStringLiteral("status"),
                            QStringLiteral("{% if value_json.alarms is defined %}"
                                           "{{ 'ON' if value_json.alarms['%1'] else 'OFF' }}{% endif %}")
                                .arg(alarm)});
    }
    std::vector<RetainedMessage> out;
    QSet<QString> topics;
    const QString node = QStringLiteral("kirv_") + topicLevel(station.station);
    for (const Entity& e : entities) {
        // Alarm names that differ only by '.' and '_' would share a topic: a number parts them.
        QString topic = QStringLiteral("%1/%2/%3/%4").arg(prefix, QLatin1String(e.component), node, topicLevel(e.object));
        for (int n = 2; topics.contains(topic); ++n)
            topic = QStringLiteral("%1/%2/%3/%4_%5").arg(prefix, QLatin1String(e.component), node, topicLevel(e.object)).arg(n);
        topics.insert(topic);
        out.push_back({(topic + QStringLiteral("/config")).toUtf8(),
                       QJsonDocument(config(station, e)).toJson(QJsonDocument::Compact)});
    }
    return out;
}

} // namespace kirv::monitor
