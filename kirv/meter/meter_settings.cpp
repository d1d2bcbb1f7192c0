#include "kirv/meter/meter_settings.h"

#include "kirv/meter/delay.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {
constexpr double SettingWait = 0.02;
} // namespace

ExchangeResult sendCommand(SerialLink& link, const QByteArray& command, const QObject* owner)
{
    if (!link.writeAll(command))
        return ExchangeResult::Failed;
    return Delay(SettingWait, owner) ? ExchangeResult::Done : ExchangeResult::Cancelled;
}

QByteArray skipLeadingFrames(const QByteArray& reply)
{
    qsizetype from = 0;
    while (reply.size() - from >= protocol::FrameSize && reply[from] == protocol::FrameStart &&
           reply[from + protocol::FrameSize - 1] == protocol::FrameEnd)
        from += protocol::FrameSize;
    return reply.mid(from);
}

IntervalResult readMeterInterval(SerialLink& link, const QObject* owner)
{
    for (int attempt = 0; attempt <= IntervalRetries; ++attempt) {
        drain(link);
        if (!link.writeAll(protocol::ReadInterval))
            return {ExchangeResult::Failed};
        if (!Delay(SettingWait, owner))
            return {ExchangeResult::Cancelled};
        const QByteArray reply = skipLeadingFrames(link.read());
        const int seconds = reply.size() >= 2 ? quint8(reply[0]) * 256 + quint8(reply[1]) : 0;
        if (seconds >= 1 && seconds <= MaxMeterInterval)
            return {ExchangeResult::Done, seconds};
    }
    return {ExchangeResult::TimedOut};
}

ExchangeResult writeMeterInterval(SerialLink& link, int seconds)
{
    return link.writeAll(protocol::setIntervalCommand(seconds)) ? ExchangeResult::Done : ExchangeResult::Failed;
}

std::optional<int> samplingAnswerSeconds(const QString& answer, int maximum)
{
    bool ok = false;
    const double value = answer.trimmed().toDouble(&ok);
    if (!ok || std::isnan(value))
        return std::nullopt;
    if (value >= maximum)
        return maximum;
    if (value <= 1)
        return 1;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return std::clamp(int(whole), 1, maximum);
}

} // namespace kirv
