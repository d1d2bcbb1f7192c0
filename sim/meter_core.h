#pragma once

#include "sim/level_generator.h"
#include "sim/logger_memory.h"
#include "sim/meter_bytes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <functional>

namespace kirv::sim {

enum class Mode { Measuring, Logger };

// The meter's side of the protocol without any port or timer: bytes in, bytes out, given the
// time in monotonic milliseconds. The owner asks `isStreaming` before it sends a live frame.
class MeterCore
{
public:
    // How long the meter holds its stream after an attention, waiting for the key.
    static constexpr qint64 KeyWaitMs = 500;
    // A command whose argument bytes do not follow within this time is dropped.
    static constexpr qint64 ArgumentWaitMs = 500;

    struct Events
    {
        QList<char> commands; // each complete command, by its letter
        QList<int> keys;      // key codes of "K" 00 00 k
        bool changed = false; // the front-panel settings, interval or clock changed
    };

    MeterCore();

    // Takes bytes from the line; returns what the meter answers.
    QByteArray receive(const QByteArray& bytes, qint64 nowMs, Events* events = nullptr);
    bool isStreaming(qint64 nowMs) const;
    bool isAwaitingKey(qint64 nowMs) const;
    // The next live frame, the sound advanced by dt seconds.
    QByteArray nextFrame(double dtSeconds);
    // Forgets a half-received command and any wait for a key (the cable was pulled).
    void resetLine();

    // A key as the meter applies it: 1 weighting A->C->Z->AA, 2 FAST->SLOW->IMP, 5 run->pause->
    // stop, 9 up (to the next higher range), 10 down; the others change nothing visible.
    void applyKey(int code);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);

    MeterSettings& settings() { return m_settings; }
    const MeterSettings& settings() const { return m_settings; }
    LevelGenerator& generator() { return m_generator; }
    const LevelGenerator& generator() const { return m_generator; }
    LoggerMemory& memory() { return m_memory; }
    const LoggerMemory& memory() const { return m_memory; }

    int samplingInterval() const { return m_interval; }
    void setSamplingInterval(int seconds);

    // The meter clock runs at the system clock plus an offset.
    void setSystemClock(std::function<QDateTime()> clock);
    QDateTime meterTime() const;
    qint64 clockOffset() const { return m_clockOffset; }
    void setClockOffset(qint64 seconds) { m_clockOffset = seconds; }
    void setMeterTime(const QDateTime& time);

    bool shortDump() const { return m_shortDump; }
    void setShortDump(bool on) { m_shortDump = on; }

private:
    int argumentLength(char command) const;
    QByteArray execute(const QByteArray& command, qint64 nowMs, Events& events);

    Mode m_mode = Mode::Measuring;
    MeterSettings m_settings;
    LevelGenerator m_generator;
    LoggerMemory m_memory;
    int m_interval = 1;
    qint64 m_clockOffset = 0;
    std::function<QDateTime()> m_systemClock;
    bool m_shortDump = false;

    QByteArray m_partial; // a command waiting for its argument bytes
    qint64 m_partialSince = 0;
    qint64 m_keyDeadline = -1; // streaming held until then, after an attention
};

} // namespace kirv::sim
