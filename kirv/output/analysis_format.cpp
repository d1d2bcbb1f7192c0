#include "kirv/output/analysis_format.h"

#include "kirv/stats/exceedance.h"
#include "kirv/base/decibels.h"
#include "kirv/base/civil_time.h"
#include "kirv/output/quoting.h"
#include "kirv/stats/report_values.h"

namespace kirv {

namespace {

bool isDay(int minutes)
{
    return minutes >= DayMinutes;
}

QString levelValue(const std::optional<double>& level)
{
    return level ? QString::number(tenthValue(*level), 'f', 1) : QString();
}

bool isNumber(const QString& value)
{
    bool ok = false;
    value.toDouble(&ok);
    return ok;
}

} // namespace

QString analysisLevelText(const std::optional<double>& level)
{
    return level ? tenthText(*level) : QString();
}

QString percentText(double share)
{
    return QString::number(std::round(share * 100.0), 'f', 0);
}

QString doseText(const std::optional<double>& percent)
{
    return percent ? QString::number(tenthValue(*percent), 'f', 1) : QString();
}

QStringList periodColumnTitles(int minutes)
{
    QStringList titles{"Start", "Records", "Leq", "Lmax", "Lmin", "L10", "L50", "L90"};
    if (isDay(minutes))
        titles << QStringList{"Ld", "Le", "Ln", "Lden", "Day %", "Evening %", "Night %"};
    return titles;
}

QStringList periodCells(const PeriodRow& r, int minutes)
{
    QStringList cells{periodStartText(r.start, minutes), QString::number(r.records),
                      tenthText(r.leq),          tenthText(r.lmax),
                      tenthText(r.lmin),         analysisLevelText(r.l10),
                      analysisLevelText(r.l50),  analysisLevelText(r.l90)};
    if (isDay(minutes))
        cells << QStringList{analysisLevelText(r.ld),   analysisLevelText(r.le),
                             analysisLevelText(r.ln),   analysisLevelText(r.lden),
                             percentText(r.coverageDay), percentText(r.coverageEvening),
                             percentText(r.coverageNight)};
    return cells;
}

QStringList periodKeys(int minutes)
{
    QStringList keys{"start", "records", "leq", "lmax", "lmin", "l10", "l50", "l90"};
    if (isDay(minutes))
        keys << QStringList{"ld",           "le",
                            "ln",           "lden",
                            "coverage_day", "coverage_evening",
                            "coverage_night"};
    return keys;
}

QStringList periodValues(const PeriodRow& r, int minutes)
{
    QStringList values{isoText({r.start, r.offset, true}), QString::number(r.records),
                       levelValue(r.leq),   levelValue(r.lmax),
                       levelValue(r.lmin),  levelValue(r.l10),
                       levelValue(r.l50),   levelValue(r.l90)};
    if (isDay(minutes))
        values << QStringList{levelValue(r.ld),
                              levelValue(r.le),
                              levelValue(r.ln),
                              levelValue(r.lden),
                              QString::number(r.coverageDay, 'f', 3),
                              QString::number(r.coverageEvening, 'f', 3),
                              QString::number(r.coverageNight, 'f', 3)};
    return values;
}

QStringList eventColumnTitles()
{
    return {"Start", "End", "Duration (s)", "Lmax", "Lmax Time", "Leq", "SEL"};
}

QStringList eventCells(const LevelEvent& e)
{
    return {civilText(e.start), civilText(e.end),      QString::number(e.seconds, 'g', 12),
            tenthText(e.lmax),  civilText(e.lmaxTime), tenthText(e.leq),
            tenthText(e.sel)};
}

QStringList eventKeys()
{
    return {"start", "end", "seconds", "lmax", "lmax_time", "leq", "sel"};
}

QStringList eventValues(const LevelEvent& e)
{
    return {isoText(e.start),      isoText(e.end),   QString::number(e.seconds, 'g', 12),
            levelValue(e.lmax),    isoText(e.lmaxTime), levelValue(e.leq),
            levelValue(e.sel)};
}

QByteArray csvRows(const QStringList& keys, const QList<QStringList>& rows, const QString& file)
{
    QByteArray out;
    const QByteArray fileCell = csvField(file.toUtf8());
    out += (file.isNull() ? QByteArray() : QByteArray("file,")) + keys.join(QLatin1Char(',')).toUtf8() +
           CsvLineEnd;
    for (const QStringList& row : rows) {
        QList<QByteArray> cells;
        if (!file.isNull())
            cells << fileCell;
        for (const QString& value : row)
            cells << csvField(value.toUtf8());
        out += cells.join(',') + CsvLineEnd;
    }
    return out;
}

QByteArray jsonObjects(const QStringList& keys, const QList<QStringList>& rows)
{
    QStringList objects;
    for (const QStringList& row : rows) {
        QStringList members;
        for (qsizetype k = 0; k < keys.size() && k < row.size(); ++k) {
            const QString& v = row[k];
            members << jsonString(keys[k]) + QLatin1Char(':') +
                           (v.isEmpty() ? QStringLiteral("null") : isNumber(v) ? v : jsonString(v));
        }
        objects << QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    return (QLatin1Char('[') + objects.join(QLatin1Char(',')) + QLatin1Char(']')).toUtf8();
}

namespace {

QList<QStringList> periodValueRows(const AnalysisValues& v)
{
    QList<QStringList> rows;
    for (const PeriodRow& row : v.periods)
        rows << periodValues(row, v.periodMinutes);
    return rows;
}

QList<QStringList> eventValueRows(const AnalysisValues& v)
{
    QList<QStringList> rows;
    for (const LevelEvent& e : v.events)
        rows << eventValues(e);
    return rows;
}

// The rows of csvRows() without its header row.
QByteArray withoutHead(const QByteArray& csv)
{
    return csv.mid(csv.indexOf('\n') + 1);
}

} // namespace

QByteArray analysisPeriodsJson(const AnalysisValues& v)
{
    return jsonObjects(periodKeys(v.periodMinutes), periodValueRows(v));
}

QByteArray analysisEventsJson(const AnalysisValues& v)
{
    return jsonObjects(eventKeys(), eventValueRows(v));
}

QByteArray analysisPeriodsCsvHead(int minutes)
{
    return csvRows(periodKeys(minutes), {}, QStringLiteral(""));
}

QByteArray analysisPeriodsCsvRows(const QString& file, const AnalysisValues& v)
{
    return withoutHead(csvRows(periodKeys(v.periodMinutes), periodValueRows(v), file));
}

QByteArray analysisEventsCsvHead()
{
    return csvRows(eventKeys(), {}, QStringLiteral(""));
}

QByteArray analysisEventsCsvRows(const QString& file, const AnalysisValues& v)
{
    return withoutHead(csvRows(eventKeys(), eventValueRows(v), file));
}

QStringList alignedLines(const QStringList& titles, const QList<QStringList>& rows)
{
    QList<qsizetype> widths;
    for (const QString& t : titles)
        widths << t.size();
    for (const QStringList& row : rows)
        for (qsizetype c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    auto line = [&widths](const QStringList& cells) {
        QString out;
        for (qsizetype c = 0; c < widths.size(); ++c) {
            const QString cell = c < cells.size() ? cells[c] : QString();
            out += c == 0 ? cell.leftJustified(widths[c]) : QStringLiteral("  ") + cell.rightJustified(widths[c]);
        }
        return out;
    };
    QStringList lines{line(titles)};
    lines << QString(lines.front().size(), QLatin1Char('-'));
    for (const QStringList& row : rows)
        lines << line(row);
    return lines;
}


namespace {

// "Leq 62.0 (whole file 79.3)   Lmax 60.0 (whole file 95.0)   L90 60.0 (whole file 60.0)"
QString figuresLine(const FigureSummary& masked, const std::optional<FigureSummary>& whole)
{
    auto figure = [&whole](const char* name, const std::optional<double>& value,
                           std::optional<double> FigureSummary::*member) {
        QString text = QStringLiteral("%1 %2").arg(QLatin1String(name),
                                                   value ? tenthText(*value) : QStringLiteral("-"));
        if (whole) {
            const std::optional<double>& w = (*whole).*member;
            text += QStringLiteral(" (whole file %1)").arg(w ? tenthText(*w) : QStringLiteral("-"));
        }
        return text;
    };
    return QStringList{figure("Leq", masked.leq, &FigureSummary::leq),
                       figure("Lmax", masked.lmax, &FigureSummary::lmax),
                       figure("L90", masked.l90, &FigureSummary::l90)}
        .join(QStringLiteral("   "));
}

} // namespace

QString figureSummaryText(const FigureSummary& masked, const std::optional<FigureSummary>& whole)
{
    const NoiseExposure& e = masked.exposure;
    const QString dash = QStringLiteral("-");
    const QString gap = QStringLiteral("   ");
    QStringList second{QStringLiteral("LEX,8h %1").arg(e.lex8h ? tenthText(*e.lex8h) : dash),
                       QStringLiteral("Dose OSHA %1 %").arg(e.doseOsha ? doseText(e.doseOsha) : dash),
                       QStringLiteral("Dose NIOSH %1 %").arg(e.doseNiosh ? doseText(e.doseNiosh) : dash)};
    if (masked.unreadable > 0)
        second << QStringLiteral("%1 of the levels are no number and enter no figure").arg(masked.unreadable);
    return figuresLine(masked, whole) + QLatin1Char('\n') + second.join(gap);
}

QString maskedFiguresText(const FigureSummary& masked, const FigureSummary& whole, qsizetype spans)
{
    return QStringLiteral("Masked: %1   %2")
        .arg(figuresLine(masked, whole),
             spans == 1 ? QStringLiteral("1 span left out")
                        : QStringLiteral("%1 spans left out").arg(spans));
}

} // namespace kirv
