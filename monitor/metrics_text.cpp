#include "monitor/metrics_text.h"

#include <cmath>

namespace kirv::monitor {

void StationMetrics::addSample(qint64 time, double levelDb, int seconds)
{
    level = levelDb;
    lastRecord = time;
    ++records;
    // A level no meter shows (thousands of dB from a corrupt frame) would make the counter
    // infinite for good: its term is left out.
    if (const double term = ReferencePressureSquared * std::pow(10.0, levelDb / 10.0) * seconds; std::isfinite(term))
        exposure += term;
}

QByteArray labelValue(const QString& value)
{
    QByteArray out;
    for (const char c : value.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c == '\n' ? QByteArray("\\n") : QByteArray(1, c);
    }
    return out;
}

namespace {

QByteArray number(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "+Inf" : "-Inf";
    return QByteArray::number(value, 'g', 17);
}

class Exposition
{
public:
    explicit Exposition(const StationMetrics& m) : m_station("station=\"" + labelValue(m.station) + '"') {}

    void family(const char* name, const char* type, const char* help)
    {
        m_text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(const char* name, double value, const QByteArray& labels = {})
    {
        m_text += QByteArray(name) + '{' + m_station + (labels.isEmpty() ? QByteArray() : ',' + labels) + "} "
                  + number(value) + '\n';
    }
    QByteArray text() const { return m_text; }

private:
    QByteArray m_station;
    QByteArray m_text;
};

QByteArray label(const char* name, const QString& value)
{
    return QByteArray(name) + "=\"" + labelValue(value) + '"';
}

} // namespace

QByteArray metricsText(const StationMetrics& m)
{
    Exposition e(m);
    e.family("kirv_build_info", "gauge", "The monitor's version.");
    e.sample("kirv_build_info", 1, label("version", m.version));
    e.family("kirv_meter_up", "gauge", "1 while the meter sends frames, 0 while its link is lost.");
    e.sample("kirv_meter_up", m.meterUp ? 1 : 0);
    // A value not known yet is left out, not given as 0.
    if (m.level) {
        e.family("kirv_sound_level_decibels", "gauge", "The level of the last sample.");
        e.sample("kirv_sound_level_decibels", *m.level, label("weighting", m.weighting));
    }
    if (m.minuteLeq) {
        e.family("kirv_minute_leq_decibels", "gauge", "The Leq of the last full clock minute.");
        e.sample("kirv_minute_leq_decibels", *m.minuteLeq, label("weighting", m.weighting));
    }
    e.family("kirv_records_total", "counter", "Samples recorded into the day files.");
    e.sample("kirv_records_total", double(m.records));
    e.family("kirv_sound_exposure_pascal_squared_seconds_total", "counter",
             "Sum over the samples of p0^2 10^(L/10) times the interval; "
             "10*log10(rate(...)/4e-10) is the Leq over the range.");
    e.sample("kirv_sound_exposure_pascal_squared_seconds_total", m.exposure);
    if (m.lastRecord) {
        e.family("kirv_last_record_timestamp_seconds", "gauge", "When the last sample was recorded.");
        e.sample("kirv_last_record_timestamp_seconds", double(*m.lastRecord));
    }
    if (!m.alarms.empty()) {
        e.family("kirv_alarm_active", "gauge", "1 while the alarm is raised.");
        for (const auto& a : m.alarms)
            e.sample("kirv_alarm_active", a.active ? 1 : 0, label("alarm", a.name));
        e.family("kirv_alarms_raised_total", "counter", "Times the alarm was raised.");
        for (const auto& a : m.alarms)
            e.sample("kirv_alarms_raised_total", double(a.raised), label("alarm", a.name));
    }
    if (m.mqtt) {
        e.family("kirv_mqtt_connected", "gauge", "1 while the MQTT broker is connected.");
        e.sample("kirv_mqtt_connected", m.mqttConnected ? 1 : 0);
        e.family("kirv_mqtt_queued_messages", "gauge", "Minute and alarm messages waiting on the disk.");
        e.sample("kirv_mqtt_queued_messages", double(m.mqttQueued));
    }
    return e.text();
}

} // namespace kirv::monitor
