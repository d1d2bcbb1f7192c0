#include "kirv/meter/exchange.h"

#include "kirv/meter/delay.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

namespace kirv {

namespace {
constexpr double PollStep = 0.01;
constexpr int PollSteps = 100;
constexpr double RecoveryStep = 0.02;
constexpr double AttentionStep = 0.2;
} // namespace

void drain(SerialLink& link)
{
    link.read();
}

std::optional<QByteArray> newestFrame(QByteArrayView buffer)
{
    for (qsizetype at = buffer.size() - protocol::FrameSize; at >= 0; --at) {
        if (buffer[at] == protocol::FrameStart && buffer[at + protocol::FrameSize - 1] == protocol::FrameEnd)
            return buffer.sliced(at, protocol::FrameSize).toByteArray();
    }
    return std::nullopt;
}

namespace {

// What one exchange read since its drain: the newest frame in each read, with the last bytes of
// the read before it, so that a frame the port delivered in two pieces still counts.
class FrameScanner
{
public:
    std::optional<QByteArray> take(const QByteArray& bytes)
    {
        m_carry += bytes;
        auto frame = newestFrame(m_carry);
        m_carry = m_carry.right(protocol::FrameSize - 1);
        return frame;
    }

private:
    QByteArray m_carry;
};

} // namespace

FrameResult takeLiveFrame(SerialLink& link, const QObject* owner)
{
    drain(link);
    FrameScanner scanner;
    for (int count = 0;;) {
        while (link.bytesPending() < protocol::FrameSize && count < PollSteps) {
            if (link.isGone())
                return {ExchangeResult::Failed, {}};
            if (!Delay(PollStep, owner))
                return {ExchangeResult::Cancelled, {}};
            ++count;
        }
        if (auto frame = scanner.take(link.read()))
            return {ExchangeResult::Done, *frame};
        if (count >= PollSteps)
            return {ExchangeResult::TimedOut, {}};
    }
}

ExchangeResult waitForFrames(SerialLink& link, const QObject* owner)
{
    drain(link);
    FrameScanner scanner;
    for (;;) {
        while (link.bytesPending() < protocol::FrameSize) {
            if (link.isGone())
                return ExchangeResult::Failed;
            if (!Delay(RecoveryStep, owner))
                return ExchangeResult::Cancelled;
        }
        if (scanner.take(link.read()))
            return ExchangeResult::Done;
    }
}

ExchangeResult MeterAttention(SerialLink& link, const QObject* owner)
{
    for (int tries = 0;;) {
        drain(link);
        do {
            if (tries++ >= AttentionTries)
                return ExchangeResult::TimedOut;
            if (!link.writeAll(protocol::AttentionCommand))
                return ExchangeResult::Failed;
            if (!Delay(AttentionStep, owner))
                return ExchangeResult::Cancelled;
        } while (link.bytesPending() < protocol::FrameSize);
        if (protocol::endsWithAcknowledge(link.read()))
            return ExchangeResult::Done;
    }
}

ExchangeResult pressKey(SerialLink& link, int code, const QObject* owner)
{
    const ExchangeResult result = MeterAttention(link, owner);
    if (result == ExchangeResult::Done && !link.writeAll(protocol::keyCommand(code)))
        return ExchangeResult::Failed;
    return result;
}

} // namespace kirv
