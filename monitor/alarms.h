#pragma once

#include "monitor/monitor_options.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QProcess;

namespace kirv::monitor {

struct AlarmEvent
{
    QString name;
    bool raised = false;
    QDateTime time;
    double level = 0.0; // the level (or Leq) of the second that decided it
    double threshold = 0.0;
};

// One alarm, fed the level of each second. The Leq of the last SECONDS seconds is kept exactly:
// a count per 0.1 dB class over a ring of the seconds' classes, so nothing drifts over months.
class AlarmWatch
{
public:
    explicit AlarmWatch(const AlarmSpec& spec);

    std::optional<AlarmEvent> second(const QDateTime& time, double levelDb);
    // Seconds went missing (a lost link): the runs and the Leq window start again; a raised
    // alarm stays raised until the level has been below for SECONDS seconds.
    void gap();

    const AlarmSpec& spec() const { return m_spec; }
    bool raised() const { return m_raised; }

private:
    double windowLeq() const;

    AlarmSpec m_spec;
    bool m_raised = false;
    int m_run = 0; // consecutive seconds on the other side of the threshold
    std::vector<quint16> m_ring;
    std::vector<int> m_counts;
    int m_filled = 0;
    int m_next = 0;
};

// "2026-12-08T10:01:02+01:00,85.2,loud,raised": a line of STATION-alarms-YYYYMMDD.csv.
inline constexpr char AlarmCsvTitle[] = "time,level,alarm,event";
QString alarmCsvLine(const AlarmEvent& event);
QString alarmEventWord(const AlarmEvent& event);

// Appends the event's line to the day's alarm file in `dir` (its title line first when the file
// is new), synced to the disk. Empty on success, else the reason naming the file.
QString appendAlarmLine(const QString& dir, const QString& station, const AlarmEvent& event);

// The --on-alarm command, run through /bin/sh with the event in its environment and not waited
// for. A few run at once at most: an event beyond them is skipped; one that runs longer than
// its time is killed with all it started. Each is said. The commands get no descriptor of
// this program but its standard ones (no serial port, no broker connection kept open).
class AlarmHooks : public QObject
{
    Q_OBJECT
public:
    AlarmHooks(const QString& command, const QString& station, std::function<void(const QString&)> say,
               int most = 4, int limitMs = 60000);
    ~AlarmHooks() override; // what still runs is killed

    void run(const AlarmEvent& event);
    int running() const { return int(m_running.size()); }

private:
    QString m_command;
    QString m_station;
    std::function<void(const QString&)> m_say;
    int m_most;
    int m_limitMs;
    std::vector<QProcess*> m_running;
};

} // namespace kirv::monitor
