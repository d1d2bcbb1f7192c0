#pragma once

#include "kirv/base/filestatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace kirv {

/// The amendment log beside a data file: every change the program makes to what is kept with
/// "name.kirv" (masks, session details, timeline notes) adds lines to "name.kirv.log". The log
/// is only ever appended to, never rewritten: it tells who changed what, when, from what to what.
QString amendmentLogPath(const QString& dataPath);

/// One change of one value: `what` names it ("site", "calibration.pre", "note", "mask"), an
/// empty old value is one added, an empty new value one removed.
struct Amendment
{
    QString what;
    QString oldValue;
    QString newValue;

    friend bool operator==(const Amendment&, const Amendment&) = default;
};

/// One line of the log: time (ISO 8601 local time with its UTC offset), login name, what,
/// old value, new value, separated by tabs and ended by LF. A backslash, tab, CR or LF inside a
/// value is written as \\, \t, \r or \n, so each amendment stays one line of five fields.
QByteArray amendmentLine(const QDateTime& when, const QString& login, const Amendment& change);

/// The fields of a log line as amendmentLine() wrote them, or nothing for another line.
struct AmendmentRecord
{
    QString time;
    QString login;
    Amendment change;
};
std::optional<AmendmentRecord> parseAmendmentLine(QByteArrayView line);

/// A value as one line: backslash, tab, CR and LF escaped as above; the inverse, or nothing for a
/// text with an escape that is none of them. The session details take the same escapes.
QString escapedValue(const QString& value);
std::optional<QString> unescapedValue(QStringView text);

/// Appends the lines of `changes` to the log of `dataPath` (opened to append, flushed and
/// synced to the disk) and then hashes the changed file `sidecarPath` and the log into the data
/// file's manifest, when it has one. A log that is not a regular file is named and left alone.
/// Nothing is written for no changes.
FileStatus recordAmendments(const QString& dataPath, const QString& sidecarPath,
                            const QList<Amendment>& changes, const QString& login,
                            const QDateTime& when);

/// Largest log read for showing; a longer one is shown from its end.
inline constexpr qint64 MaxShownLogBytes = qint64(4) << 20;

/// The amendments of the log of `dataPath`, oldest first, for showing: none when there is no
/// log; `error` names the log when it cannot be read, and `unreadable` counts lines that are no
/// amendment (they are skipped, never repaired).
struct AmendmentLogLoad
{
    QList<AmendmentRecord> records;
    int unreadable = 0;
    QString error;
};
AmendmentLogLoad loadAmendmentLog(const QString& dataPath);

} // namespace kirv
