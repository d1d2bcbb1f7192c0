#include "monitor/alarms.h"

#include "monitor/journal.h"

#include "kirv/base/decibels.h"
#include "kirv/base/civil_time.h"
#include "kirv/base/level_class.h"
#include "kirv/stats/class_energy.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kirv::monitor {

AlarmWatch::AlarmWatch(const AlarmSpec& spec) : m_spec(spec)
{
    if (spec.leq) {
        m_ring.assign(size_t(spec.seconds), 0);
        m_counts.assign(size_t(topClass(Resolution::Fine)) + 1, 0);
    }
}

void AlarmWatch::gap()
{
    m_run = 0;
    m_filled = 0;
    m_next = 0;
    std::fill(m_counts.begin(), m_counts.end(), 0);
}

double AlarmWatch::windowLeq() const
{
    return ClassEnergy::leqOfCounts(std::span<const int>(m_counts));
}

std::optional<AlarmEvent> AlarmWatch::second(const QDateTime& time, double levelDb)
{
    double value = levelDb;
    if (m_spec.leq) {
        const int c = fineClassOf(levelDb);
        if (m_filled == m_spec.seconds)
            --m_counts[m_ring[size_t(m_next)]];
        else
            ++m_filled;
        m_ring[size_t(m_next)] = quint16(c);
        ++m_counts[size_t(c)];
        m_next = (m_next + 1) % m_spec.seconds;
        if (m_filled < m_spec.seconds)
            return std::nullopt; // the Leq of the last SECONDS seconds is not known yet
        value = tenthValue(windowLeq());
    }
    // The Leq of the window has the SECONDS in it already: it decides each second.
    const int needed = m_spec.leq ? 1 : m_spec.seconds;
    const bool above = value >= m_spec.level;
    m_run = above != m_raised ? m_run + 1 : 0;
    if (m_run < needed)
        return std::nullopt;
    m_raised = above;
    m_run = 0;
    return AlarmEvent{m_spec.name, m_raised, time, value, m_spec.level};
}

QString alarmEventWord(const AlarmEvent& event)
{
    return event.raised ? QStringLiteral("raised") : QStringLiteral("cleared");
}

QString alarmCsvLine(const AlarmEvent& event)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(isoText(event.time), QString::number(event.level, 'f', 1), event.name,
             alarmEventWord(event));
}

QString appendAlarmLine(const QString& dir, const QString& station, const AlarmEvent& event)
{
    QFile file(QDir(dir).filePath(QStringLiteral("%1-alarms-%2.csv")
                                      .arg(station, event.time.toString(QStringLiteral("yyyyMMdd")))));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
    QByteArray text;
    if (file.size() == 0)
        text = QByteArray(AlarmCsvTitle) + "\r\n";
    text += alarmCsvLine(event).toUtf8() + "\r\n";
    const qint64 before = file.size();
    if (file.write(text) != text.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        const QString reason = file.errorString();
        file.resize(before); // no torn line for the next one to follow
        return QStringLiteral("Cannot write %1: %2").arg(file.fileName(), reason);
    }
    return {};
}

namespace {

// In the child, before the command starts: a process group of its own (killed as one), and
// every descriptor above the standard ones closed at the exec.
void childSetup()
{
    ::setpgid(0, 0);
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    const long most = ::sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (most > 0 ? most : 1024); ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0)
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

} // namespace

AlarmHooks::AlarmHooks(const QString& command, const QString& station,
                       std::function<void(const QString&)> say, int most, int limitMs)
    : m_command(command), m_station(station), m_say(std::move(say)), m_most(most), m_limitMs(limitMs)
{
}

AlarmHooks::~AlarmHooks()
{
    for (QProcess* process : m_running) {
        process->disconnect(this);
        if (const qint64 pid = process->processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
        process->waitForFinished(1000);
    }
}

void AlarmHooks::run(const AlarmEvent& event)
{
    const QString what = event.name + QLatin1Char(' ') + alarmEventWord(event);
    if (running() >= m_most) {
        m_say(QStringLiteral("alarm command for %1 not run: %2 still run").arg(what).arg(running()));
        return;
    }
    auto* process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KIRV_STATION"), m_station);
    env.insert(QStringLiteral("KIRV_ALARM"), event.name);
    env.insert(QStringLiteral("KIRV_EVENT"), alarmEventWord(event));
    env.insert(QStringLiteral("KIRV_LEVEL"), QString::number(event.level, 'f', 1));
    env.insert(QStringLiteral("KIRV_THRESHOLD"), QString::number(event.threshold, 'f', 1));
    env.insert(QStringLiteral("KIRV_TIME"), isoText(event.time));
    process->setProcessEnvironment(env);
    process->setProgram(QStringLiteral("/bin/sh"));
    process->setArguments({QStringLiteral("-c"), m_command});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels); // its words go to the journal
    process->setChildProcessModifier(childSetup);
    const auto ended = [this, process] {
        std::erase(m_running, process);
        process->deleteLater();
    };
    connect(process, &QProcess::finished, this, ended);
    connect(process, &QProcess::errorOccurred, this, [this, process, ended](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_say(QStringLiteral("Cannot run the alarm command: %1").arg(process->errorString()));
        ended();
    });
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this, process, what] {
        const qint64 pid = process->processId();
        if (pid <= 0)
            return; // ended meanwhile (a pid of 0 would be this program's own group)
        m_say(QStringLiteral("alarm command for %1 killed: it ran longer than %2 s").arg(what).arg(m_limitMs / 1000.0));
        ::kill(-pid_t(pid), SIGKILL);
    });
    m_running.push_back(process);
    process->start();
    limit->start(m_limitMs);
}

} // namespace kirv::monitor
