#pragma once

#include <QList>
#include <QRandomGenerator>

namespace kirv::sim {

enum class Pattern { Steady, Ramp, Traffic };

// The sound the virtual meter hears. Steady holds the level; Ramp climbs 5 dB/s from the level
// to 20 dB above it and starts again; Traffic is a fluctuating background around the level with
// now and then a vehicle passing (a swell of 8..25 dB over a few seconds). Seeded, so a run
// can be repeated.
class LevelGenerator
{
public:
    explicit LevelGenerator(quint32 seed = 1);

    void setPattern(Pattern pattern);
    Pattern pattern() const { return m_pattern; }
    void setLevel(double db);
    double level() const { return m_level; }

    // Advances the sound by dt seconds and returns the level now, in dB.
    double next(double dtSeconds);
    double current() const { return m_current; }

    static constexpr double RampRate = 5.0;  // dB per second
    static constexpr double RampSpan = 20.0; // dB above the level

private:
    struct Event
    {
        double age = 0.0;
        double duration = 0.0;
        double rise = 0.0;
    };
    double trafficStep(double dt);
    double uniform(double lo, double hi);

    QRandomGenerator m_random;
    Pattern m_pattern = Pattern::Steady;
    double m_level = 65.0;
    double m_current = 65.0;
    double m_rampOffset = 0.0;
    double m_wander = 0.0;
    QList<Event> m_events;
};

} // namespace kirv::sim
