#include "sim/meter_bytes.h"

#include <algorithm>
#include <cmath>

namespace kirv::sim {

quint8 rangeByte(const MeterSettings& settings)
{
    const int code = std::clamp(settings.rangeCode, 0, RangeCodeCount - 1);
    return quint8(code | (settings.over ? 0x80 : 0));
}

quint8 statusByte(const MeterSettings& settings)
{
    int s = settings.timeWeighting & 0x03;
    switch (settings.runState) {
    case RunState::Run:
        s |= 0x04;
        break;
    case RunState::Pause:
        s |= 0x08;
        break;
    case RunState::Stop:
        s |= 0x10;
        break;
    }
    s |= (settings.freqWeighting & 0x03) << 5;
    if (settings.under)
        s |= 0x80;
    return quint8(s);
}

quint16 levelWord(double db, bool marked)
{
    const long tenths = std::lround(std::clamp(db, 0.0, 3276.7) * 10.0);
    return quint16(tenths | (marked ? 0x8000 : 0));
}

QByteArray liveFrame(const MeterSettings& settings, double db)
{
    const quint16 word = levelWord(db, settings.marked);
    QByteArray frame(FrameSize, '\0');
    frame[0] = char(FrameStart);
    frame[1] = char(rangeByte(settings));
    frame[2] = char(statusByte(settings));
    frame[3] = char(word >> 8);
    frame[4] = char(word & 0xFF);
    frame[5] = char(FrameEnd);
    return frame;
}

QByteArray acknowledgeFrame()
{
    return QByteArrayLiteral("\x02\xFF\xFF\xFF\xFF\x03");
}

int rangeUpper(int code)
{
    return 140 - 10 * std::clamp(code, 0, RangeCodeCount - 1);
}

int rangeLower(int code)
{
    return rangeUpper(code) - 60;
}

quint8 toBcd(int value)
{
    const int v = ((value % 100) + 100) % 100;
    return quint8((v / 10) << 4 | (v % 10));
}

int fromBcd(quint8 byte)
{
    const int hi = byte >> 4;
    const int lo = byte & 0x0F;
    if (hi > 9 || lo > 9)
        return -1;
    return hi * 10 + lo;
}

Timestamp timestampBytes(const QDateTime& time)
{
    const QDate d = time.date();
    const QTime t = time.time();
    return {toBcd(t.second()), toBcd(t.minute()), toBcd(t.hour()),
            toBcd(d.day()),    toBcd(d.month()),  toBcd(d.year())};
}

QByteArray clockBytes(const QDateTime& time)
{
    const Timestamp ts = timestampBytes(time);
    return QByteArray(reinterpret_cast<const char*>(ts.data()), int(ts.size()));
}

QDateTime fromClockBytes(const QByteArray& bytes)
{
    if (bytes.size() < 6)
        return {};
    int f[6];
    for (int i = 0; i < 6; ++i) {
        f[i] = fromBcd(quint8(bytes[i]));
        if (f[i] < 0)
            return {};
    }
    const QDate date(2000 + f[5], f[4], f[3]);
    const QTime time(f[2], f[1], f[0]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

} // namespace kirv::sim
