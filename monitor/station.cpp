#include "monitor/station.h"

#include "monitor/ha_discovery.h"
#include "monitor/journal.h"
#include "monitor/metrics_server.h"
#include "monitor/mqtt_link.h"

#include "kirv/base/clock.h"
#include "kirv/meter/exchange.h"
#include "kirv/meter/port_table.h"
#include "kirv/records/filenames.h"
#include "kirv/base/civil_time.h"
#include "kirv/version.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace kirv::monitor {

namespace {

// A frame older than this is taken for a silent meter, not for the level now.
constexpr int FreshFrameMs = 500;
// The tick comes this long after each whole second of the clock, so every second gets one
// tick and one time stamp.
constexpr int TickAfterSecondMs = 100;

} // namespace

Station::Station(const MonitorOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_days(options.dir, options.station, options.interval)
{
    Timer1.setInterval(200);
    connect(&Timer1, &QTimer::timeout, this, &Station::Timer1_Timer);
    connect(&m_poll, &LivePoll::frameTaken, this, &Station::frameTaken);
    connect(&m_poll, &LivePoll::linkLost, this, &Station::linkLost);
    connect(&m_poll, &LivePoll::deviceBack, this, [this] { say(QStringLiteral("device %1 back").arg(m_device)); });
    connect(&m_poll, &LivePoll::linkBack, this, &Station::linkBack);
    Timer2.setSingleShot(true);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &Station::Timer2_Timer);
    m_metrics.station = options.station;
    m_metrics.version = QLatin1String(VersionText);
    m_metrics.mqtt = !options.mqtt.host.isEmpty();
    for (const AlarmSpec& spec : options.alarms) {
        m_alarms.emplace_back(spec);
        m_metrics.alarms.push_back({spec.name});
    }
    if (!options.onAlarm.isEmpty())
        m_hooks = std::make_unique<AlarmHooks>(options.onAlarm, options.station, say);
}

Station::~Station() = default;

int Station::start()
{
    if (!QDir().mkpath(m_days.scratchFolder())) {
        say(QStringLiteral("Cannot create %1").arg(QDir::toNativeSeparators(m_days.scratchFolder())));
        return 1;
    }
    m_lock = std::make_unique<QLockFile>(QDir(m_days.scratchFolder()).filePath(QStringLiteral("lock")));
    if (!m_lock->tryLock(0)) {
        qint64 pid = 0;
        QString host, app;
        m_lock->getLockInfo(&pid, &host, &app);
        say(QStringLiteral("Station %1 is already recorded into %2 (process %3)")
                .arg(m_options.station, QDir::toNativeSeparators(m_options.dir))
                .arg(pid));
        return 1;
    }
    // Nobody is there to be asked: a recording left by a crash is completed at once.
    if (!m_days.completeLeft({}).ok())
        return 1;

    const PortChoice choice{isDevicePath(m_options.port) ? 0 : portNumberFromText(m_options.port, 0),
                            isDevicePath(m_options.port) ? m_options.port : QString()};
    const PortTable table({}, {}, PortTable::systemDevices());
    m_device = deviceForChoice(choice, table);
    if (m_device.isEmpty() || !m_link.open(m_device, QString::fromLatin1(MeterLineSettings))) {
        say(QStringLiteral("No device found, try again! ")
            + openFailureDetail(choice, m_device, m_link.lastFailure(), m_link.lastError()));
        return 1;
    }
    say(QStringLiteral("port %1 open (%2), station %3, a sample every %4 s")
            .arg(m_device, QLatin1String(MeterLineSettings), m_options.station)
            .arg(m_options.interval));

    if (!m_options.mqtt.host.isEmpty()) {
        m_mqtt = std::make_unique<MqttLink>(m_options.mqtt, m_options.station);
        const QString error = m_mqtt->start(QDir(m_days.scratchFolder()).filePath(QStringLiteral("mqtt-queue")));
        if (!error.isEmpty()) {
            say(error);
            return 1;
        }
        if (const QString& prefix = m_options.mqtt.discoveryPrefix; !prefix.isEmpty()) {
            // Home Assistant says "online" on its status topic when it (re)starts: it has
            // forgotten nothing retained, but a broker without persistence may have.
            const QByteArray haStatus = prefix.toUtf8() + "/status";
            m_mqtt->subscribe(haStatus);
            connect(m_mqtt.get(), &MqttLink::message, this, [this, haStatus](const QByteArray& topic, const QByteArray& payload) {
                if (topic == haStatus && payload.trimmed() == "online")
                    announce();
            });
            connect(m_mqtt.get(), &MqttLink::connectedNow, this, &Station::announce);
        }
        updateStatus();
    }
    if (!m_options.metrics.address.isEmpty()) {
        m_metricsServer = std::make_unique<MetricsServer>([this] { return metrics(); });
        if (const QString error = m_metricsServer->listen(m_options.metrics); !error.isEmpty()) {
            say(error);
            return 1;
        }
        say(QStringLiteral("metrics at http://%1:%2/metrics").arg(m_options.metrics.address).arg(m_options.metrics.port));
    }
    Timer1.start();
    armTick();
    return 0;
}

