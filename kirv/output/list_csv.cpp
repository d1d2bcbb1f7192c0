#include "kirv/output/list_csv.h"

#include "kirv/records/datafile.h"
#include "kirv/output/quoting.h"
#include "kirv/base/civil_time.h"
#include "kirv/base/replace_file.h"

#include <QIODevice>

namespace kirv {

QByteArray recordsCsvRow(const RecordStore& records, qsizetype index)
{
    QByteArray row;
    row += csvField(records.field(index, NumberColumn));
    row += ',';
    const QByteArrayView time = records.field(index, TimeColumn);
    if (const std::optional<qint64> seconds = civilSeconds(time)) {
        row += isoLocalText(*seconds).toLatin1();
    } else {
        row += csvField(time);
    }
    row += ',';
    const QByteArrayView level = records.field(index, LevelColumn);
    const bool marked = level.contains('*');
    QByteArray plain = level.toByteArray();
    plain.replace('*', QByteArray()); // the mark has a column of its own
    row += csvField(plain.trimmed());
    row += marked ? ",1" : ",0";
    row += CsvLineEnd;
    return row;
}

bool writeRecordsCsv(QIODevice& out, const RecordStore& records)
{
    QByteArray block = QByteArray(RecordsCsvHeader) + CsvLineEnd;
    for (qsizetype i = 0; i < records.count(); ++i) {
        block += recordsCsvRow(records, i);
        if (block.size() >= 1 << 16 || i + 1 == records.count()) {
            if (out.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return block.isEmpty() || out.write(block) == block.size();
}

FileStatus exportRecordsCsv(const QString& path, const RecordStore& records)
{
    return replaceFile(path, [&records](QIODevice& out) { return writeRecordsCsv(out, records); });
}

} // namespace kirv
