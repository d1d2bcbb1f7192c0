#include "kirv/stats/ui/events.h"

#include "kirv/base/decibels.h"
#include "kirv/output/analysis_format.h"
#include "kirv/base/civil_time.h"
#include "kirv/stats/ui/file_analysis.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableWidget>

namespace kirv {

Events::Events(FileAnalysis& analysis, const QString& fileTitle, QWidget* parent)
    : AnalysisTable(QString::fromLatin1(Caption), fileTitle, parent), m_analysis(&analysis)
{
    setObjectName(QStringLiteral("Events"));
    const EventRule defaults;
    struct Spec
    {
        QDoubleSpinBox** box;
        const char* name;
        const char* label;
        const char* tip;
        double value, max;
        int decimals;
        const char* suffix;
    };
    const Spec specs[] = {
        {&SpnLimit, "SpnLimit", "Limit:", "An event starts when the level reaches this limit",
         defaults.limit, 145.0, 1, " dB"},
        {&SpnDuration, "SpnDuration", "Minimum duration:", "Shorter events are not listed",
         defaults.minSeconds, 86400.0, 0, " s"},
        {&SpnHysteresis, "SpnHysteresis", "Hysteresis:",
         "An event ends when the level stays below the limit less this much",
         defaults.hysteresis, 40.0, 1, " dB"}};
    for (const Spec& s : specs) {
        auto* label = new QLabel(QString::fromLatin1(s.label), this);
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QString::fromLatin1(s.name));
        box->setRange(0.0, s.max);
        box->setDecimals(s.decimals);
        box->setValue(s.value);
        box->setSuffix(QString::fromLatin1(s.suffix));
        box->setToolTip(QString::fromLatin1(s.tip));
        box->setAccessibleDescription(box->toolTip());
        label->setBuddy(box);
        choices()->addWidget(label);
        choices()->addWidget(box);
        choices()->addSpacing(8);
        *s.box = box;
        connect(box, &QDoubleSpinBox::valueChanged, this, &Events::refresh);
    }
    choices()->addStretch(1);
    connect(GridTable, &QTableWidget::cellClicked, this, [this](int row, int) { GridTable_Click(row); });
    connect(&analysis, &FileAnalysis::masksChanged, this, &Events::refresh);
    refresh();
    resize(820, 420);
}

EventRule Events::rule() const
{
    return {SpnLimit->value(), SpnDuration->value(), SpnHysteresis->value()};
}

void Events::refresh()
{
    if (!m_analysis)
        return;
    m_events = findEvents(m_analysis->series(), rule(), m_analysis->interval());
    QList<QStringList> cells;
    double seconds = 0.0;
    for (const LevelEvent& e : m_events) {
        cells << eventCells(e);
        seconds += e.seconds;
    }
    showTable(eventColumnTitles(), cells);
    LblSummary->setText(m_events.size() == 1
                            ? QStringLiteral("1 event, %1 s").arg(seconds)
                            : QStringLiteral("%1 events, %2 s in all").arg(m_events.size()).arg(seconds));
    emit m_analysis->tablesChanged();
}

void Events::GridTable_Click(int row)
{
    if (row >= 0 && row < int(m_events.size()))
        emit eventChosen(m_events[size_t(row)]);
}

QByteArray Events::csv() const
{
    QList<QStringList> values;
    for (const LevelEvent& e : m_events)
        values << eventValues(e);
    return csvRows(eventKeys(), values);
}

} // namespace kirv