int Station::stop()
{
    Timer1.stop();
    Timer2.stop();
    const FileStatus finished = m_days.finish(settingsText());
    if (m_mqtt) {
        updateStatus();
        m_mqtt->stop();
    }
    m_link.close();
    if (!finished.ok()) {
        say(QStringLiteral("stopped; the day's records stay in %1").arg(QDir::toNativeSeparators(m_days.scratchPath())));
        return 1;
    }
    say(QStringLiteral("stopped"));
    return 0;
}

MeterSettingsText Station::settingsText() const
{
    if (!m_haveFrame)
        return {};
    return {freqWeightBoardText(m_reading.FreqWeight), m_reading.TimeWeight, rangeText(m_reading)};
}

bool Station::frameIsFresh() const
{
    return m_haveFrame && m_sinceFrame.isValid() && m_sinceFrame.elapsed() <= FreshFrameMs;
}

void Station::Timer1_Timer()
{
    m_poll.tick();
}

void Station::frameTaken(const QByteArray& frame)
{
    decodeFrame(m_reading, frame);
    m_haveFrame = true;
    m_sinceFrame.start();
    if (m_reading.FreqWeight != m_announcedWeight) {
        m_announcedWeight = m_reading.FreqWeight;
        announce();
        updateStatus();
    }
    if (std::exchange(m_tickWaiting, false))
        sampleSecond();
}

void Station::linkLost(const QString& reason)
{
    m_linkLost = true;
    m_tickWaiting = false;
    if (!reason.isEmpty())
        say(QStringLiteral("device %1 gone (%2)").arg(m_device, reason));
    say(QStringLiteral("link lost at %1").arg(stampText(now())));
    // The day's file so far is completed now; when the meter is back the day goes on in its
    // next part.
    // Day files say their own failures in the journal; the station goes on either way.
    static_cast<void>(m_days.finish(settingsText()));
    for (AlarmWatch& alarm : m_alarms)
        alarm.gap();
    updateStatus();
}

void Station::linkBack()
{
    m_linkLost = false;
    say(QStringLiteral("link back at %1").arg(stampText(now())));
    updateStatus();
}

void Station::armTick()
{
    const int msec = now().time().msec();
    int wait = (1000 + TickAfterSecondMs - msec) % 1000;
    if (wait < TickAfterSecondMs / 2)
        wait += 1000;
    Timer2.start(wait);
}

void Station::Timer2_Timer()
{
    armTick();
    if (m_linkLost) {
        if (auto minute = m_minute.roll(now()); minute && m_mqtt)
            m_mqtt->publishQueued("minute", *minute);
        return;
    }
    // No stale sample: the tick waits for the next frame (or ends in the link recovery).
    if (!frameIsFresh()) {
        m_tickWaiting = true;
        return;
    }
    sampleSecond();
}

