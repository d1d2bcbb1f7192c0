#pragma once
// A full recording for the benchmarks: 348000 records at 1 s from 2024/06/01 00:00:00, levels
// 35.0..124.9 dB, every 97th record marked, as a real-time file.
#include "kirv/records/datafile.h"

#include <QDateTime>

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

} // namespace kirv::bench
