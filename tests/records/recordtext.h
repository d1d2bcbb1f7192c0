#pragma once

// Records written as "number|time|level" lines, so that a table row states a whole list.

#include "kirv/records/recordstore.h"

#include <QFile>
#include <QStringList>

namespace kirv::test {

inline QStringList recordTexts(const RecordStore& records)
{
    QStringList texts;
    for (qsizetype i = 0; i < records.count(); ++i) {
        const Record r = records.record(i);
        texts.append(r.number + u'|' + r.time + u'|' + r.level);
    }
    return texts;
}

inline RecordStore recordsFrom(const QStringList& texts)
{
    RecordStore records;
    for (const QString& text : texts) {
        const QStringList f = text.split(u'|');
        records.append(Record{f.value(0), f.value(1), f.value(2)});
    }
    return records;
}

inline QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(KIRV_FIXTURES "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A path no one, root included, can create: a folder below a regular file.
inline QString uncreatablePath(const QString& tempDir, const QString& name)
{
    const QString blocker = tempDir + QStringLiteral("/plainfile");
    QFile file(blocker);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
    return blocker + u'/' + name;
}

} // namespace kirv::test
