#include "kirv/meter/exchange.h"

#include "kirv/meter/delay.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

namespace kirv {

namespace {
constexpr double kPollStep = 0.01;
constexpr int kPollSteps = 100;
constexpr double kRecoveryStep = 0.02;
constexpr double kAttentionStep = 0.2;
} // namespace

void drain(SerialLink& link)
{
    link.read();
}

FrameResult takeLiveFrame(SerialLink& link, const QObject* owner)
{
    int count = 0;
    for (;;) {
        drain(link);
        while (link.bytesPending() < protocol::kFrameSize && count < kPollSteps) {
            if (!Delay(kPollStep, owner))
                return {ExchangeResult::Cancelled, {}};
            ++count;
        }
        if (link.bytesPending() < protocol::kFrameSize) {
            drain(link);
            return {ExchangeResult::TimedOut, {}};
        }
        if (auto frame = protocol::lastFrame(link.read()))
            return {ExchangeResult::Done, *frame};
        if (count >= kPollSteps)
            return {ExchangeResult::TimedOut, {}};
    }
}

ExchangeResult waitForFrames(SerialLink& link, const QObject* owner)
{
    for (;;) {
        drain(link);
        while (link.bytesPending() < protocol::kFrameSize) {
            if (!Delay(kRecoveryStep, owner))
                return ExchangeResult::Cancelled;
        }
        if (protocol::lastFrame(link.read()))
            return ExchangeResult::Done;
    }
}

ExchangeResult MeterAttention(SerialLink& link, const QObject* owner)
{
    for (;;) {
        drain(link);
        do {
            link.write(protocol::kAttention);
            if (!Delay(kAttentionStep, owner))
                return ExchangeResult::Cancelled;
        } while (link.bytesPending() < protocol::kFrameSize);
        if (protocol::endsWithAcknowledge(link.read()))
            return ExchangeResult::Done;
    }
}

ExchangeResult pressKey(SerialLink& link, int code, const QObject* owner)
{
    const ExchangeResult result = MeterAttention(link, owner);
    if (result == ExchangeResult::Done)
        link.write(protocol::keyCommand(code));
    return result;
}

} // namespace kirv
