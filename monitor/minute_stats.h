#pragma once

#include "kirv/stats/class_energy.h"
#include "kirv/stats/exceedance.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace kirv::monitor {

// The samples of one clock minute: Leq, Lmax, Lmin, L10, L90 and their count, as the JSON of
// one "minute" message.
class MinuteStats
{
public:
    MinuteStats();

    // The message of the minute before, once `time` lies in a later minute than the samples
    // held (a minute of no sample gives none).
    std::optional<QByteArray> roll(const QDateTime& time);
    // A sample at or before the last one taken (the clock went back) is left out: its seconds
    // were counted already, and the minutes go out in their order.
    void add(const QDateTime& time, double levelDb, const QString& levelText);
    // The Leq of the last minute given by roll(), to the tenth its message carries.
    std::optional<double> lastLeq() const { return m_lastLeq; }

private:
    QByteArray message() const;

    QDateTime m_minute; // start of the minute held; invalid while empty
    QDateTime m_last;   // the last sample taken
    ClassEnergy m_run;
    double m_max = 0.0;
    double m_min = 0.0;
    LevelCounter m_classes;
    std::optional<double> m_lastLeq;
};

// The JSON of a sample for the live "level" topic: time, level, marked.
QByteArray levelMessage(const QDateTime& time, double levelDb, const QString& levelText);

} // namespace kirv::monitor
