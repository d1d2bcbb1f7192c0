#include "kirv/records/amendment_log.h"

#include "kirv/base/civil_time.h"
#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/replace_file.h"
#include "kirv/records/file_manifest.h"

#include <QFile>

#include <cerrno>
#include <limits>

namespace kirv {

QString amendmentLogPath(const QString& dataPath)
{
    return dataPath + QStringLiteral(".log");
}

QString escapedValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\n': out += QLatin1String("\\n"); break;
        default: out += c;
        }
    }
    return out;
}

std::optional<QString> unescapedValue(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\')) {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case '\\': out += QLatin1Char('\\'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 'n': out += QLatin1Char('\n'); break;
        default: return std::nullopt;
        }
    }
    return out;
}

QByteArray amendmentLine(const QDateTime& when, const QString& login, const Amendment& change)
{
    return (QStringList{isoText(when), escapedValue(login), escapedValue(change.what),
                        escapedValue(change.oldValue), escapedValue(change.newValue)}
                .join(QLatin1Char('\t'))
            + QLatin1Char('\n'))
        .toUtf8();
}

std::optional<AmendmentRecord> parseAmendmentLine(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
    if (fields.size() != 5)
        return std::nullopt;
    QStringList values;
    for (const QString& field : fields) {
        const std::optional<QString> value = unescapedValue(field);
        if (!value)
            return std::nullopt;
        values << *value;
    }
    return AmendmentRecord{values[0], values[1], {values[2], values[3], values[4]}};
}

FileStatus recordAmendments(const QString& dataPath, const QString& sidecarPath,
                            const QList<Amendment>& changes, const QString& login,
                            const QDateTime& when)
{
    if (changes.isEmpty())
        return {};
    const QString path = amendmentLogPath(dataPath);
    if (const FileStatus target = regularTarget(path); !target.ok())
        return FileStatus::failure("append to", shownName(path),
                                   QStringLiteral("it is not a regular file"));
    QByteArray lines;
    for (const Amendment& change : changes)
        lines += amendmentLine(when, login, change);
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return FileStatus::failure("append to", shownName(path), log.errorString());
    if (log.write(lines) != lines.size() || !log.flush())
        return FileStatus::failure("append to", shownName(path), log.errorString());
    if (!syncToDisk(log))
        return FileStatus::failure("append to", shownName(path), qt_error_string(errno));
    log.close();
    return refreshManifest(dataPath, {sidecarPath, path});
}

AmendmentLogLoad loadAmendmentLog(const QString& dataPath)
{
    AmendmentLogLoad load;
    const QString path = amendmentLogPath(dataPath);
    if (!QFile::exists(path))
        return load;
    QFile log;
    if (const FileStatus opened = openRegularFile(log, path, std::numeric_limits<qint64>::max()); !opened.ok()) {
        load.error = opened.error;
        return load;
    }
    // A log grown past what a window shows is read from its end, from the first whole line.
    const bool cut = log.size() > MaxShownLogBytes;
    if (cut && !log.seek(log.size() - MaxShownLogBytes)) {
        load.error = FileStatus::failure("read", shownName(path), log.errorString()).error;
        return load;
    }
    QByteArray text = log.readAll();
    if (cut)
        text.remove(0, text.indexOf('\n') + 1);
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        if (auto record = parseAmendmentLine(line))
            load.records.append(*record);
        else
            ++load.unreadable;
    }
    return load;
}

} // namespace kirv
