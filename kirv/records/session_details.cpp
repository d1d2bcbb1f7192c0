#include "kirv/records/session_details.h"

#include "kirv/base/civil_time.h"
#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/replace_file.h"
#include "kirv/base/text_lines.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr char FirstLine[] = "# kirv session details\n";
constexpr char NoteKey[] = "note";

// One value of the sidecar: its key and the member it fills, by kind.
struct Field
{
    const char* key;
    QString SessionDetails::*text = nullptr;
    QDate SessionDetails::*date = nullptr;
    std::optional<double> SessionDetails::*level = nullptr;
    std::optional<CalibrationReading> SessionDetails::*reading = nullptr;
};

Field textField(const char* key, QString SessionDetails::*m) { return {key, m}; }
Field dateField(const char* key, QDate SessionDetails::*m) { return {key, nullptr, m}; }
Field levelField(const char* key, std::optional<double> SessionDetails::*m)
{
    return {key, nullptr, nullptr, m};
}
Field readingField(const char* key, std::optional<CalibrationReading> SessionDetails::*m)
{
    return {key, nullptr, nullptr, nullptr, m};
}

// The keys in the order the sidecar writes them and the log names them.
const std::vector<Field>& fields()
{
    static const std::vector<Field> table{
        textField("site", &SessionDetails::site),
        textField("operator", &SessionDetails::operatorName),
        textField("client", &SessionDetails::client),
        textField("project", &SessionDetails::project),
        textField("instrument.type", &SessionDetails::instrumentType),
        textField("instrument.serial", &SessionDetails::instrumentSerial),
        dateField("instrument.verified", &SessionDetails::instrumentVerified),
        textField("calibrator.type", &SessionDetails::calibratorType),
        textField("calibrator.serial", &SessionDetails::calibratorSerial),
        levelField("calibrator.level_db", &SessionDetails::calibratorLevelDb),
        dateField("calibrator.certificate", &SessionDetails::calibratorCertificate),
        textField("weather.wind_speed", &SessionDetails::windSpeed),
        textField("weather.wind_direction", &SessionDetails::windDirection),
        textField("weather.rain", &SessionDetails::rain),
        textField("weather.temperature", &SessionDetails::temperature),
        textField("notes", &SessionDetails::notes),
        readingField("calibration.pre", &SessionDetails::calibrationBefore),
        readingField("calibration.post", &SessionDetails::calibrationAfter),
        levelField("calibration.tolerance_db", &SessionDetails::toleranceDb),
    };
    return table;
}

QString levelText(double level)
{
    return QString::number(level, 'g', 15);
}

std::optional<double> levelOf(QStringView text)
{
    bool ok = false;
    const double level = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(level) ? std::optional(level) : std::nullopt;
}

// A value as the sidecar writes it; empty for one not given.
QString valueText(const Field& f, const SessionDetails& d)
{
    if (f.text)
        return d.*f.text;
    if (f.date)
        return (d.*f.date).isValid() ? (d.*f.date).toString(Qt::ISODate) : QString();
    if (f.level)
        return (d.*f.level) ? levelText(*(d.*f.level)) : QString();
    const std::optional<CalibrationReading>& r = d.*f.reading;
    if (!r)
        return {};
    return r->time ? levelText(r->levelDb) + QLatin1Char(' ') + isoLocalText(*r->time)
                   : levelText(r->levelDb);
}

// Sets a value from its text; false when the text is not what the key takes.
bool setValue(const Field& f, SessionDetails& d, const QString& value)
{
    if (f.text) {
        d.*f.text = value;
        return true;
    }
    if (f.date) {
        const QDate date = QDate::fromString(value.trimmed(), Qt::ISODate);
        d.*f.date = date;
        return date.isValid();
    }
    if (f.level) {
        d.*f.level = levelOf(value);
        return (d.*f.level).has_value();
    }
    // "93.9" or "93.9 2026-03-04T07:58:00" (a blank for the "T" and an offset taken too).
    const QString trimmed = value.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const std::optional<double> level = levelOf(blank < 0 ? trimmed : trimmed.left(blank));
    if (!level)
        return false;
    CalibrationReading reading{*level, std::nullopt};
    if (blank >= 0) {
        reading.time = isoTimeSeconds(trimmed.mid(blank + 1).trimmed().toUtf8());
        if (!reading.time)
            return false;
    }
    d.*f.reading = reading;
    return true;
}

QString noteText(const TimelineNote& note)
{
    return isoLocalText(note.time) + QLatin1Char(' ') + note.text;
}

void sortTimeline(std::vector<TimelineNote>& notes)
{
    std::stable_sort(notes.begin(), notes.end(),
                     [](const TimelineNote& a, const TimelineNote& b) { return a.time < b.time; });
}

} // namespace

QString sessionDetailsPath(const QString& dataPath)
{
    return dataPath + QStringLiteral(".info");
}

