#include "kirv/logger/logger_original.h"

#include "kirv/base/replace_file.h"
#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_set.h"
#include "kirv/records/file_manifest.h"

#include <QRegularExpression>

namespace kirv::logger {

QString rawImagePath(const QString& dataPath)
{
    return dataPath + QStringLiteral(".raw");
}

QString originalComment(const LoggerOriginal& o)
{
    return QStringLiteral("logger set %1 of a dump of %2 bytes, stamps of %3")
        .arg(o.set)
        .arg(o.length)
        .arg(o.year);
}

std::optional<LoggerOriginal> originalOf(const QStringList& comments, const QByteArray& dump)
{
    static const QRegularExpression pattern(
        QStringLiteral("^logger set (\\d{1,6}) of a dump of (\\d{1,12}) bytes, stamps of (\\d{4})$"));
    for (const QString& comment : comments) {
        const QRegularExpressionMatch m = pattern.match(comment);
        if (m.hasMatch())
            return LoggerOriginal{dump, m.captured(2).toLongLong(), m.captured(1).toInt(),
                                  m.captured(3).toInt()};
    }
    return std::nullopt;
}

FileStatus keepLoggerOriginal(const QString& dataPath, const LoggerOriginal& original)
{
    if (const FileStatus raw = replaceOrRemove(rawImagePath(dataPath), original.dump); !raw.ok())
        return raw;
    return writeManifest(dataPath, {originalComment(original)});
}

DecodedSet decodeOriginal(const LoggerOriginal& original)
{
    DecodedSet decoded;
    const LoggerSets sets = walkSets(original.dump, original.length);
    const QByteArrayView set = sets.set(original.set);
    if (set.isEmpty()) {
        decoded.error = QStringLiteral("the raw image holds no set %1 (%2 sets)")
                            .arg(original.set)
                            .arg(sets.count());
        return decoded;
    }
    if (const QString problem = startStampProblem(set, original.set, original.year);
        !problem.isEmpty()) {
        decoded.error = problem;
        return decoded;
    }
    const int interval = sets.interval(original.set);
    const QByteArrayView startStamp = setTimestamp(set, StartStamp);
    appendSetRecords(set, 0, recordCountOf(set), timestampTime(startStamp, original.year),
                     timestampText(startStamp, original.year), interval, decoded.records);
    decoded.headerLines = loggerHeaderOf(decodeSetBoards(set, original.year), interval).lines();
    return decoded;
}

} // namespace kirv::logger
