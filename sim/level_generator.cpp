#include "sim/level_generator.h"

#include <cmath>
#include <numbers>

namespace kirv::sim {

namespace {
constexpr double EventsPerSecond = 0.12;
constexpr double WanderSpread = 1.5; // dB, the background's standard deviation
constexpr double WanderTime = 2.0;   // s, how fast the background drifts

double powerSum(double a, double b)
{
    return 10.0 * std::log10(std::pow(10.0, a / 10.0) + std::pow(10.0, b / 10.0));
}
} // namespace

LevelGenerator::LevelGenerator(quint32 seed) : m_random(seed) {}

void LevelGenerator::setPattern(Pattern pattern)
{
    m_pattern = pattern;
    m_rampOffset = 0.0;
    m_current = m_level;
}

void LevelGenerator::setLevel(double db)
{
    m_level = db;
    m_current = db;
}

double LevelGenerator::uniform(double lo, double hi)
{
    return lo + (hi - lo) * m_random.generateDouble();
}

double LevelGenerator::next(double dtSeconds)
{
    const double dt = std::max(0.0, dtSeconds);
    switch (m_pattern) {
    case Pattern::Steady:
        m_current = m_level;
        break;
    case Pattern::Ramp:
        m_current = m_level + m_rampOffset;
        m_rampOffset += RampRate * dt;
        if (m_rampOffset >= RampSpan - 1e-9)
            m_rampOffset = 0.0;
        break;
    case Pattern::Traffic:
        m_current = trafficStep(dt);
        break;
    }
    return m_current;
}

double LevelGenerator::trafficStep(double dt)
{
    // Background: a slow random walk pulled back to the level (an AR(1) process).
    const double keep = std::exp(-dt / WanderTime);
    const double gauss = (uniform(-1, 1) + uniform(-1, 1) + uniform(-1, 1)); // ~N(0, 1)
    m_wander = keep * m_wander + WanderSpread * std::sqrt(1.0 - keep * keep) * gauss;

    if (uniform(0, 1) < EventsPerSecond * dt)
        m_events.append({0.0, uniform(3.0, 10.0), uniform(8.0, 25.0)});

    double db = m_level + m_wander;
    for (auto it = m_events.begin(); it != m_events.end();) {
        it->age += dt;
        if (it->age >= it->duration) {
            it = m_events.erase(it);
            continue;
        }
        const double shape = std::sin(std::numbers::pi * it->age / it->duration);
        db = powerSum(db, m_level + it->rise - 30.0 * (1.0 - shape * shape));
        ++it;
    }
    return db;
}

} // namespace kirv::sim
