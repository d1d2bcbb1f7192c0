#pragma once

#include "monitor/monitor_options.h"
#include "monitor/spool.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <optional>

struct mosquitto;

namespace kirv::monitor {

// The station's MQTT client on libmosquitto's own network thread: the recording never waits
// on the network. Callbacks are handed to this object's thread, where everything else runs.
// Minute and alarm messages go through the disk spool, one in flight at a time, so they
// arrive in order and a restart loses none; live levels are sent only while connected.
class MqttLink : public QObject
{
    Q_OBJECT
public:
    MqttLink(const MqttOptions& options, const QString& station, QObject* parent = nullptr);
    ~MqttLink() override;

    // Reads the password file, opens the spool and starts connecting (in the background).
    // Empty on success, else what went wrong.
    QString start(const QString& spoolFolder);
    // Says "offline" on the status topic (waiting at most a few seconds) and disconnects.
    void stop();

    // kirv/STATION/level, QoS 0, dropped while the broker is away.
    void publishLevel(const QByteArray& json);
    // kirv/STATION/SUBTOPIC, QoS 1, queued on the disk until the broker has it.
    void publishQueued(const char* subtopic, const QByteArray& json);
    // The retained kirv/STATION/status: these fields with "online": true.
    void setStatus(const QJsonObject& fields);

    bool connected() const { return m_connected; }
    qsizetype queued() const { return m_spool.size(); }

signals:
    // The "offline" status reached the broker, or the connection ended.
    void settled();

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);
    void connectedWith(int rc);
    void disconnectedWith(int rc);
    void published(int mid);
    void pump();
    void sendStatus();
    QByteArray topic(const char* subtopic) const;
    QString broker() const;

    MqttOptions m_options;
    QString m_station;
    mosquitto* m_mosq = nullptr;
    Spool m_spool;
    QJsonObject m_status;
    bool m_connected = false;
    bool m_refusalSaid = false;
    bool m_started = false;
    struct InFlight
    {
        int mid;
        quint64 number;
    };
    std::optional<InFlight> m_inFlight;
    int m_offlineMid = -1;
    bool m_offlineSent = false;
};

} // namespace kirv::monitor
