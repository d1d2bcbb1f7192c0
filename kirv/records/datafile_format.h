#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kirv {

/// The three kinds of data file, told apart by their first line.
enum class DataFileKind { RealTime, Logger, PlainList };

inline constexpr char RealTimeMark[] = "Real Time";
inline constexpr char LoggerMark[] = "Data Logger";
/// The column title line, without its line end.
inline constexpr char ColumnTitleLine[] = "No.s\tDate Time\tdB\t";

/// Kind of a file from its first line: a case-sensitive search for the marks anywhere in it.
DataFileKind dataFileKindOf(QByteArrayView firstLine);
/// Header lines before the column title line: 9, 14 or 0.
int headerLineCount(DataFileKind kind);

/// Line numbers (counting from 1) of the header of a real-time file.
enum RealTimeLine : int {
    RealTimeKindLine = 1,
    RealTimeIntervalLine,
    RealTimeFreqWeightLine, // BoardCA
    RealTimeTimeWeightLine, // BoardSFI
    RealTimeRangeLine,      // BoardLevel
    RealTimeMaxLevelLine,   // BoardMaxdB
    RealTimeMaxTimeLine,    // BoardMaxTime
    RealTimeSelLine,        // BoardSEL
    RealTimeLeqLine,        // BoardLeq
};

/// Line numbers (counting from 1) of the header of a logger file.
enum LoggerLine : int {
    LoggerKindLine = 1,
    LoggerIntervalLine,
    LoggerFreqWeightLine, // BoardCA
    LoggerTimeWeightLine, // BoardSFI
    LoggerRangeLine,      // BoardLevel
    LoggerL05Line,        // Board05
    LoggerL10Line,        // Board10
    LoggerL50Line,        // Board50
    LoggerL90Line,        // Board90
    LoggerL95Line,        // Board95
    LoggerMaxLevelLine,   // BoardMaxdB
    LoggerMaxTimeLine,    // BoardMaxTime
    LoggerSelLine,        // BoardSEL
    LoggerLeqLine,        // BoardLeq
};

/// Header of a real-time file. Texts are written unchanged; the interval as a plain number.
/// From a recording, maxLevel/maxTime/sel/leq are the recording's own values; from a saved live
/// list, maxLevel is numberText(LiveMax).
struct RealTimeHeader
{
    int sampleInterval = 1;
    QString freqWeight;
    QString timeWeight;
    QString range;
    QString maxLevel;
    QString maxTime;
    QString sel;
    QString leq;

    /// The nine header lines in file order, "Real Time" first.
    QStringList lines() const;
};

/// Header of a logger file: the DataList window's texts for one downloaded set.
struct LoggerHeader
{
    int sampleInterval = 1;
    QString freqWeight;
    QString timeWeight;
    QString range;
    QString l05;
    QString l10;
    QString l50;
    QString l90;
    QString l95;
    QString maxLevel;
    QString maxTime;
    QString sel;
    QString leq;

    /// The fourteen header lines in file order, "Data Logger" first.
    QStringList lines() const;
};


/// What the reading of a data file found besides its records: its kind and header, and whether
/// it was read to its end.
struct DataFileReading
{
    DataFileKind kind = DataFileKind::PlainList;
    /// File lines 1..H that exist (H = headerLineCount(kind)): headerLines[k - 1] is line k,
    /// so headerLines[0] holds the kind mark and headerLines[1] the sampling interval. Empty for
    /// a plain list file. Texts are unchanged (the line end removed).
    QStringList headerLines;
    /// Whether the first line is the column title line (a plain list file as the program writes).
    bool titled = false;
    /// Record lines read.
    qsizetype recordLines = 0;
    /// Number of lines of the file read; 0 for an empty file (which opens no window).
    qsizetype lineCount = 0;
    /// Line number (from 1) of the record line with fewer than three tabs that ended the
    /// reading, or 0 when the reading went to the end of the file.
    qsizetype stoppedAtLine = 0;
    /// The line that ended the reading, as found (cut to StopTextBytes).
    QByteArray stopText;
    /// Lines not read: the line that ended the reading and every line after it.
    qsizetype unreadLines = 0;
    /// Not empty when the file could not be opened or read; names the file and the reason.
    QString error;

    static constexpr qsizetype StopTextBytes = 40;

    bool ok() const { return error.isEmpty(); }
    /// Read to the end of the file.
    bool complete() const { return stoppedAtLine == 0; }
    /// Header line `lineNumber` (from 1), or a null text when the file is shorter.
    QString headerLine(int lineNumber) const;
    /// Empty when the file was read to its end; otherwise where the reading stopped in the file
    /// named `file`, what was found there and how many lines were not read.
    QString stopNotice(const QString& file) const;
    /// Empty for a data file; the error naming `file` when it is empty or holds no data at all
    /// (no kind, no column titles, not one record: random bytes).
    QString notDataError(const QString& file) const;
};

} // namespace kirv
