#include "monitor/mqtt_link.h"

#include "monitor/journal.h"

#include "kirv/base/regular_file.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QTimer>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kirv::monitor {

namespace {

constexpr int StopWaitMs = 3000;
constexpr int RetryMaxSeconds = 10;

QByteArray statusJson(QJsonObject fields, bool online)
{
    fields.insert(QStringLiteral("online"), online);
    return QJsonDocument(fields).toJson(QJsonDocument::Compact);
}

} // namespace

bool holdsCertificates(const QString& path)
{
    QFile file;
    if (!openRegularFile(file, path, 1 << 20).ok())
        return false;
    const QByteArray text = file.readAll();
    const QByteArray begin("-----BEGIN CERTIFICATE-----");
    const QByteArray end("-----END CERTIFICATE-----");
    for (qsizetype at = text.indexOf(begin); at >= 0; at = text.indexOf(begin, at + 1)) {
        const qsizetype from = at + begin.size();
        const qsizetype to = text.indexOf(end, from);
        if (to < 0)
            return false;
        // A certificate is a DER SEQUENCE: its first byte is 0x30.
        const auto der = QByteArray::fromBase64Encoding(text.mid(from, to - from).simplified().replace(' ', ""),
                                                        QByteArray::AbortOnBase64DecodingErrors);
        if (der && der.decoded.size() > 2 && der.decoded.at(0) == 0x30)
            return true;
    }
    return false;
}


MqttLink::MqttLink(const MqttOptions& options, const QString& station, QObject* parent)
    : QObject(parent), m_options(options), m_station(station)
{
    mosquitto_lib_init();
}

MqttLink::~MqttLink()
{
    if (m_mosq) {
        endNetwork();
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
    const FileStatus spool = m_spool.open(spoolFolder, m_options.queueMax);
    if (!spool.ok())
        return spool.error;
    if (const qsizetype dropped = m_spool.droppedAtOpen())
        say(QStringLiteral("MQTT: dropped the %1 oldest queued messages, beyond the %2 that --mqtt-queue-max keeps")
                .arg(dropped).arg(m_options.queueMax));
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
    mosquitto_message_callback_set(m_mosq, &MqttLink::onMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, RetryMaxSeconds, true);
    mosquitto_threaded_set(m_mosq, true);
    m_wake = ::eventfd(0, EFD_CLOEXEC);
    if (m_wake < 0)
        return QStringLiteral("Cannot start the MQTT client: %1").arg(qt_error_string(errno));
    say(QStringLiteral("MQTT: connecting to %1").arg(broker()));
    m_stopping = false;
    m_net = std::thread(&MqttLink::network, this, m_options.host.toUtf8());
    m_started = true;
    return {};
}

void MqttLink::network(const QByteArray& host)
{
    // The name lookup and the connect happen here, never on the recording's thread.
    int rc = mosquitto_connect_async(m_mosq, host.constData(), m_options.port, m_options.keepAlive);
    while (!m_stopping) {
        if (rc == MOSQ_ERR_SUCCESS)
            rc = mosquitto_loop_forever(m_mosq, m_options.keepAlive * 1000, 1);
        if (m_stopping)
            break;
        const QString reason = QString::fromUtf8(mosquitto_strerror(rc)); // errno is this thread's
        QMetaObject::invokeMethod(this, [this, reason] { notConnected(reason); }, Qt::QueuedConnection);
        const int delay = m_retryDelay;
        m_retryDelay = std::min(delay * 2, RetryMaxSeconds);
        // A relative wait (a clock stepped meanwhile does not stretch it), ended by the stop.
        pollfd wake{m_wake, POLLIN, 0};
        [[maybe_unused]] const int woken = ::poll(&wake, 1, delay * 1000);
        if (!m_stopping)
            rc = mosquitto_reconnect_async(m_mosq);
    }
}

void MqttLink::endNetwork()
{
    if (!m_net.joinable())
        return;
    m_stopping = true;
    const quint64 one = 1;
    [[maybe_unused]] const auto n = ::write(m_wake, &one, sizeof one); // the thread's wait ends
    mosquitto_disconnect(m_mosq); // ends the loop, also when it waits to try again
    m_net.join();
    ::close(m_wake);
    m_wake = -1;
}

void MqttLink::onConnect(mosquitto* mosq, void* self, int rc)
{
    auto* link = static_cast<MqttLink*>(self);
    // An --on-alarm command must not hold the connection open after this program ends.
    if (const int socket = mosquitto_socket(mosq); socket >= 0)
        ::fcntl(socket, F_SETFD, ::fcntl(socket, F_GETFD) | FD_CLOEXEC);
    if (rc == 0)
        link->m_retryDelay = 1;
    QMetaObject::invokeMethod(link, [link, rc] { link->connectedWith(rc); }, Qt::QueuedConnection);
}

void MqttLink::onDisconnect(mosquitto*, void* self, int rc)
{
    auto* link = static_cast<MqttLink*>(self);
    const QString reason = QString::fromUtf8(mosquitto_strerror(rc));
    QMetaObject::invokeMethod(link, [link, rc, reason] { link->disconnectedWith(rc, reason); }, Qt::QueuedConnection);
}

void MqttLink::onPublish(mosquitto*, void* self, int mid)
{
    auto* link = static_cast<MqttLink*>(self);
    QMetaObject::invokeMethod(link, [link, mid] { link->published(mid); }, Qt::QueuedConnection);
}

void MqttLink::onMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* link = static_cast<MqttLink*>(self);
    const QByteArray topic(message->topic);
    const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
    QMetaObject::invokeMethod(link, [link, topic, payload] { emit link->message(topic, payload); }, Qt::QueuedConnection);
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
    m_failureSaid = false;
    m_connected = true;
    say(QStringLiteral("MQTT: connected to %1 (%2 queued)").arg(broker()).arg(m_spool.size()));
    sendStatus();
    for (const QByteArray& t : std::as_const(m_subscriptions))
        mosquitto_subscribe(m_mosq, nullptr, t.constData(), 0);
    emit connectedNow();
    pump();
}

