#pragma once

#include "kirv/records/datafile.h"
#include "kirv/records/recordstore.h"
#include "kirv/base/civil_time.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

namespace kirv::logger {

// A timestamp of a set: six BCD bytes second, minute, hour, day, month, year (two digits).
inline constexpr int TimestampBytes = 6;
enum SetTimestamp : int { StartStamp = 0, MaxStamp = 2, PeakStamp = 4 };

// "2009/03/04 08:30:05": the century from `currentYear`, then every byte as its two hexadecimal
// digits, whether or not they form a date (a damaged stamp shows as what it holds).
QString timestampText(QByteArrayView stamp, int currentYear);
// The date and time of a stamp, or nothing when its digits do not form one.
std::optional<QDateTime> timestampTime(QByteArrayView stamp, int currentYear);

// Why set `number` cannot be opened: the start stamp of a set that holds records is not a date,
// so no record's time can be counted from it. Names the set, the stamp as shown and its bytes
// as stored; empty when the set can be opened.
QString startStampProblem(QByteArrayView set, int number, int currentYear);

// Record count N of a whole set (58 + 2N bytes); 0 for anything shorter than a set.
qsizetype recordCountOf(QByteArrayView set);
// The bytes of timestamp `which` (0..4) of a set; empty for a short set.
QByteArrayView setTimestamp(QByteArrayView set, int which);

// What the set view shows beside the records: the meter's own statistics, as board texts.
struct SetBoards
{
    QString freqWeight; // "A", "C", "Z" or "20-200Hz Filter"
    QString timeWeight; // "FAST", "SLOW", "IMP" or empty
    QString range;      // "80-140"
    QString maxTime;    // timestamp 3
    QString maxLevel;
    QString peakTime;   // timestamp 5
    QString peakLevel;
    QString fourthLevel; // not shown; kept as the low class of the statistics
    QString l05;
    QString l10;
    QString l50;
    QString l90;
    QString l95;
    QString sel;
    QString leq;

    friend bool operator==(const SetBoards&, const SetBoards&) = default;
};

// Exceedance levels 5 dB or more below the lower end of the range show as this.
inline constexpr char NoExceedanceText[] = "- - -";

// The boards of a whole set (its header and trailer); empty texts for a short set.
SetBoards decodeSetBoards(QByteArrayView set, int currentYear);

// The header of the logger file written from a set on show (the peak is not written).
LoggerHeader loggerHeaderOf(const SetBoards& boards, int interval);

// Appends records first + 1 .. first + count of a set (0-based `first`) to `out`: number, time
// = start + (i - 1) x interval, level text. Without a start (a stamp that is not a date) the
// first record's time is the stamp's digits and the others have none. Records beyond the set's
// count are not appended.
void appendSetRecords(QByteArrayView set, qsizetype first, qsizetype count,
                      const std::optional<QDateTime>& start, const QString& startText,
                      int interval, RecordStore& out);

} // namespace kirv::logger
