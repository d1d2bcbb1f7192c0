#include "sim/meter_core.h"

#include <algorithm>

namespace kirv::sim {

MeterCore::MeterCore() : m_systemClock([] { return QDateTime::currentDateTime(); })
{
    m_memory.setSets(sampleLoggerSets());
}

void MeterCore::setMode(Mode mode)
{
    m_mode = mode;
    resetLine();
}

void MeterCore::resetLine()
{
    m_partial.clear();
    m_keyDeadline = -1;
}

void MeterCore::setSamplingInterval(int seconds)
{
    m_interval = std::clamp(seconds, 1, 0xFFFF);
}

void MeterCore::setSystemClock(std::function<QDateTime()> clock)
{
    m_systemClock = std::move(clock);
}

QDateTime MeterCore::meterTime() const
{
    return m_systemClock().addSecs(m_clockOffset);
}

void MeterCore::setMeterTime(const QDateTime& time)
{
    if (time.isValid())
        m_clockOffset = m_systemClock().secsTo(time);
}

bool MeterCore::isAwaitingKey(qint64 nowMs) const
{
    return m_keyDeadline >= 0 && nowMs < m_keyDeadline;
}

bool MeterCore::isStreaming(qint64 nowMs) const
{
    return m_mode == Mode::Measuring && !isAwaitingKey(nowMs);
}

QByteArray MeterCore::nextFrame(double dtSeconds)
{
    return liveFrame(m_settings, m_generator.next(dtSeconds));
}

void MeterCore::applyKey(int code)
{
    switch (code) {
    case 1:
        m_settings.freqWeighting = (m_settings.freqWeighting + 1) % 4;
        break;
    case 2:
        m_settings.timeWeighting = (m_settings.timeWeighting + 1) % 3;
        break;
    case 5:
        m_settings.runState = m_settings.runState == RunState::Run     ? RunState::Pause
                              : m_settings.runState == RunState::Pause ? RunState::Stop
                                                                       : RunState::Run;
        break;
    case 9:
        m_settings.rangeCode = std::max(m_settings.rangeCode - 1, 0);
        break;
    case 10:
        m_settings.rangeCode = std::min(m_settings.rangeCode + 1, RangeCodeCount - 1);
        break;
    default:
        break;
    }
}

int MeterCore::argumentLength(char command) const
{
    switch (command) {
    case 'K':
        return m_mode == Mode::Measuring ? 3 : 0;
    case 'C':
        return 2;
    case 'B':
        return 6;
    default:
        return 0;
    }
}

QByteArray MeterCore::receive(const QByteArray& bytes, qint64 nowMs, Events* events)
{
    Events local;
    Events& ev = events ? *events : local;
    if (!m_partial.isEmpty() && nowMs - m_partialSince > ArgumentWaitMs)
        m_partial.clear();

    QByteArray reply;
    for (char b : bytes) {
        if (m_partial.isEmpty()) {
            m_partial.append(b);
            m_partialSince = nowMs;
        } else {
            m_partial.append(b);
        }
        if (m_partial.size() > argumentLength(m_partial.front())) {
            reply += execute(m_partial, nowMs, ev);
            m_partial.clear();
        }
    }
    return reply;
}

QByteArray MeterCore::execute(const QByteArray& command, qint64 nowMs, Events& events)
{
    const char letter = command.front();
    const auto arg = [&](int i) { return int(quint8(command[i])); };
    QByteArray reply;
    bool known = true;
    const int keyOfLetter = letter == 'G' ? 1 : letter == 'D' ? 2 : letter == 'E' ? 9 : 10;

    switch (letter) {
    case 'A':
        if (m_mode == Mode::Measuring) {
            m_keyDeadline = nowMs + KeyWaitMs;
            reply = acknowledgeFrame();
        } else {
            reply = m_memory.pointerReply();
        }
        break;
    case 'K':
        if (m_mode == Mode::Measuring) {
            // A key that comes late still lands; the attention only holds the stream.
            m_keyDeadline = -1;
            events.keys.append(arg(3));
            applyKey(arg(3));
            events.changed = true;
        } else {
            reply = m_memory.dump(m_shortDump);
        }
        break;
    case 'G':
    case 'D':
    case 'E':
    case 'F':
        applyKey(keyOfLetter);
        events.changed = true;
        break;
    case 'J':
        reply.append(char(m_interval >> 8)).append(char(m_interval & 0xFF));
        break;
    case 'C':
        setSamplingInterval(arg(1) * 256 + arg(2));
        events.changed = true;
        break;
    case 'I':
        reply = clockBytes(meterTime());
        break;
    case 'B':
        // A date that does not exist leaves the clock as it was.
        setMeterTime(fromClockBytes(command.mid(1)));
        events.changed = true;
        break;
    case 'L':
        known = m_mode == Mode::Logger;
        if (known)
            reply = m_memory.sizeReply();
        break;
    case 'H':
        known = m_mode == Mode::Logger;
        if (known) {
            m_memory.erase();
            events.changed = true;
        }
        break;
    default:
        known = false;
        break;
    }
    if (known)
        events.commands.append(letter);
    return reply;
}

} // namespace kirv::sim
