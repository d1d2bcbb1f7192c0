#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace kirv::monitor {

// Reference pressure of sound levels, squared, in Pa^2.
inline constexpr double ReferencePressureSquared = 20e-6 * 20e-6;

// The counts and last values a station keeps for its metrics.
struct StationMetrics
{
    struct Alarm
    {
        QString name;
        bool active = false;
        quint64 raised = 0;
    };
    QString station;
    QString version;
    QString weighting;                // "A", "C", "Z", ...; empty before the first frame
    std::optional<double> level;      // the last sample's level
    std::optional<double> minuteLeq;  // the last full minute's Leq
    quint64 records = 0;
    double exposure = 0.0;            // Pa^2 s over the samples counted
    std::optional<qint64> lastRecord; // seconds since the epoch
    bool meterUp = false;
    bool mqtt = false;                // whether MQTT is on at all
    bool mqttConnected = false;
    qint64 mqttQueued = 0;
    std::vector<Alarm> alarms;

    // A sample of `levelDb` standing for `seconds` seconds.
    void addSample(qint64 time, double levelDb, int seconds);
};

// The Prometheus text exposition of the metrics.
QByteArray metricsText(const StationMetrics& m);

// A label value in the exposition: backslash, double quote and line feed escaped.
QByteArray labelValue(const QString& value);

} // namespace kirv::monitor
