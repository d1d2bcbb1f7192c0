#include "kirv/logger/evidence_check.h"

#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"
#include "kirv/logger/logger_original.h"
#include "kirv/records/datafile.h"
#include "kirv/records/file_manifest.h"

#include <QFileInfo>

namespace kirv {

namespace {

// Largest raw image read: the largest logger memory the meter reports is far below it.
constexpr qint64 MaxRawImageBytes = qint64(64) << 20;

QString recordText(const RecordStore& records, qsizetype i)
{
    return QStringList{records.text(i, NumberColumn), records.text(i, TimeColumn),
                       records.text(i, LevelColumn)}
        .join(QLatin1Char(' '));
}

// The data file against its set decoded again from the raw image.
QStringList compareWithRaw(const QString& dataPath, const QStringList& comments)
{
    const QString shown = shownName(dataPath);
    const QString rawPath = logger::rawImagePath(dataPath);
    QByteArray dump;
    if (const FileStatus read = readRegularFile(rawPath, MaxRawImageBytes, dump); !read.ok())
        return {read.error};
    const std::optional<logger::LoggerOriginal> original = logger::originalOf(comments, dump);
    if (!original)
        return {QStringLiteral("%1: the manifest does not say which set the raw image holds")
                    .arg(shownName(rawPath))};
    const logger::DecodedSet decoded = logger::decodeOriginal(*original);
    if (!decoded.error.isEmpty())
        return {QStringLiteral("%1: %2").arg(shownName(rawPath), decoded.error)};
    const DataFileContent content = readDataFile(dataPath);
    if (!content.ok())
        return {content.error};
    for (qsizetype i = 0; i < std::max(content.headerLines.size(), decoded.headerLines.size()); ++i) {
        const QString file = content.headerLines.value(i);
        const QString raw = decoded.headerLines.value(i);
        if (file != raw)
            return {QStringLiteral("%1: header line %2 differs from the raw image (file \"%3\", "
                                   "raw image \"%4\")")
                        .arg(shown)
                        .arg(i + 1)
                        .arg(file, raw)};
    }
    const RecordStore& records = content.records;
    const RecordStore& again = decoded.records;
    const qsizetype common = std::min(records.count(), again.count());
    for (qsizetype i = 0; i < common; ++i)
        for (const int column : {NumberColumn, TimeColumn, LevelColumn})
            if (records.field(i, column) != again.field(i, column))
                return {QStringLiteral("%1: record %2 differs from the raw image (file \"%3\", "
                                       "raw image \"%4\")")
                            .arg(shown)
                            .arg(i + 1)
                            .arg(recordText(records, i), recordText(again, i))};
    if (records.count() != again.count())
        return {QStringLiteral("%1: record %2 differs from the raw image (the file holds %3 "
                               "records, the raw image %4)")
                    .arg(shown)
                    .arg(common + 1)
                    .arg(records.count())
                    .arg(again.count())};
    return {};
}

} // namespace

QStringList verifyEvidence(const QString& dataPath)
{
    const QString shown = shownName(dataPath);
    if (!QFileInfo::exists(dataPath))
        return {QStringLiteral("%1: no such file").arg(shown)};
    if (!QFileInfo::exists(manifestPath(dataPath)))
        return {QStringLiteral("%1: no manifest (%2)").arg(shown, shownName(manifestPath(dataPath)))};
    const ManifestLoad load = loadManifest(dataPath);
    if (!load.manifest)
        return {load.error};
    QStringList problems = checkManifest(dataPath, *load.manifest);
    const QString rawName = QFileInfo(logger::rawImagePath(dataPath)).fileName();
    if (load.manifest->entry(rawName) && QFileInfo::exists(logger::rawImagePath(dataPath)))
        problems << compareWithRaw(dataPath, load.manifest->comments);
    return problems;
}

} // namespace kirv
