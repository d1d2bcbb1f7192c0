#include "kirv/output/report_format.h"

#include "kirv/base/decibels.h"
#include "kirv/base/numbertext.h"
#include "kirv/output/analysis_format.h"
#include "kirv/output/quoting.h"
#include "kirv/base/civil_time.h"

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

// An event's time in the text form; "-" where its record had none.
QString shownTime(const LocalTime& t)
{
    return t.valid ? civilText(t) : QStringLiteral("-");
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
    QString out;
    const QList<Field> fields = scalarFields(r, false);
    auto line = [&out](const QString& key, const QString& value) {
        out += QStringLiteral("%1 %2").arg(key + QLatin1Char(':'), -17).arg(value).trimmed();
        out += QLatin1Char('\n');
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
    return out.toUtf8();
}

QByteArray csvItem(const ReportValues& r)
{
    QList<QByteArray> cells;
    for (const Field& f : scalarFields(r, true))
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
        return (reportScalarKeys().join(QLatin1Char(',')) + QLatin1String(CsvLineEnd)).toUtf8();
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
