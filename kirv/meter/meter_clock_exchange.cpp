#include "kirv/meter/meter_clock_exchange.h"

#include "kirv/meter/delay.h"
#include "kirv/meter/meter_settings.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

namespace kirv {

namespace {
constexpr double ClockWait = 0.02;

// Two decimal digits as two hexadecimal digits: 59 -> 0x59.
char bcd(int value)
{
    value = (value % 100 + 100) % 100;
    return char((value / 10) << 4 | (value % 10));
}

QString field(const QByteArray& fields, int i)
{
    return QStringLiteral("%1").arg(quint8(fields[i]), 2, 16, QLatin1Char('0')).toUpper();
}
} // namespace

ClockReadResult readMeterClock(SerialLink& link, const QObject* owner, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        drain(link);
        if (!link.writeAll(protocol::ReadClock))
            return {ExchangeResult::Failed, {}};
        if (!Delay(ClockWait, owner))
            return {ExchangeResult::Cancelled, {}};
        const QByteArray reply = skipLeadingFrames(link.read());
        if (reply.size() >= ClockReplySize)
            return {ExchangeResult::Done, reply.left(ClockReplySize)};
    }
    return {ExchangeResult::TimedOut, {}};
}

QString meterClockText(const QByteArray& f)
{
    if (f.size() < ClockReplySize)
        return {};
    return QStringLiteral("20%1/%2/%3 %4:%5:%6")
        .arg(field(f, 5), field(f, 4), field(f, 3), field(f, 2), field(f, 1), field(f, 0));
}

QByteArray setClockCommand(const QDateTime& time)
{
    const QDate d = time.date();
    const QTime t = time.time();
    QByteArray bytes("B", 1);
    for (int value : {t.second(), t.minute(), t.hour(), d.day(), d.month(), d.year() % 100})
        bytes.append(bcd(value));
    return bytes;
}

ExchangeResult setMeterClock(SerialLink& link, const QDateTime& time, const QObject* owner)
{
    return sendCommand(link, setClockCommand(time), owner);
}

} // namespace kirv
