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

bool endsWithAcknowledge(const QByteArray& buffer)
{
    return buffer.endsWith(Acknowledge);
}

} // namespace kirv::protocol
