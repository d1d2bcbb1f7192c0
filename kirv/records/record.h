#pragma once

#include <QString>

#include <array>

namespace kirv {

/// One reading of a record list: three texts, always handled as text.
/// The number counts from 1 within its list, the time has the form "yyyy/MM/dd hh:mm:ss" and the
/// level is the text the panel showed (for example "93.4" or "93.4*"; empty after a link loss).
struct Record
{
    QString number;
    QString time;
    QString level;

    friend bool operator==(const Record&, const Record&) = default;
};

/// Columns of a record list, in the order they are shown and written.
enum RecordColumn : int { NumberColumn = 0, TimeColumn = 1, LevelColumn = 2 };
inline constexpr int RecordColumnCount = 3;

/// Titles of the three columns: row 0 of a list and the column title line of a data file.
inline constexpr std::array<const char*, RecordColumnCount> RecordColumnTitles{"No.s", "Date Time",
                                                                                "dB"};

/// The live list and a recording stop growing at this many records.
inline constexpr qsizetype MaxListRecords = 348000;

} // namespace kirv
