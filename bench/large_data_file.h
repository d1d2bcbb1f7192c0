#pragma once
// A full recording for the benchmarks: 348000 records at 1 s from 2024/06/01 00:00:00, levels
// 35.0..124.9 dB, every 97th record marked, as a real-time file.
#include "kirv/records/datafile.h"
#include "kirv/stats/report_values.h"
#include "kirv/base/civil_time.h"

#include <QDateTime>
#include <QFile>

namespace kirv::bench {

inline RecordStore fullRecording()
{
    RecordStore records;
    QDateTime time(QDate(2024, 6, 1), QTime(0, 0, 0));
    for (qsizetype i = 1; i <= MaxListRecords; ++i, time = time.addSecs(1)) {
        const QByteArray level = QByteArray::number(35.0 + double(i * 7919 % 900) / 10.0, 'f', 1);
        records.append(QByteArray::number(i),
                       time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toLatin1(),
                       i % 97 ? level : level + '*');
    }
    return records;
}

inline const RealTimeHeader fullRecordingHeader{
    1, "A", "FAST", "30-130", "124.3*", "2024/06/03 10:11:12", "141.2", "88.5"};

/// A real-time file of `count` records made as fullRecording() makes its records, written
/// straight to `path` without holding them (5000000 records are about 174 MB).
inline bool writeLargeDataFile(const QString& path, qsizetype count)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeLines(file, fullRecordingHeader.lines()))
        return false;
    QByteArray chunk = QByteArray(ColumnTitleLine) + LineEnd;
    const qint64 start = *civilSeconds("2024/06/01 00:00:00");
    for (qsizetype i = 1; i <= count; ++i) {
        const QByteArray level = QByteArray::number(35.0 + double(i * 7919 % 900) / 10.0, 'f', 1);
        chunk += QByteArray::number(i) + '\t' + civilTimeText(start + i - 1).toLatin1() + '\t' +
                 (i % 97 ? level : level + '*') + '\t' + LineEnd;
        if (chunk.size() > (1 << 20) || i == count) {
            if (file.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return file.flush();
}

} // namespace kirv::bench
