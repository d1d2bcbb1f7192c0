#include "kirv/logger/logger_set.h"

#include "kirv/logger/logger_memory.h"
#include "kirv/meter/live_reading.h"
#include "kirv/base/civil_time.h"

#include <array>

namespace kirv::logger {

namespace {

constexpr int SecondsPerDay = 86400;

int byteAt(QByteArrayView bytes, qsizetype i)
{
    return int(quint8(bytes[i]));
}

int levelWordAt(QByteArrayView bytes, qsizetype i)
{
    return byteAt(bytes, i) * 256 + byteAt(bytes, i + 1);
}

// The value of a BCD byte, or -1 when a digit is not decimal.
int bcdValue(int byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    return high > 9 || low > 9 ? -1 : high * 10 + low;
}

// Writes "yyyy/MM/dd hh:mm:ss" into `out` (19 bytes).
void formatStamp(const QDate& date, int secondsOfDay, char* out)
{
    const auto two = [](char* at, int value) {
        at[0] = char('0' + value / 10);
        at[1] = char('0' + value % 10);
    };
    const int year = date.year();
    two(out, (year / 100) % 100);
    two(out + 2, year % 100);
    out[4] = '/';
    two(out + 5, date.month());
    out[7] = '/';
    two(out + 8, date.day());
    out[10] = ' ';
    two(out + 11, secondsOfDay / 3600);
    out[13] = ':';
    two(out + 14, secondsOfDay / 60 % 60);
    out[16] = ':';
    two(out + 17, secondsOfDay % 60);
}

} // namespace

QString timestampText(QByteArrayView stamp, int currentYear)
{
    if (stamp.size() < TimestampBytes)
        return {};
    const auto hex = [&](int i) {
        return QStringLiteral("%1").arg(byteAt(stamp, i), 2, 16, QLatin1Char('0')).toUpper();
    };
    const QString century = QString::number(currentYear).left(2);
    return century + hex(5) + QLatin1Char('/') + hex(4) + QLatin1Char('/') + hex(3)
           + QLatin1Char(' ') + hex(2) + QLatin1Char(':') + hex(1) + QLatin1Char(':') + hex(0);
}

std::optional<QDateTime> timestampTime(QByteArrayView stamp, int currentYear)
{
    if (stamp.size() < TimestampBytes)
        return std::nullopt;
    std::array<int, TimestampBytes> v{};
    for (int i = 0; i < TimestampBytes; ++i) {
        v[size_t(i)] = bcdValue(byteAt(stamp, i));
        if (v[size_t(i)] < 0)
            return std::nullopt;
    }
    const QDate date(currentYear / 100 * 100 + v[5], v[4], v[3]);
    const QTime time(v[2], v[1], v[0]);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

qsizetype recordCountOf(QByteArrayView set)
{
    return set.size() < SetOverhead ? 0 : (set.size() - SetOverhead) / 2;
}

QByteArrayView setTimestamp(QByteArrayView set, int which)
{
    if (set.size() < SetOverhead || which < 0 || which > PeakStamp)
        return {};
    return set.sliced(SetHeaderBytes + 2 * recordCountOf(set) + TimestampBytes * which,
                      TimestampBytes);
}

QString startStampProblem(QByteArrayView set, int number, int currentYear)
{
    const QByteArrayView stamp = setTimestamp(set, StartStamp);
    if (recordCountOf(set) == 0 || timestampTime(stamp, currentYear))
        return {};
    return QStringLiteral("Set %1 cannot be opened: its start time %2 is not a date "
                          "(bytes %3 for second, minute, hour, day, month, year).")
        .arg(number)
        .arg(timestampText(stamp, currentYear),
             QString::fromLatin1(stamp.toByteArray().toHex(' ').toUpper()));
}

SetBoards decodeSetBoards(QByteArrayView set, int currentYear)
{
    SetBoards boards;
    if (set.size() < SetOverhead)
        return boards;
    LiveReading reading;
    DecodeRange(reading, byteAt(set, 7));
    DecodeStatus(reading, byteAt(set, 6));
    boards.freqWeight = freqWeightBoardText(reading.FreqWeight);
    boards.timeWeight = reading.TimeWeight;
    boards.range = rangeText(reading);
    boards.maxTime = timestampText(setTimestamp(set, MaxStamp), currentYear);
    boards.peakTime = timestampText(setTimestamp(set, PeakStamp), currentYear);

    // The ten level words after the five stamps: Leq, SEL, max, fourth, peak, L05..L95.
    const qsizetype words = SetHeaderBytes + 2 * recordCountOf(set) + 5 * TimestampBytes;
    std::array<QString, 10> texts;
    for (int k = 0; k < 10; ++k) {
        const int word = levelWordAt(set, words + 2 * k);
        DecodeLevel(reading, word >> 8, word & 0xFF);
        const bool exceedance = k >= 5;
        texts[size_t(k)] = !exceedance || reading.LevelDb > reading.RangeLower - 5
                               ? reading.LevelText
                               : QString::fromLatin1(NoExceedanceText);
    }
    boards.leq = texts[0];
    boards.sel = texts[1];
    boards.maxLevel = texts[2];
    boards.fourthLevel = texts[3];
    boards.peakLevel = texts[4];
    boards.l05 = texts[5];
    boards.l10 = texts[6];
    boards.l50 = texts[7];
    boards.l90 = texts[8];
    boards.l95 = texts[9];
    return boards;
}

LoggerHeader loggerHeaderOf(const SetBoards& boards, int interval)
{
    LoggerHeader header;
    header.sampleInterval = interval;
    header.freqWeight = boards.freqWeight;
    header.timeWeight = boards.timeWeight;
    header.range = boards.range;
    header.l05 = boards.l05;
    header.l10 = boards.l10;
    header.l50 = boards.l50;
    header.l90 = boards.l90;
    header.l95 = boards.l95;
    header.maxLevel = boards.maxLevel;
    header.maxTime = boards.maxTime;
    header.sel = boards.sel;
    header.leq = boards.leq;
    return header;
}

void appendSetRecords(QByteArrayView set, qsizetype first, qsizetype count,
                      const std::optional<QDateTime>& start, const QString& startText,
                      int interval, RecordStore& out)
{
    const qsizetype total = recordCountOf(set);
    const qsizetype end = std::min(total, first + std::max<qsizetype>(count, 0));
    if (first < 0 || first >= end)
        return;

    // Times advance by whole seconds from the start: a day number and the seconds into it.
    QDate date;
    qint64 seconds = 0;
    if (start) {
        const qint64 offset = qint64(first) * interval + start->time().msecsSinceStartOfDay() / 1000;
        date = start->date().addDays(offset / SecondsPerDay);
        seconds = offset % SecondsPerDay;
    }
    const QByteArray rawStart = startText.toLatin1();
    char stamp[19];
    for (qsizetype i = first; i < end; ++i) {
        QByteArrayView time;
        if (start) {
            formatStamp(date, int(seconds), stamp);
            time = QByteArrayView(stamp, sizeof stamp);
            seconds += interval;
            if (seconds >= SecondsPerDay) {
                date = date.addDays(seconds / SecondsPerDay);
                seconds %= SecondsPerDay;
            }
        } else if (i == 0) {
            time = rawStart;
        }
        const QByteArray level = levelWordText(levelWordAt(set, SetHeaderBytes + 2 * i)).toLatin1();
        out.append(QByteArray::number(i + 1), time, level);
    }
}

} // namespace kirv::logger
