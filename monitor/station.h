#pragma once

#include "monitor/alarms.h"
#include "monitor/day_files.h"
#include "monitor/metrics_text.h"
#include "monitor/minute_stats.h"
#include "monitor/monitor_options.h"

#include "kirv/meter/live_poll.h"
#include "kirv/meter/live_reading.h"
#include "kirv/meter/serial_link.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace kirv::monitor {

class MetricsServer;
class MqttLink;

// The unattended recorder: the live poll of the panel (Timer1, 200 ms, with its link
// recovery), a sampling tick on the clock's seconds (Timer2) that feeds the day files, the
// minute statistics, the alarms and the MQTT link.
class Station : public QObject
{
    Q_OBJECT
public:
    explicit Station(const MonitorOptions& options, QObject* parent = nullptr);
    ~Station() override;

    // Opens the port and everything else; the exit code when it cannot go on (1: a device or
    // file failed), or 0 when it runs.
    int start();
    // The program ends: the running day's file is completed, MQTT says "offline". The exit
    // code: 0, or 1 when the day's file could not be completed (its scratch file stays).
    [[nodiscard]] int stop();

    void Timer1_Timer();
    void Timer2_Timer();

private:
    void frameTaken(const QByteArray& frame);
    void linkLost(const QString& reason);
    void linkBack();
    void armTick();
    void sampleSecond();
    void alarmEvent(const AlarmEvent& event);
    void updateStatus();
    void announce();
    QByteArray metrics();
    MeterSettingsText settingsText() const;
    bool frameIsFresh() const;

    MonitorOptions m_options;
    QtSerialLink m_link;
    LivePoll m_poll{m_link};
    QString m_device;
    LiveReading m_reading;
    QTimer Timer1;
    QTimer Timer2;
    DayFiles m_days;
    MinuteStats m_minute;
    std::vector<AlarmWatch> m_alarms;
    std::unique_ptr<AlarmHooks> m_hooks;
    std::unique_ptr<MqttLink> m_mqtt;
    std::unique_ptr<MetricsServer> m_metricsServer;
    StationMetrics m_metrics;
    QString m_announcedWeight; // the weighting the discovery configs and the status carry
    std::unique_ptr<QLockFile> m_lock;
    QElapsedTimer m_sinceFrame;
    bool m_tickWaiting = false;
    bool m_linkLost = false;
    bool m_haveFrame = false;
    int m_sampleTick = 0;
    qint64 m_lastSecond = 0; // seconds since the epoch of the last tick taken
};

} // namespace kirv::monitor
