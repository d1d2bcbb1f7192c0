#include "kirv/output/list_print.h"

#include "kirv/base/numbertext.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr int NumberWidth = 14;
constexpr int TimeWidth = 21;
constexpr int LevelWidth = 9;
constexpr int LeadBlankLines = 4;

// Right-aligned in `width` characters; a longer text is kept whole.
QString column(QStringView text, int width)
{
    return text.toString().rightJustified(width, QLatin1Char(' '), false);
}

QString column(QByteArrayView utf8, int width)
{
    return column(QString::fromUtf8(utf8), width);
}

} // namespace

QList<ListPrintItem> ListPrintBoards::items() const
{
    return {{freqLabel, freqWeight}, {timeLabel, timeWeight},
            {rangeLabel, range},     {maxLabel, maxLevel + QStringLiteral(" - ") + maxTime},
            {selLabel, sel},         {leqLabel, leq}};
}

int recordsPerPrintLine(const QString& answer)
{
    const double value = numericValue(answer);
    if (!(value >= MinRecordsPerLine && value <= MaxRecordsPerLine))
        return 0;
    return int(std::trunc(value));
}

ListPrintLayout::ListPrintLayout(const QList<ListPrintItem>& header, const RecordStore& records,
                                 int perLine)
    : m_records(records), m_perLine(std::clamp(perLine, MinRecordsPerLine, MaxRecordsPerLine))
{
    for (int i = 0; i < LeadBlankLines; ++i)
        m_lead.append(QStringLiteral(" "));
    for (const ListPrintItem& item : header)
        m_lead.append(QStringLiteral("-         ") + item.label + QStringLiteral(" : ") +
                      item.value);
    m_lead.append(QStringLiteral("-"));
    m_lead.append(column(QStringView(u"No.s"), NumberWidth) +
                  column(QStringView(u"Date Time"), TimeWidth) + QStringLiteral("     (dB)"));
    m_lead.append(QString(9, QLatin1Char(' ')) + QString(71, QLatin1Char('-')));
}

qsizetype ListPrintLayout::recordLineCount() const
{
    return (m_records.count() + m_perLine - 1) / m_perLine;
}

QString ListPrintLayout::recordLine(qsizetype line) const
{
    const qsizetype first = line * m_perLine;
    const qsizetype last = std::min(first + m_perLine, m_records.count());
    if (first < 0 || first >= last)
        return {};
    QString text = column(m_records.field(first, NumberColumn), NumberWidth) +
                   column(m_records.field(first, TimeColumn), TimeWidth);
    for (qsizetype i = first; i < last; ++i)
        text += column(m_records.field(i, LevelColumn), LevelWidth);
    return text;
}

QStringList ListPrintLayout::lines() const
{
    QStringList all = m_lead;
    const qsizetype count = recordLineCount();
    all.reserve(all.size() + count);
    for (qsizetype line = 0; line < count; ++line)
        all.append(recordLine(line));
    return all;
}

} // namespace kirv
