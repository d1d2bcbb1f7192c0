#pragma once

#include "kirv/records/recordstore.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kirv {

/// One line of the header block of a printed list: a caption panel's text and its value.
struct ListPrintItem
{
    QString label;
    QString value;

    friend bool operator==(const ListPrintItem&, const ListPrintItem&) = default;
};

/// The boards a list window prints above its records, with the captions of its label panels.
struct ListPrintBoards
{
    QString freqLabel = QStringLiteral("Freq Weight");
    QString freqWeight;
    QString timeLabel = QStringLiteral("Time Weight");
    QString timeWeight;
    QString rangeLabel = QStringLiteral("Level Range");
    QString range;
    QString maxLabel = QStringLiteral("Max dB");
    QString maxLevel;
    QString maxTime;
    QString selLabel = QStringLiteral("SEL");
    QString sel;
    QString leqLabel = QStringLiteral("Leq");
    QString leq;

    /// The header block's items in print order; the maximum carries its time after " - ".
    QList<ListPrintItem> items() const;
};

/// The "records per line" answer: the integer part of its numeric value when that value lies in
/// 1..5, otherwise 0 (the question is asked again).
int recordsPerPrintLine(const QString& answer);

/// Smallest and largest number of records printed on one line.
inline constexpr int MinRecordsPerLine = 1;
inline constexpr int MaxRecordsPerLine = 5;

/// The printed form of a record list, line by line, for a painter that only places the lines:
/// four lines of one blank, the header block, the column title line and its rule, then the
/// records k to a line. Texts wider than their column are printed whole, so such a line grows
/// instead of losing characters.
class ListPrintLayout
{
public:
    /// `perLine` is clamped to 1..5. The records are not copied: keep them alive and unchanged.
    ListPrintLayout(const QList<ListPrintItem>& header, const RecordStore& records, int perLine);

    /// Everything above the records.
    const QStringList& leadLines() const { return m_lead; }
    /// Number of record lines: n / k rounded up.
    qsizetype recordLineCount() const;
    /// Number (from 1) of the first record on record line `line` (from 0): 1 + line * k.
    qsizetype firstRecordOf(qsizetype line) const { return 1 + line * m_perLine; }
    /// Record line `line` (from 0): number and time of its first record, then up to k levels.
    QString recordLine(qsizetype line) const;
    /// The whole print: lead lines, then every record line.
    QStringList lines() const;

    int perLine() const { return m_perLine; }

private:
    QStringList m_lead;
    const RecordStore& m_records;
    int m_perLine;
};

} // namespace kirv
