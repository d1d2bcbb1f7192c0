// LIBS: kirv_meter_core
// Random bytes on the line into the frame search of the live poll: no crash, and what it finds
// is a frame of that buffer with nothing newer after it.
#include "kirv/meter/exchange.h"
#include "kirv/meter/protocol.h"

#include <cstdint>
#include <cstdlib>

using namespace kirv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto frame = newestFrame(bytes);
    if (!frame)
        return 0;
    const qsizetype at = bytes.lastIndexOf(*frame);
    if (frame->size() != protocol::FrameSize || at < 0 || frame->front() != protocol::FrameStart
        || frame->back() != protocol::FrameEnd)
        std::abort();
    // No complete frame starts after the one found.
    for (qsizetype later = at + 1; later + protocol::FrameSize <= bytes.size(); ++later) {
        if (bytes[later] == protocol::FrameStart && bytes[later + protocol::FrameSize - 1] == protocol::FrameEnd)
            std::abort();
    }
    return 0;
}
