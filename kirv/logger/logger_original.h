#pragma once

#include "kirv/base/filestatus.h"
#include "kirv/records/recordstore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kirv::logger {

/// The logger memory a data file was saved from, kept as the meter sent it: the dump of the
/// download byte for byte, the length the pointer announced, which set the file holds and the
/// year that gave the century of the set's stamps.
struct LoggerOriginal
{
    QByteArray dump;
    qint64 length = 0;
    int set = 0; // from 1
    int year = 0;

    friend bool operator==(const LoggerOriginal&, const LoggerOriginal&) = default;
};

/// "name.kirv.raw": the raw image kept beside a data file saved from a download.
QString rawImagePath(const QString& dataPath);

/// The manifest's comment line that says what the raw image holds, and its reading back (with
/// the raw image's bytes) into the original; nothing for another comment.
QString originalComment(const LoggerOriginal& original);
std::optional<LoggerOriginal> originalOf(const QStringList& comments, const QByteArray& dump);

/// Keeps the original of the data file `dataPath` just saved from it: the raw image (whole or
/// not at all), then the manifest of the data file and the raw image.
FileStatus keepLoggerOriginal(const QString& dataPath, const LoggerOriginal& original);

/// The set of an original decoded again as the Data List decodes it: the logger file's header
/// lines and the records; `error` says why the set cannot be decoded (no such set, a start stamp
/// that is no date).
struct DecodedSet
{
    QStringList headerLines;
    RecordStore records;
    QString error;
};
DecodedSet decodeOriginal(const LoggerOriginal& original);

} // namespace kirv::logger
