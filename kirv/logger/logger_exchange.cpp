#include "kirv/logger/logger_exchange.h"

#include "kirv/logger/logger_memory.h"
#include "kirv/meter/delay.h"
#include "kirv/meter/exchange.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"

#include <QElapsedTimer>

#include <optional>

namespace kirv::logger {

namespace {

// Between two reads of the dump: short enough that the end of the dump is seen at once, long
// enough that the loop sleeps between the line's bursts.
constexpr double DumpReadStep = 0.005;

// Sends `command` after a drain and reads what came within the reply wait. Empty when the wait
// was cut short. A command the port did not take has no reply: the caller asks again.
std::optional<QByteArray> ask(SerialLink& link, const QByteArray& command, const QObject* owner)
{
    drain(link);
    if (!link.writeAll(command))
        return Delay(ReplyWait, owner) ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    if (!Delay(ReplyWait, owner))
        return std::nullopt;
    return link.read();
}

} // namespace

MemoryQuery queryMemory(SerialLink& link, const QObject* owner, double retryLimit)
{
    QElapsedTimer clock;
    clock.start();
    MemoryQuery query;
    for (;;) {
        if (clock.elapsed() > qint64(retryLimit * 1000.0)) {
            query.outcome = MemoryQuery::NoReply;
            return query;
        }
        const auto pointerReply = ask(link, protocol::MemoryPointer, owner);
        if (!pointerReply) {
            query.outcome = MemoryQuery::Cancelled;
            return query;
        }
        const auto pointer = pointerOf(*pointerReply);
        if (!pointer)
            continue;
        query.pointer = *pointer;
        switch (verdictOf(*pointer)) {
        case PointerVerdict::Error: query.outcome = MemoryQuery::BadPointer; return query;
        case PointerVerdict::Empty: query.outcome = MemoryQuery::Empty; return query;
        case PointerVerdict::Dump: break;
        }
        const auto sizeReply = ask(link, protocol::MemorySize, owner);
        if (!sizeReply) {
            query.outcome = MemoryQuery::Cancelled;
            return query;
        }
        const auto units = sizeUnitsOf(*sizeReply);
        if (!units)
            continue;
        query.sizeUnits = *units;
        query.outcome = verdictOf(*pointer, *units) == PointerVerdict::Dump ? MemoryQuery::Ready
                                                                             : MemoryQuery::BadPointer;
        return query;
    }
}

DumpResult dumpMemory(SerialLink& link, qint64 length,
                      const std::function<void(qint64 received)>& progress,
                      const std::function<bool()>& stop, const QObject* owner, double stallLimit)
{
    DumpResult result;
    if (!link.writeAll(protocol::MemoryDump)) {
        result.outcome = DumpResult::Failed;
        return result;
    }
    if (!Delay(ReplyWait, owner))
        return result;
    result.bytes.reserve(std::min<qint64>(length, qint64(1) << 25));
    QElapsedTimer sinceByte;
    sinceByte.start();
    if (progress)
        progress(0);
    for (;;) {
        const QByteArray chunk = link.read();
        const qint64 received = std::min<qint64>(result.bytes.size() + chunk.size(), length);
        if (!chunk.isEmpty()) {
            result.bytes += chunk;
            sinceByte.restart();
            if (progress)
                progress(received);
        }
        if (received >= length) {
            result.outcome = DumpResult::Complete;
            return result;
        }
        if (stop && stop())
            return result;
        if (sinceByte.elapsed() > qint64(stallLimit * 1000.0)) {
            result.outcome = DumpResult::Stalled;
            return result;
        }
        if (link.bytesPending() == 0 && !Delay(DumpReadStep, owner))
            return result;
    }
}

bool eraseMemory(SerialLink& link, const QObject* owner)
{
    if (!link.writeAll(protocol::MemoryErase))
        return false;
    Delay(ReplyWait, owner);
    return true;
}

} // namespace kirv::logger