void MqttLink::disconnectedWith(int rc, const QString& reason)
{
    const bool was = std::exchange(m_connected, false);
    emit settled();
    if (rc == 0)
        return;
    if (!was) {
        notConnected(reason); // a connection that never became one
        return;
    }
    m_failureSaid = true; // the tries to reconnect need no words of their own
    say(QStringLiteral("MQTT: lost %1; minute and alarm messages wait on the disk").arg(broker()));
}

void MqttLink::notConnected(const QString& reason)
{
    // Said once until a connection comes; a refused login has said it already.
    if (m_connected || m_refusalSaid || std::exchange(m_failureSaid, true))
        return;
    say(QStringLiteral("MQTT: cannot connect to %1 (%2); trying again").arg(broker(), reason));
}

void MqttLink::published(int mid)
{
    if (mid == m_offlineMid) {
        m_offlineSent = true;
        emit settled();
    }
    if (m_inFlight && m_inFlight->mid == mid) {
        m_spool.remove(m_inFlight->number);
        m_inFlight.reset();
        if (m_spool.size() == 0)
            m_dropSaid = false;
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
    // Retained, so that a page or a dashboard that subscribes now shows the level at once
    // instead of waiting for the next sample.
    const QByteArray t = topic("level");
    mosquitto_publish(m_mosq, nullptr, t.constData(), int(json.size()), json.constData(), 0, true);
}

void MqttLink::publishQueued(const char* subtopic, const QByteArray& json)
{
    const QByteArray t = topic(subtopic);
    const qsizetype before = m_spool.size();
    const FileStatus status = m_spool.append(t, json);
    if (status.ok()) {
        if (std::exchange(m_spoolFailing, false))
            say(QStringLiteral("MQTT: queueing messages again"));
        if (m_spool.size() <= before && !std::exchange(m_dropSaid, true))
            say(QStringLiteral("MQTT: %1 messages wait on the disk, as many as --mqtt-queue-max keeps; the oldest are dropped")
                    .arg(m_spool.size()));
        pump();
        return;
    }
    // Not on the disk: sent now if the broker is there (the library sends it again after a
    // reconnect while this program runs), else lost.
    if (!std::exchange(m_spoolFailing, true))
        say(status.error);
    if (m_connected
        && mosquitto_publish(m_mosq, nullptr, t.constData(), int(json.size()), json.constData(), 1, false)
               == MOSQ_ERR_SUCCESS)
        return;
    say(QStringLiteral("MQTT: a %1 message is lost: %2").arg(QLatin1String(subtopic), QString::fromUtf8(json)));
}

void MqttLink::setStatus(const QJsonObject& fields)
{
    if (fields == m_status)
        return;
    m_status = fields;
    sendStatus();
}

bool MqttLink::publishRetained(const QByteArray& topic, const QByteArray& payload)
{
    return m_connected
           && mosquitto_publish(m_mosq, nullptr, topic.constData(), int(payload.size()), payload.constData(), 1, true)
                  == MOSQ_ERR_SUCCESS;
}

void MqttLink::subscribe(const QByteArray& topic)
{
    m_subscriptions.append(topic);
    if (m_connected)
        mosquitto_subscribe(m_mosq, nullptr, topic.constData(), 0);
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
            QTimer::singleShot(StopWaitMs, &loop, &QEventLoop::quit);
            connect(this, &MqttLink::settled, &loop, &QEventLoop::quit);
            if (!m_offlineSent && m_connected)
                loop.exec();
        }
    }
    if (m_connected && !m_offlineSent) {
        // No clean goodbye: the connection is cut, and the broker says "offline" by the will.
        if (const int socket = mosquitto_socket(m_mosq); socket >= 0)
            ::shutdown(socket, SHUT_RDWR);
    }
    endNetwork();
    m_started = false;
    m_connected = false;
}

} // namespace kirv::monitor
