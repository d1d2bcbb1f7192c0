#include "kirv/meter/live_poll.h"

#include "kirv/meter/delay.h"
#include "kirv/meter/exchange.h"
#include "kirv/meter/serial_link.h"

#include <QPointer>
#include <QScopeGuard>

namespace kirv {

LivePoll::LivePoll(SerialLink& link, QObject* parent) : QObject(parent), m_link(link)
{
}

void LivePoll::tick()
{
    if (m_busy)
        return;
    m_busy = true;
    QPointer<LivePoll> self(this);
    const auto done = qScopeGuard([self] {
        if (self)
            self->m_busy = false;
    });
    const FrameResult taken = takeLiveFrame(m_link, this);
    if (!self || taken.result == ExchangeResult::Cancelled)
        return;
    if (taken.result != ExchangeResult::Done) {
        RecoverLink();
        return;
    }
    emit frameTaken(taken.frame);
}

void LivePoll::RecoverLink()
{
    QPointer<LivePoll> self(this);
    m_recovering = true;
    const auto done = qScopeGuard([self] {
        if (self)
            self->m_recovering = false;
    });
    emit linkLost(m_link.isGone() ? m_link.lastError() : QString());
    for (;;) {
        if (!self)
            return;
        if (m_link.isGone()) {
            // The device is away: one attempt a second, and nothing at all between them.
            if (!Delay(ReopenStep, this) || !self)
                return;
            if (!m_link.reopen())
                continue;
            emit deviceBack();
        }
        const ExchangeResult waited = waitForFrames(m_link, this);
        if (waited == ExchangeResult::Cancelled || !self)
            return;
        if (waited == ExchangeResult::Done)
            break;
    }
    emit linkBack();
}

} // namespace kirv