void Station::sampleSecond()
{
    const QDateTime time = now();
    const qint64 second = time.toSecsSinceEpoch();
    if (second == m_lastSecond)
        return;
    m_lastSecond = second;
    if (auto minute = m_minute.roll(time); minute && m_mqtt)
        m_mqtt->publishQueued("minute", *minute);

    const QString before = m_days.currentPath();
    const double level = m_reading.LevelDb;
    const QString& text = m_reading.LevelText;
    static_cast<void>(m_days.second(time, level, text, settingsText())); // failures: journal
    for (AlarmWatch& alarm : m_alarms) {
        if (auto event = alarm.second(time, level))
            alarmEvent(*event);
    }
    if (m_sampleTick < m_options.interval) {
        ++m_sampleTick;
    } else {
        m_sampleTick = 1;
        static_cast<void>(m_days.sample(time, text)); // failures: in the journal
        m_metrics.addSample(second, level, m_options.interval);
        m_minute.add(time, level, text);
        if (m_mqtt)
            m_mqtt->publishLevel(levelMessage(time, level, text));
    }
    if (m_days.currentPath() != before)
        updateStatus();
}

void Station::alarmEvent(const AlarmEvent& event)
{
    for (auto& alarm : m_metrics.alarms) {
        if (alarm.name == event.name && event.raised)
            ++alarm.raised;
    }
    say(QStringLiteral("alarm %1 %2: %3 dB at %4")
            .arg(event.name, alarmEventWord(event), QString::number(event.level, 'f', 1), isoText(event.time)));
    const QString written = appendAlarmLine(m_options.dir, m_options.station, event);
    if (!written.isEmpty())
        say(written);
    if (m_mqtt) {
        const QJsonObject o{{QStringLiteral("time"), isoText(event.time)},
                            {QStringLiteral("alarm"), event.name},
                            {QStringLiteral("event"), alarmEventWord(event)},
                            {QStringLiteral("level"), std::round(event.level * 10.0) / 10.0},
                            {QStringLiteral("threshold"), event.threshold}};
        m_mqtt->publishQueued("alarm", QJsonDocument(o).toJson(QJsonDocument::Compact));
        updateStatus();
    }
    if (m_hooks)
        m_hooks->run(event);
}

void Station::updateStatus()
{
    if (!m_mqtt)
        return;
    // The retained status also says the unit and each alarm's state, so that a page or a tool
    // that subscribes later knows them without waiting for the next event.
    QJsonObject alarms;
    for (std::size_t i = 0; i < m_alarms.size(); ++i)
        alarms.insert(m_options.alarms[i].name, m_alarms[i].raised());
    QJsonObject fields{{QStringLiteral("port"), m_device},
                       {QStringLiteral("link"), m_linkLost ? QStringLiteral("lost") : QStringLiteral("up")},
                       {QStringLiteral("file"), m_days.running() ? fileTitle(m_days.currentPath()) : QString()},
                       {QStringLiteral("alarms"), alarms}};
    if (m_haveFrame)
        fields.insert(QStringLiteral("weighting"), freqWeightBoardText(m_reading.FreqWeight));
    m_mqtt->setStatus(fields);
}

void Station::announce()
{
    // The unit of the levels is the meter's weighting: nothing is said before a frame tells it.
    if (!m_haveFrame || !m_mqtt || m_options.mqtt.discoveryPrefix.isEmpty())
        return;
    QStringList alarms;
    for (const AlarmSpec& spec : m_options.alarms)
        alarms.append(spec.name);
    bool sent = m_mqtt->connected();
    for (const RetainedMessage& config :
         discoveryConfigs(m_options.mqtt.discoveryPrefix, {m_options.station, m_reading.FreqWeight, alarms}))
        sent = m_mqtt->publishRetained(config.topic, config.payload) && sent;
    if (!sent && m_mqtt->connected())
        say(QStringLiteral("MQTT: the discovery configs could not all be sent; they go again at the next connection"));
}

QByteArray Station::metrics()
{
    m_metrics.weighting = m_haveFrame ? freqWeightBoardText(m_reading.FreqWeight) : QString();
    m_metrics.minuteLeq = m_minute.lastLeq();
    m_metrics.meterUp = m_haveFrame && !m_linkLost;
    for (std::size_t i = 0; i < m_alarms.size(); ++i)
        m_metrics.alarms[i].active = m_alarms[i].raised();
    if (m_mqtt) {
        m_metrics.mqttConnected = m_mqtt->connected();
        m_metrics.mqttQueued = m_mqtt->queued();
    }
    return metricsText(m_metrics);
}

} // namespace kirv::monitor
