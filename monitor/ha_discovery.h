#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kirv::monitor {

// What Home Assistant is told of a station: its name, the meter's frequency weighting as the
// live frame gives it ("A", "C", "Z", "AA") and the names of its alarms.
struct DiscoveredStation
{
    QString station;
    QString freqWeight;
    QStringList alarms;
};

struct RetainedMessage
{
    QByteArray topic;
    QByteArray payload;
};

// The unit of the levels for the weighting: dBA, dBC, or dB for the others.
QString levelUnit(const QString& freqWeight);

// One config message for each of the level, the minute's Leq, L10 and L90 (sensors over the
// level and minute topics) and for each alarm (a binary sensor over the alarm topic), under
// PREFIX/sensor/kirv_STATION/... and PREFIX/binary_sensor/kirv_STATION/...; all available
// while the station's retained status says online.
std::vector<RetainedMessage> discoveryConfigs(const QString& prefix, const DiscoveredStation& station);

} // namespace kirv::monitor
