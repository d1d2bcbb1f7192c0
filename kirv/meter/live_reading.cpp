#include "kirv/meter/live_reading.h"

#include <array>

namespace kirv {

namespace {

struct RangeBounds
{
    int upper;
    int lower;
};

constexpr std::array<RangeBounds, 6> RangeTable{{
    {140, 80}, {130, 70}, {120, 60}, {110, 50}, {100, 40}, {90, 30},
}};

} // namespace

void decodeFrame(LiveReading& reading, QByteArrayView frame)
{
    if (frame.size() < 6)
        return;
    DecodeRange(reading, quint8(frame[1]));
    DecodeStatus(reading, quint8(frame[2]));
    DecodeLevel(reading, quint8(frame[3]), quint8(frame[4]));
}

void DecodeRange(LiveReading& reading, int r)
{
    r &= 0xFF;
    const int code = r % 8;
    reading.OverFlag = (r / 128) % 2 == 1;
    if (code < int(RangeTable.size())) {
        reading.RangeUpper = RangeTable[std::size_t(code)].upper;
        reading.RangeLower = RangeTable[std::size_t(code)].lower;
    }
}

void DecodeStatus(LiveReading& reading, int s)
{
    static const std::array<QString, 4> timeWeights{"FAST", "SLOW", "IMP", ""};
    static const std::array<QString, 4> freqWeights{"A", "C", "Z", "AA"};
    s &= 0xFF;
    const int tw = s % 4;
    s /= 4;
    reading.RunFlag = s % 2 == 1;
    s /= 2;
    reading.PauseFlag = s % 2 == 1;
    s /= 2;
    reading.StopFlag = s % 2 == 1;
    s /= 2;
    const int fw = s % 4;
    s /= 4;
    reading.UnderFlag = s % 2 == 1;
    reading.TimeWeight = timeWeights[std::size_t(tw)];
    reading.FreqWeight = freqWeights[std::size_t(fw)];
}

QString levelWordText(int word)
{
    word &= 0xFFFF;
    const bool marked = word >= 32768;
    const int tenths = marked ? word - 32768 : word;
    const QString digits = QString::number(tenths);
    QString text = digits.left(digits.size() - 1) + QLatin1Char('.') + digits.right(1);
    if (marked)
        text += QLatin1Char('*');
    return text;
}

void DecodeLevel(LiveReading& reading, int h, int l)
{
    const int word = (h & 0xFF) * 256 + (l & 0xFF);
    reading.LevelDb = double(word & 0x7FFF) / 10.0;
    reading.LevelText = levelWordText(word);
}

QString rangeText(const LiveReading& reading)
{
    return QString::number(reading.RangeLower) + QLatin1Char('-') +
           QString::number(reading.RangeUpper);
}

QString freqWeightBoardText(const QString& freqWeight)
{
    return freqWeight == QLatin1String("AA") ? QStringLiteral("20-200Hz Filter") : freqWeight;
}

} // namespace kirv
