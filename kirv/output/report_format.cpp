#include "kirv/output/report_format.h"

#include "kirv/base/decibels.h"
#include "kirv/base/numbertext.h"
#include "kirv/output/analysis_format.h"
#include "kirv/output/quoting.h"
#include "kirv/base/civil_time.h"
#include "kirv/records/amendment_log.h"

#include <cmath>

namespace kirv {

namespace {

// One value of the report: a number, a text, or missing.
struct Field
{
    enum Kind
    {
        Number,
        Text,
        Missing
    };
    const char* key;
    Kind kind;
    QString value;
};

Field number(const char* key, double value)
{
    return {key, Field::Number, numberText(value)};
}

Field level(const char* key, const std::optional<double>& value)
{
    return value ? Field{key, Field::Number, QString::number(*value, 'f', 1)}
                 : Field{key, Field::Missing, {}};
}

Field text(const char* key, const QString& value, bool present = true)
{
    return present ? Field{key, Field::Text, value} : Field{key, Field::Missing, {}};
}

Field flag(const char* key, bool value)
{
    return {key, Field::Number, value ? QStringLiteral("true") : QStringLiteral("false")};
}

// A stored time text as stored; for the machine forms (`iso`) the local time it was read as, in
// ISO 8601 with its UTC offset, and missing when the text is not a civil time.
Field time(const char* key, const QString& value, const LocalTime& at, bool present, bool iso)
{
    if (!present || (iso && !at.valid))
        return {key, Field::Missing, {}};
    return {key, Field::Text, iso ? isoText(at) : value};
}

Field dose(const char* key, const std::optional<double>& percent)
{
    return percent ? Field{key, Field::Number, doseText(percent)} : Field{key, Field::Missing, {}};
}

Field share(const char* key, double value)
{
    return {key, Field::Number, QString::number(value, 'f', 3)};
}

// The scalar values in report order; `exceedance` goes after `lmin`, `periods` after
// `gap_seconds` (the positions JSON puts them at).
constexpr int ExceedanceAfter = 12;
constexpr int PeriodsAfter = 19;

QList<Field> scalarFields(const ReportValues& r, bool iso)
{
    const bool any = r.records > 0;
    return {text("file", r.file),
            text("kind", reportKindText(r.kind)),
            number("interval", r.interval),
            number("records", double(r.records)),
            number("counted", double(r.counted)),
            number("paused", double(r.paused)),
            time("start", r.start, r.startAt, any, iso),
            time("end", r.end, r.endAt, any, iso),
            level("leq", r.leq),
            level("sel", r.sel),
            level("lmax", r.lmax),
            time("lmax_time", r.lmaxTime, r.lmaxAt, r.lmax.has_value(), iso),
            level("lmin", r.lmin),
            level("l05", r.exceedanceAt(5)),
            level("l10", r.exceedanceAt(10)),
            level("l50", r.exceedanceAt(50)),
            level("l90", r.exceedanceAt(90)),
            level("l95", r.exceedanceAt(95)),
            number("gaps", double(r.gaps)),
            number("gap_seconds", r.gapSeconds),
            level("ld", r.ld),
            level("le", r.le),
            level("ln", r.ln),
            level("lden", r.lden),
            share("coverage_day", r.coverageDay),
            share("coverage_evening", r.coverageEvening),
            share("coverage_night", r.coverageNight),
            // Later additions go last, so that the columns of a CSV keep their places.
            number("empty", double(r.empty)),
            flag("complete", r.complete),
            number("unread_lines", double(r.unreadLines)),
            level("lex8h", r.analysis.exposure.lex8h ? std::optional(tenthValue(*r.analysis.exposure.lex8h))
                                                     : std::nullopt),
            dose("dose_osha", r.analysis.exposure.doseOsha),
            dose("dose_niosh", r.analysis.exposure.doseNiosh),
            number("unreadable", double(r.unreadable)),
            flag("masks_ignored", !r.analysis.masksError.isEmpty())};
}

QString jsonValue(const Field& f)
{
    switch (f.kind) {
    case Field::Number:
        return f.value;
    case Field::Text:
        return jsonString(f.value);
    case Field::Missing:
        break;
    }
    return QStringLiteral("null");
}

// A civil time of the session details for the machine forms: ISO 8601 with the UTC offset
// that held then; as stored ("2026-03-04T08:30:05") for the text form.
QString detailTime(qint64 civil, bool iso)
{
    if (!iso)
        return isoLocalText(civil);
    LocalZone zone;
    return isoText(LocalTime{civil, zone.readings(civil).first, true});
}

// A drift or a reading in dB: to a millionth, so that 94.3 - 93.8 reads 0.5.
QString dbText(double value)
{
    return QString::number(std::round(value * 1e6) / 1e6, 'g', 12);
}

Field dbField(const char* key, const std::optional<double>& value)
{
    return value ? Field{key, Field::Number, dbText(*value)} : Field{key, Field::Missing, {}};
}

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

Field detailText(const char* key, const QString& value)
{
    return text(key, value, !value.isEmpty());
}

// The session details, flat, in the order of the sidecar.
QList<Field> detailFields(const SessionDetails& d)
{
    return {detailText("site", d.site),
            detailText("operator", d.operatorName),
            detailText("client", d.client),
            detailText("project", d.project),
            detailText("instrument_type", d.instrumentType),
            detailText("instrument_serial", d.instrumentSerial),
            detailText("instrument_verified", dateText(d.instrumentVerified)),
            detailText("calibrator_type", d.calibratorType),
            detailText("calibrator_serial", d.calibratorSerial),
            dbField("calibrator_level_db", d.calibratorLevelDb),
            detailText("calibrator_certificate", dateText(d.calibratorCertificate)),
            detailText("wind_speed", d.windSpeed),
            detailText("wind_direction", d.windDirection),
            detailText("rain", d.rain),
            detailText("temperature", d.temperature),
            detailText("session_notes", d.notes)};
}

Field readingTime(const char* key, const std::optional<CalibrationReading>& r, bool iso)
{
    return r && r->time ? Field{key, Field::Text, detailTime(*r->time, iso)}
                        : Field{key, Field::Missing, {}};
}

Field verdictField(const char* key, const CalibrationCheck& c)
{
    if (c.verdict == CalibrationCheck::Missing)
        return {key, Field::Missing, {}};
    return flag(key, c.verdict == CalibrationCheck::Valid);
}

// The calibration check, flat: the readings, the drift, the tolerance and the verdict.
QList<Field> calibrationFields(const CalibrationCheck& c, bool iso)
{
    const auto level = [](const std::optional<CalibrationReading>& r) {
        return r ? std::optional(r->levelDb) : std::nullopt;
    };
    return {dbField("calibration_pre_db", level(c.before)),
            readingTime("calibration_pre_time", c.before, iso),
            dbField("calibration_post_db", level(c.after)),
            readingTime("calibration_post_time", c.after, iso),
            dbField("drift_db", c.driftDb),
            dbField("tolerance_db", c.toleranceDb),
            verdictField("calibration_valid", c)};
}

// The timeline notes, one "time text" a line.
QString timelineText(const std::vector<TimelineNote>& notes, bool iso)
{
    QStringList lines;
    for (const TimelineNote& n : notes)
        lines << detailTime(n.time, iso) + QLatin1Char(' ') + n.text;
    return lines.join(QLatin1Char('\n'));
}

// Everything of the evidence as flat fields, for CSV: the SHA-256, the details, the check and
// the notes in one cell.
QList<Field> evidenceFields(const ReportEvidence& e)
{
    QList<Field> fields{text("sha256", QString::fromLatin1(e.sha256), !e.sha256.isEmpty())};
    fields << detailFields(e.details) << calibrationFields(e.calibration, true);
    fields << text("notes", timelineText(e.details.timeline, true), !e.details.timeline.empty());
    return fields;
}

QString jsonObject(const QList<Field>& fields)
{
    QStringList members;
    for (const Field& f : fields)
        members << jsonString(QLatin1String(f.key)) + QLatin1Char(':') + jsonValue(f);
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString jsonReading(const std::optional<CalibrationReading>& r)
{
    if (!r)
        return QStringLiteral("null");
    return jsonObject({dbField("level_db", r->levelDb), readingTime("time", r, true)});
}

// "sha256", "details" (null without a sidecar), "calibration" and "notes".
QStringList evidenceJson(const ReportEvidence& e)
{
    const SessionDetails& d = e.details;
    const CalibrationCheck& c = e.calibration;
    QStringList members;
    members << QStringLiteral("\"sha256\":") +
                   jsonValue(text("", QString::fromLatin1(e.sha256), !e.sha256.isEmpty()));
    const auto group = [](const QList<Field>& fields, qsizetype from, qsizetype count,
                          const char* prefix) {
        QList<Field> inner = fields.mid(from, count);
        for (Field& f : inner)
            f.key += qstrlen(prefix);
        return jsonObject(inner);
    };
    const QList<Field> flat = detailFields(d);
    members << QStringLiteral("\"details\":") +
                   (e.hasDetails
                        ? QStringLiteral("{%1,%2,%3,%4,\"instrument\":%5,\"calibrator\":%6,"
                                         "\"weather\":%7,\"notes\":%8}")
                              .arg(QStringLiteral("\"site\":") + jsonValue(flat[0]),
                                   QStringLiteral("\"operator\":") + jsonValue(flat[1]),
                                   QStringLiteral("\"client\":") + jsonValue(flat[2]),
                                   QStringLiteral("\"project\":") + jsonValue(flat[3]),
                                   group(flat, 4, 3, "instrument_"),
                                   group(flat, 7, 4, "calibrator_"), group(flat, 11, 4, ""),
                                   jsonValue(flat[15]))
                        : QStringLiteral("null"));
    members << QStringLiteral("\"calibration\":{\"pre\":%1,\"post\":%2,%3,%4,\"valid\":%5}")
                   .arg(jsonReading(c.before), jsonReading(c.after),
                        QStringLiteral("\"drift_db\":") + jsonValue(dbField("", c.driftDb)),
                        QStringLiteral("\"tolerance_db\":") + dbText(c.toleranceDb),
                        jsonValue(verdictField("", c)));
    QStringList notes;
    for (const TimelineNote& n : d.timeline)
        notes << QStringLiteral("{\"time\":%1,\"text\":%2}")
                     .arg(jsonString(detailTime(n.time, true)), jsonString(n.text));
    members << QStringLiteral("\"notes\":[") + notes.join(QLatin1Char(',')) + QLatin1Char(']');
    return members;
}

} // namespace

QStringList reportEvidenceKeys()
{
    QStringList keys;
    for (const Field& f : evidenceFields(ReportEvidence()))
        keys << QLatin1String(f.key);
    return keys;
}

namespace {

// An event's time in the text form; "-" where its record had none.
QString shownTime(const LocalTime& t)
{
    return t.valid ? civilText(t) : QStringLiteral("-");
}

QByteArray joined(const QList<ReportValues>& reports, ReportFormat format)
{
    QByteArray out = reportHead(format);
    for (qsizetype i = 0; i < reports.size(); ++i) {
        if (i > 0)
            out += reportSeparator(format);
        out += reportItem(format, reports[i]);
    }
    return out + reportTail(format);
}

QByteArray textItem(const ReportValues& r)
{
    // Taken to UTF-8 a line at a time: a year's period lines are held once, as bytes.
    QByteArray out;
    const QList<Field> fields = scalarFields(r, false);
    auto line = [&out](const QString& key, const QString& value) {
        out += QStringLiteral("%1 %2").arg(key + QLatin1Char(':'), -17).arg(value).trimmed().toUtf8();
        out += '\n';
    };
    for (int i = 0; i < fields.size(); ++i) {
        line(QLatin1String(fields[i].key), fields[i].value);
        if (i == ExceedanceAfter) {
            for (int row = 0; row < ExceedanceEntries / 10; ++row) {
                QString cells;
                for (int j = row * 10; j < row * 10 + 10; ++j)
                    cells += QStringLiteral("%1").arg(reportLevelText(r.exceedanceAt(j)), 6);
                line(QStringLiteral("L(%1)").arg(row * 10, 2, 10, QLatin1Char('0')), cells);
            }
        } else if (i == PeriodsAfter) {
            for (const PeriodLevel& p : r.periods)
                line(QStringLiteral("period"), QStringLiteral("%1 %2 %3")
                                                   .arg(p.start)
                                                   .arg(p.records, 7)
                                                   .arg(QString::number(p.leq, 'f', 1), 6));
        }
    }
    if (r.analysis.present) {
        line(QStringLiteral("masked_spans"), QString::number(r.analysis.maskedSpans));
        // In the columns of the period lines: start, end, seconds, lmax, leq.
        for (const LevelEvent& e : r.analysis.events)
            line(QStringLiteral("event"), QStringLiteral("%1 %2 %3 %4 %5")
                                              .arg(shownTime(e.start), shownTime(e.end))
                                              .arg(QString::number(e.seconds, 'g', 12), 7)
                                              .arg(tenthText(e.lmax), 6)
                                              .arg(tenthText(e.leq), 6));
    }
    if (r.evidence.present) {
        const ReportEvidence& e = r.evidence;
        line(QStringLiteral("sha256"), QString::fromLatin1(e.sha256));
        // One line a value given; a line end inside a value shows as "\n".
        for (const Field& f : detailFields(e.details))
            if (f.kind != Field::Missing)
                line(QLatin1String(f.key), escapedValue(f.value));
        for (const Field& f : calibrationFields(e.calibration, false))
            if (f.kind != Field::Missing)
                line(QLatin1String(f.key), f.value);
        line(QStringLiteral("calibration"), calibrationVerdictText(e.calibration.verdict));
        for (const TimelineNote& n : e.details.timeline)
            line(QStringLiteral("note"), isoLocalText(n.time) + QLatin1Char(' ') + escapedValue(n.text));
    }
    return out;
}

QByteArray csvItem(const ReportValues& r)
{
    QList<QByteArray> cells;
    for (const Field& f : scalarFields(r, true) + evidenceFields(r.evidence))
        cells << csvField(f.value.toUtf8());
    return cells.join(',') + CsvLineEnd;
}

QByteArray jsonItem(const ReportValues& r)
{
    QStringList members;
    const QList<Field> fields = scalarFields(r, true);
    for (int i = 0; i < fields.size(); ++i) {
        members << jsonString(QLatin1String(fields[i].key)) + QLatin1Char(':') +
                       jsonValue(fields[i]);
        if (i == ExceedanceAfter) {
            QStringList levels;
            for (int j = 0; j < ExceedanceEntries; ++j)
                levels << jsonValue(level("", r.exceedanceAt(j)));
            members << QStringLiteral("\"exceedance\":[") + levels.join(QLatin1Char(',')) +
                           QLatin1Char(']');
        } else if (i == PeriodsAfter) {
            if (r.analysis.present) {
                members << QStringLiteral("\"periods\":") + QString::fromUtf8(analysisPeriodsJson(r.analysis));
                continue;
            }
            QStringList periods;
            for (const PeriodLevel& p : r.periods)
                periods << QStringLiteral("{\"start\":%1,\"records\":%2,\"leq\":%3}")
                               .arg(jsonString(isoStart(p)))
                               .arg(p.records)
                               .arg(QString::number(p.leq, 'f', 1));
            members << QStringLiteral("\"periods\":[") + periods.join(QLatin1Char(',')) +
                           QLatin1Char(']');
        }
    }
    if (r.analysis.present) {
        members << QStringLiteral("\"masked_spans\":%1").arg(r.analysis.maskedSpans);
        if (r.analysis.eventRule)
            members << QStringLiteral("\"events\":") + QString::fromUtf8(analysisEventsJson(r.analysis));
    }
    if (r.evidence.present)
        members << evidenceJson(r.evidence);
    return (QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}')).toUtf8();
}

} // namespace

QStringList reportScalarKeys()
{
    QStringList keys;
    for (const Field& f : scalarFields(ReportValues(), false))
        keys << QLatin1String(f.key);
    return keys;
}

QString isoStart(const PeriodLevel& p)
{
    const std::optional<qint64> seconds = civilSeconds(p.start.toLatin1());
    return seconds ? isoText({*seconds, p.offset, true}) : p.start;
}

QString reportLevelText(const std::optional<double>& level)
{
    return level ? QString::number(*level, 'f', 1) : QString();
}

QByteArray reportHead(ReportFormat format)
{
    switch (format) {
    case ReportFormat::Csv:
        return ((reportScalarKeys() + reportEvidenceKeys()).join(QLatin1Char(',')) +
                QLatin1String(CsvLineEnd))
            .toUtf8();
    case ReportFormat::Json:
        return "[";
    case ReportFormat::Text:
        break;
    }
    return {};
}

QByteArray reportItem(ReportFormat format, const ReportValues& report)
{
    switch (format) {
    case ReportFormat::Csv:
        return csvItem(report);
    case ReportFormat::Json:
        return jsonItem(report);
    case ReportFormat::Text:
        break;
    }
    return textItem(report);
}

QByteArray reportSeparator(ReportFormat format)
{
    switch (format) {
    case ReportFormat::Csv:
        return {};
    case ReportFormat::Json:
        return ",\n";
    case ReportFormat::Text:
        break;
    }
    return "\n";
}

QByteArray reportTail(ReportFormat format)
{
    return format == ReportFormat::Json ? "]\n" : QByteArray();
}

QByteArray reportText(const QList<ReportValues>& reports)
{
    return joined(reports, ReportFormat::Text);
}

QByteArray reportCsv(const QList<ReportValues>& reports)
{
    return joined(reports, ReportFormat::Csv);
}

QByteArray reportJson(const QList<ReportValues>& reports)
{
    return joined(reports, ReportFormat::Json);
}

} // namespace kirv
