#pragma once

#include <QByteArrayView>
#include <QString>

namespace kirv {

// The decoded state of the last live frame (or of the last logger record decoded). Only the
// three decoders below write it; every window reads it. It keeps its values between frames.
struct LiveReading
{
    int RangeUpper = 0;
    int RangeLower = 0;
    bool OverFlag = false;
    QString TimeWeight;
    QString FreqWeight;
    bool RunFlag = false;
    bool PauseFlag = false;
    bool StopFlag = false;
    bool UnderFlag = false;
    double LevelDb = 0.0;
    QString LevelText;
};

// Range byte: bits 0..2 the range code (6 and 7 keep the previous range), bit 7 over-range.
void DecodeRange(LiveReading& reading, int r);
// Status byte: time weighting, run/pause/stop, frequency weighting, under-range.
void DecodeStatus(LiveReading& reading, int s);
// Level word h*256+l in tenths of a dB; bit 15 marks the reading ("*" appended to the text).
void DecodeLevel(LiveReading& reading, int h, int l);

// A whole live frame (0x02, range, status, level high, level low, 0x03) through the three
// decoders above.
void decodeFrame(LiveReading& reading, QByteArrayView frame);

// The display text of a level word: "93.4", "140.0", "93.4*". Tenths below 10 give ".5"
// (the digits of the value without fill, the point set before the last digit).
QString levelWordText(int word);

// Range text as the panel shows it, e.g. "70-130".
QString rangeText(const LiveReading& reading);
// Frequency weighting as the boards show it: "A", "C", "Z" or "20-200Hz Filter" for "AA".
QString freqWeightBoardText(const QString& freqWeight);

} // namespace kirv
