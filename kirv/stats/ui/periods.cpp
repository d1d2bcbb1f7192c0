#include "kirv/stats/ui/periods.h"

#include "kirv/output/analysis_format.h"
#include "kirv/base/civil_time.h"
#include "kirv/stats/ui/file_analysis.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableWidget>

namespace kirv {

Periods::Periods(FileAnalysis& analysis, const QString& fileTitle, QWidget* parent)
    : AnalysisTable(QString::fromLatin1(Caption), fileTitle, parent), m_analysis(&analysis)
{
    setObjectName(QStringLiteral("Periods"));
    auto* label = new QLabel(QStringLiteral("Period:"), this);
    CboLength = new QComboBox(this);
    CboLength->setObjectName(QStringLiteral("CboLength"));
    for (const int m : PeriodTableMinutes)
        CboLength->addItem(m == DayMinutes ? QStringLiteral("Day") : QStringLiteral("%1 min").arg(m), m);
    CboLength->setCurrentIndex(CboLength->findData(DefaultMinutes));
    CboLength->setToolTip(QStringLiteral("Length of the clock-aligned periods"));
    CboLength->setAccessibleDescription(CboLength->toolTip());
    label->setBuddy(CboLength);
    choices()->addWidget(label);
    choices()->addWidget(CboLength);
    choices()->addStretch(1);
    connect(CboLength, &QComboBox::currentIndexChanged, this, &Periods::refresh);
    connect(&analysis, &FileAnalysis::masksChanged, this, &Periods::refresh);
    refresh();
    resize(760, 460);
}

int Periods::minutes() const
{
    return CboLength->currentData().toInt();
}

void Periods::refresh()
{
    if (!m_analysis)
        return;
    const int length = minutes();
    m_rows = periodTable(m_analysis->series(), length, m_analysis->interval());
    QList<QStringList> cells;
    for (const PeriodRow& row : m_rows)
        cells << periodCells(row, length);
    showTable(periodColumnTitles(length), cells);
    const FigureSummary masked = figureSummaryOf(m_analysis->series(), m_analysis->interval());
    std::optional<FigureSummary> whole;
    if (m_analysis->masked())
        whole = figureSummaryOf(m_analysis->whole(), m_analysis->interval());
    LblSummary->setText(figureSummaryText(masked, whole));
    emit m_analysis->tablesChanged();
}

QByteArray Periods::csv() const
{
    QList<QStringList> values;
    for (const PeriodRow& row : m_rows)
        values << periodValues(row, minutes());
    return csvRows(periodKeys(minutes()), values);
}

} // namespace kirv