QByteArray sessionDetailsText(const SessionDetails& details)
{
    QByteArray out = FirstLine;
    for (const Field& f : fields())
        if (const QString value = valueText(f, details); !value.isEmpty())
            out += QByteArray(f.key) + ": " + escapedValue(value).toUtf8() + '\n';
    std::vector<TimelineNote> timeline = details.timeline;
    sortTimeline(timeline);
    for (const TimelineNote& note : timeline)
        out += QByteArray(NoteKey) + ": " + escapedValue(noteText(note)).toUtf8() + '\n';
    return out;
}

SessionDetailsParse parseSessionDetails(QByteArrayView text)
{
    if (text.startsWith("\xEF\xBB\xBF")) // the byte order mark some editors put first
        text = text.sliced(3);
    SessionDetails details;
    std::vector<bool> seen(fields().size(), false);
    SessionDetailsParse failed;
    const bool read = forEachLine(text, [&](qsizetype lineNumber, QByteArrayView line) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            return true;
        const auto bad = [&](const QString& reason) {
            failed.error = QStringLiteral("line %1: %2").arg(lineNumber).arg(reason);
            return false;
        };
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return bad(QStringLiteral("not a \"key: value\" line"));
        const QByteArray key = line.first(colon).trimmed().toByteArray();
        QByteArrayView rest = line.sliced(colon + 1);
        if (rest.startsWith(' '))
            rest = rest.sliced(1);
        const std::optional<QString> value = unescapedValue(QString::fromUtf8(rest));
        if (!value)
            return bad(QStringLiteral("a backslash that is none of \\\\, \\t, \\r, \\n"));
        if (key == NoteKey) {
            const qsizetype blank = value->indexOf(QLatin1Char(' '));
            std::optional<qint64> time = isoTimeSeconds(value->left(blank < 0 ? value->size() : blank).toUtf8());
            if (!time)
                return bad(QStringLiteral("a note starts with its time, such as 2026-03-04T08:30:05"));
            details.timeline.push_back({*time, blank < 0 ? QString() : value->mid(blank + 1)});
            return true;
        }
        const auto it = std::find_if(fields().begin(), fields().end(),
                                     [&key](const Field& f) { return key == f.key; });
        if (it == fields().end())
            return bad(QStringLiteral("unknown key \"%1\"").arg(QString::fromUtf8(key)));
        const size_t index = size_t(it - fields().begin());
        if (seen[index])
            return bad(QStringLiteral("\"%1\" is given twice").arg(QString::fromUtf8(key)));
        seen[index] = true;
        if (!setValue(*it, details, *value))
            return bad(QStringLiteral("\"%1\" is not a %2")
                           .arg(*value, it->date    ? QStringLiteral("date such as 2026-03-04")
                                        : it->level ? QStringLiteral("level in dB such as 94.0")
                                                    : QStringLiteral("level in dB and a time "
                                                                     "such as 94.0 2026-03-04T08:30:05")));
        return true;
    });
    if (!read)
        return failed;
    sortTimeline(details.timeline);
    return {details, {}};
}

SessionDetailsLoad loadSessionDetails(const QString& dataPath)
{
    const QString path = sessionDetailsPath(dataPath);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return {};
    QByteArray text;
    if (const FileStatus read = readRegularFile(path, MaxSessionDetailsBytes, text); !read.ok())
        return {{}, false, read.error};
    const SessionDetailsParse parse = parseSessionDetails(text);
    if (!parse.details)
        return {{}, false, FileStatus::failure("use", shownName(path), parse.error).error};
    return {*parse.details, true, {}};
}

QList<Amendment> sessionDetailsChanges(const SessionDetails& before, const SessionDetails& after)
{
    QList<Amendment> changes;
    for (const Field& f : fields()) {
        const QString old = valueText(f, before);
        const QString now = valueText(f, after);
        if (old != now)
            changes.append({QString::fromLatin1(f.key), old, now});
    }
    // Notes as a multiset: each one no longer there is removed, each new one added.
    std::vector<TimelineNote> added = after.timeline;
    std::vector<TimelineNote> removed;
    for (const TimelineNote& note : before.timeline) {
        const auto it = std::find(added.begin(), added.end(), note);
        if (it != added.end())
            added.erase(it);
        else
            removed.push_back(note);
    }
    for (const TimelineNote& note : removed)
        changes.append({QString::fromLatin1(NoteKey), noteText(note), {}});
    for (const TimelineNote& note : added)
        changes.append({QString::fromLatin1(NoteKey), {}, noteText(note)});
    return changes;
}

FileStatus saveSessionDetails(const QString& dataPath, const SessionDetails& details,
                              const QString& login, const QDateTime& when)
{
    const QString path = sessionDetailsPath(dataPath);
    const SessionDetailsLoad current = loadSessionDetails(dataPath);
    if (!current.error.isEmpty())
        return {current.error + QStringLiteral("; it is left as it is")};
    const QList<Amendment> changes = sessionDetailsChanges(current.details, details);
    if (changes.isEmpty())
        return {};
    if (const FileStatus written =
            replaceOrRemove(path, details.isEmpty() ? QByteArray() : sessionDetailsText(details));
        !written.ok())
        return written;
    return recordAmendments(dataPath, path, changes, login, when);
}

} // namespace kirv
