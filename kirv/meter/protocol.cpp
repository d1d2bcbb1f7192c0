#include "kirv/meter/protocol.h"

namespace kirv::protocol {

QByteArray keyCommand(int code)
{
    QByteArray bytes("K", 1);
    bytes.append('\0').append('\0').append(char(code & 0xFF));
    return bytes;
}

QByteArray setIntervalCommand(int seconds)
{
    QByteArray bytes("C", 1);
    bytes.append(char((seconds / 256) & 0xFF)).append(char(seconds % 256));
    return bytes;
}

std::optional<QByteArray> lastFrame(const QByteArray& buffer)
{
    if (buffer.size() < kFrameSize)
        return std::nullopt;
    const QByteArray frame = buffer.right(kFrameSize);
    if (frame.front() != kFrameStart || frame.back() != kFrameEnd)
        return std::nullopt;
    return frame;
}

bool endsWithAcknowledge(const QByteArray& buffer)
{
    return buffer.endsWith(kAcknowledge);
}

} // namespace kirv::protocol
