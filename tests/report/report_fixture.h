#pragma once

#include "kirv/records/datafile.h"

#include <QByteArray>
#include <QStringList>

// A data file in memory: an optional header (first line the kind mark, second the interval),
// the column title line and one record line per "time level" pair.
inline QByteArray dataFileBytes(const QStringList& header,
                                const QList<QPair<QString, QString>>& records)
{
    QByteArray bytes;
    for (const QString& line : header)
        bytes += line.toUtf8() + "\r\n";
    bytes += QByteArray(kirv::ColumnTitleLine) + "\r\n";
    int number = 0;
    for (const auto& [time, level] : records)
        bytes +=
            QByteArray::number(++number) + '\t' + time.toUtf8() + '\t' + level.toUtf8() + "\t\r\n";
    return bytes;
}

inline QStringList realTimeHeader(int interval)
{
    return {"Real Time", QString::number(interval), "A",     "FAST", "30-130",
            "70.0",      "2024/06/01 18:00:00",     "106.0", "64.4"};
}
