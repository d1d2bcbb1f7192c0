#include "monitor/mqtt_link.h"

#include "monitor/journal.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QTimer>

#include <mosquitto.h>

namespace kirv::monitor {

namespace {

constexpr int kKeepAlive = 30;
constexpr int kStopWaitMs = 3000;

QByteArray statusJson(QJsonObject fields, bool online)
{
    fields.insert(QStringLiteral("online"), online);
    return QJsonDocument(fields).toJson(QJsonDocument::Compact);
}

} // namespace

MqttLink::MqttLink(const MqttOptions& options, const QString& station, QObject* parent)
    : QObject(parent), m_options(options), m_station(station)
{
    mosquitto_lib_init();
}

MqttLink::~MqttLink()
{
    if (m_mosq) {
        if (m_started)
            mosquitto_loop_stop(m_mosq, true);
        mosquitto_destroy(m_mosq);
    }
    mosquitto_lib_cleanup();
}

QByteArray MqttLink::topic(const char* subtopic) const
{
    return "kirv/" + m_station.toUtf8() + '/' + subtopic;
}

QString MqttLink::broker() const
{
    return QStringLiteral("%1:%2").arg(m_options.host).arg(m_options.port);
}

QString MqttLink::start(const QString& spoolFolder)
{
    const FileStatus spool = m_spool.open(spoolFolder);
    if (!spool.ok())
        return spool.error;
    QByteArray password;
    if (!m_options.passwordFile.isEmpty()) {
        QFile file(m_options.passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("Cannot read %1: %2").arg(m_options.passwordFile, file.errorString());
        password = file.readLine().trimmed();
    }
    const QByteArray id = "kirv-monitor-" + m_station.toUtf8();
    m_mosq = mosquitto_new(id.constData(), false, this);
    if (!m_mosq)
        return QStringLiteral("Cannot start the MQTT client: out of memory");
    if (!m_options.user.isEmpty()) {
        const QByteArray user = m_options.user.toUtf8();
        mosquitto_username_pw_set(m_mosq, user.constData(), password.isEmpty() ? nullptr : password.constData());
    }
    if (!m_options.caFile.isEmpty()) {
        const QByteArray ca = QFile::encodeName(m_options.caFile);
        const int rc = mosquitto_tls_set(m_mosq, ca.constData(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return QStringLiteral("Cannot use %1 for TLS: %2").arg(m_options.caFile, QString::fromUtf8(mosquitto_strerror(rc)));
    }
    const QByteArray will = statusJson({}, false);
    const QByteArray statusTopic = topic("status");
    mosquitto_will_set(m_mosq, statusTopic.constData(), int(will.size()), will.constData(), 1, true);
    mosquitto_connect_callback_set(m_mosq, &MqttLink::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttLink::onDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttLink::onPublish);
    mosquitto_reconnect_delay_set(m_mosq, 1, 10, true);
    const QByteArray host = m_options.host.toUtf8();
    say(QStringLiteral("MQTT: connecting to %1").arg(broker()));
    // A broker that is not there yet is tried again by the network thread.
    mosquitto_connect_async(m_mosq, host.constData(), m_options.port, kKeepAlive);
    const int rc = mosquitto_loop_start(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS)
        return QStringLiteral("Cannot start the MQTT client: %1").arg(QString::fromUtf8(mosquitto_strerror(rc)));
    m_started = true;
    return {};
}

void MqttLink::onConnect(mosquitto*, void* self, int rc)
{
    auto* link = static_cast<MqttLink*>(self);
    QMetaObject::invokeMethod(link, [link, rc] { link->connectedWith(rc); }, Qt::QueuedConnection);
}

void MqttLink::onDisconnect(mosquitto*, void* self, int rc)
{
    auto* link = static_cast<MqttLink*>(self);
    QMetaObject::invokeMethod(link, [link, rc] { link->disconnectedWith(rc); }, Qt::QueuedConnection);
}

void MqttLink::onPublish(mosquitto*, void* self, int mid)
{
    auto* link = static_cast<MqttLink*>(self);
    QMetaObject::invokeMethod(link, [link, mid] { link->published(mid); }, Qt::QueuedConnection);
}

void MqttLink::connectedWith(int rc)
{
    if (rc != 0) {
        // The network thread tries again; saying it on every try would flood the journal.
        if (!std::exchange(m_refusalSaid, true)) {
            say(QStringLiteral("MQTT: %1 refused the login (%2); trying again")
                    .arg(broker(), QString::fromUtf8(mosquitto_connack_string(rc))));
        }
        return;
    }
    m_refusalSaid = false;
    m_connected = true;
    say(QStringLiteral("MQTT: connected to %1 (%2 queued)").arg(broker()).arg(m_spool.size()));
    sendStatus();
    pump();
}

void MqttLink::disconnectedWith(int rc)
{
    const bool was = std::exchange(m_connected, false);
    emit settled();
    if (!was || rc == 0)
        return;
    say(QStringLiteral("MQTT: lost %1; minute and alarm messages wait on the disk").arg(broker()));
}

void MqttLink::published(int mid)
{
    if (mid == m_offlineMid) {
        m_offlineSent = true;
        emit settled();
    }
    if (m_inFlight && m_inFlight->mid == mid) {
        m_spool.removeHead();
        m_inFlight.reset();
        pump();
    }
}

void MqttLink::pump()
{
    // A message given to the library stays with it (it is sent again after a reconnect) until
    // the broker acknowledges it; only then does the next one go.
    if (!m_connected || m_inFlight)
        return;
    const auto message = m_spool.head();
    if (!message)
        return;
    int mid = 0;
    const int rc = mosquitto_publish(m_mosq, &mid, message->topic.constData(), int(message->payload.size()),
                                     message->payload.constData(), 1, false);
    if (rc == MOSQ_ERR_SUCCESS)
        m_inFlight = InFlight{mid, message->number};
}

void MqttLink::publishLevel(const QByteArray& json)
{
    if (!m_connected)
        return;
    const QByteArray t = topic("level");
    mosquitto_publish(m_mosq, nullptr, t.constData(), int(json.size()), json.constData(), 0, false);
}

void MqttLink::publishQueued(const char* subtopic, const QByteArray& json)
{
    const FileStatus status = m_spool.append(topic(subtopic), json);
    if (!status.ok())
        say(status.error);
    pump();
}

void MqttLink::setStatus(const QJsonObject& fields)
{
    if (fields == m_status)
        return;
    m_status = fields;
    sendStatus();
}

void MqttLink::sendStatus()
{
    if (!m_connected)
        return;
    const QByteArray json = statusJson(m_status, true);
    const QByteArray t = topic("status");
    mosquitto_publish(m_mosq, nullptr, t.constData(), int(json.size()), json.constData(), 1, true);
}

void MqttLink::stop()
{
    if (!m_started)
        return;
    if (m_connected) {
        const QByteArray json = statusJson(m_status, false);
        const QByteArray t = topic("status");
        if (mosquitto_publish(m_mosq, &m_offlineMid, t.constData(), int(json.size()), json.constData(), 1, true)
            == MOSQ_ERR_SUCCESS) {
            // Wait for the broker to take it, a few seconds at most.
            QEventLoop loop;
            QTimer::singleShot(kStopWaitMs, &loop, &QEventLoop::quit);
            connect(this, &MqttLink::settled, &loop, &QEventLoop::quit);
            if (!m_offlineSent && m_connected)
                loop.exec();
        }
    }
    if (m_connected && !m_offlineSent) {
        // No clean goodbye: the broker sees the connection drop and says "offline" by the will.
        mosquitto_loop_stop(m_mosq, true);
    } else {
        // Also ends the network thread's tries to reconnect, woken from its wait.
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
    }
    m_started = false;
    m_connected = false;
}

} // namespace kirv::monitor
