#pragma once

#include "monitor/monitor_options.h"
#include "monitor/spool.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <atomic>
#include <optional>
#include <thread>

struct mosquitto;
struct mosquitto_message;

namespace kirv::monitor {

// Whether the file at `path` holds at least one PEM certificate, as a CA file must.
bool holdsCertificates(const QString& path);

// The station's MQTT client on a network thread of its own: the recording never waits on the
// network. The thread runs libmosquitto's loop, and when that loop gives up (a connection
// refused at the first try, a TLS handshake refused, a broker that speaks no MQTT) it tries
// again, as after a lost connection. Callbacks are handed to this object's thread, where
// everything else runs. Minute and alarm messages go through the disk spool, one in flight at
// a time, so they arrive in order and a restart loses none; live levels are sent only while
// connected.
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
    // kirv/STATION/SUBTOPIC, QoS 1, queued on the disk until the broker has it. One that
    // cannot be queued is sent at once while the broker is there, else it is lost (and said).
    void publishQueued(const char* subtopic, const QByteArray& json);
    // The retained kirv/STATION/status: these fields with "online": true.
    void setStatus(const QJsonObject& fields);
    // A retained message on any topic, QoS 1, sent only while connected: whether the library
    // took it.
    [[nodiscard]] bool publishRetained(const QByteArray& topic, const QByteArray& payload);
    // Subscribed (QoS 0) at each connection from now on; what arrives comes as message().
    void subscribe(const QByteArray& topic);

    bool connected() const { return m_connected; }
    qsizetype queued() const { return m_spool.size(); }

signals:
    // The "offline" status reached the broker, or the connection ended.
    void settled();
    // A connection came, and the status is sent.
    void connectedNow();
    void message(const QByteArray& topic, const QByteArray& payload);

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);
    void network(const QByteArray& host);
    void endNetwork();
    void connectedWith(int rc);
    void disconnectedWith(int rc, const QString& reason);
    void notConnected(const QString& reason);
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
    QList<QByteArray> m_subscriptions;
    bool m_connected = false;
    bool m_refusalSaid = false;
    bool m_failureSaid = false;
    bool m_spoolFailing = false;
    bool m_dropSaid = false;
    bool m_started = false;
    std::thread m_net;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_retryDelay{1}; // seconds before the network thread tries again
    int m_wake = -1; // an eventfd: the network thread's wait before a try ends at once
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
