#include "kirv/output/compare_format.h"

#include "kirv/output/quoting.h"

#include <QStringList>

namespace kirv {

namespace {

// Widths of the text form's columns: a level, a period's start, a figure's name.
constexpr int LevelWidth = 8;
constexpr int TimeWidth = 21;
constexpr int LabelWidth = 6;

QString start(const std::optional<PeriodLevel>& p, bool iso)
{
    return p ? (iso ? isoStart(*p) : p->start) : QString();
}

std::optional<double> leq(const std::optional<PeriodLevel>& p)
{
    return p ? std::optional<double>(p->leq) : std::nullopt;
}

QString jsonLevel(const std::optional<double>& level)
{
    return level ? reportLevelText(level) : QStringLiteral("null");
}

QString jsonText(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("null") : jsonString(text);
}

QByteArray text(const CompareTable& t)
{
    QString out;
    // Columns line up; a line ends at its last value, without the blanks of missing ones.
    const auto line = [&out](QString text) {
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out += text + QLatin1Char('\n');
    };
    const auto levels = [](const std::optional<double>& a, const std::optional<double>& b,
                           const std::optional<double>& d) {
        return QStringLiteral("%1%2%3")
            .arg(reportLevelText(a), LevelWidth)
            .arg(reportLevelText(b), LevelWidth)
            .arg(reportLevelText(d), LevelWidth);
    };
    line(QStringLiteral("a: ") + t.fileA);
    line(QStringLiteral("b: ") + t.fileB);
    line(QStringLiteral("alignment: ") + compareAlignmentName(t.alignment));
    line({});
    line(QStringLiteral("%1%2%3%4")
             .arg(QString(), -LabelWidth)
             .arg(QStringLiteral("a"), LevelWidth)
             .arg(QStringLiteral("b"), LevelWidth)
             .arg(QStringLiteral("b - a"), LevelWidth));
    for (const CompareFigure& f : t.figures)
        line(QStringLiteral("%1%2").arg(QLatin1String(f.label), -LabelWidth).arg(levels(f.a, f.b, f.difference)));
    line({});
    line(QStringLiteral("%1%2%3%4%5")
             .arg(QStringLiteral("period a"), -TimeWidth)
             .arg(QStringLiteral("period b"), -TimeWidth)
             .arg(QStringLiteral("leq a"), LevelWidth)
             .arg(QStringLiteral("leq b"), LevelWidth)
             .arg(QStringLiteral("b - a"), LevelWidth));
    for (const ComparePeriod& p : t.periods)
        line(QStringLiteral("%1%2%3")
                 .arg(start(p.a, false), -TimeWidth)
                 .arg(start(p.b, false), -TimeWidth)
                 .arg(levels(leq(p.a), leq(p.b), p.difference)));
    return out.toUtf8();
}

QByteArray csv(const CompareTable& t)
{
    QByteArray out = QByteArrayLiteral("file_a,file_b,alignment,row,start_a,start_b,a,b,difference") +
                     CsvLineEnd;
    const auto row = [&](const QString& name, const QString& startA, const QString& startB,
                         const std::optional<double>& a, const std::optional<double>& b,
                         const std::optional<double>& d) {
        QList<QByteArray> cells;
        for (const QString& cell : {t.fileA, t.fileB, compareAlignmentName(t.alignment), name,
                                    startA, startB, reportLevelText(a), reportLevelText(b),
                                    reportLevelText(d)})
            cells << csvField(cell.toUtf8());
        out += cells.join(',') + CsvLineEnd;
    };
    for (const CompareFigure& f : t.figures)
        row(QLatin1String(f.key), {}, {}, f.a, f.b, f.difference);
    for (const ComparePeriod& p : t.periods)
        row(QStringLiteral("period"), start(p.a, true), start(p.b, true), leq(p.a), leq(p.b),
            p.difference);
    return out;
}

QByteArray json(const CompareTable& t)
{
    QStringList figures;
    for (const CompareFigure& f : t.figures)
        figures << QStringLiteral("%1:{\"a\":%2,\"b\":%3,\"difference\":%4}")
                       .arg(jsonString(QLatin1String(f.key)), jsonLevel(f.a), jsonLevel(f.b),
                            jsonLevel(f.difference));
    QStringList periods;
    for (const ComparePeriod& p : t.periods)
        periods << QStringLiteral("{\"start_a\":%1,\"start_b\":%2,\"leq_a\":%3,\"leq_b\":%4,"
                                  "\"difference\":%5}")
                       .arg(jsonText(start(p.a, true)), jsonText(start(p.b, true)),
                            jsonLevel(leq(p.a)), jsonLevel(leq(p.b)), jsonLevel(p.difference));
    return QStringLiteral("{\"file_a\":%1,\"file_b\":%2,\"alignment\":%3,\"figures\":{%4},"
                          "\"periods\":[%5]}\n")
        .arg(jsonString(t.fileA), jsonString(t.fileB),
             jsonString(compareAlignmentName(t.alignment)), figures.join(QLatin1Char(',')),
             periods.join(QLatin1Char(',')))
        .toUtf8();
}

} // namespace

QByteArray compareOutput(ReportFormat format, const CompareTable& table)
{
    switch (format) {
    case ReportFormat::Csv:
        return csv(table);
    case ReportFormat::Json:
        return json(table);
    case ReportFormat::Text:
        break;
    }
    return text(table);
}

} // namespace kirv
