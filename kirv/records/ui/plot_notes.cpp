#include "kirv/records/ui/plot_notes.h"

#include "kirv/base/civil_time.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_overlays.h"
#include "kirv/records/recordstore.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/graph.h"

#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QMenu>
#include <QPushButton>

#include <qcustomplot.h>

#include <cmath>

namespace kirv {

namespace {

constexpr const char* NotesName = "PlotNotes";

std::optional<qint64> timeOf(const RecordStore& records, qsizetype index)
{
    return civilSeconds(records.field(index, TimeColumn));
}

} // namespace

PlotNotes* PlotNotes::attach(Plot& plot, const QString& dataPath, const RecordStore& records)
{
    delete plot.findChild<PlotNotes*>(QString::fromLatin1(NotesName), Qt::FindDirectChildrenOnly);
    return new PlotNotes(plot, dataPath, records);
}

qsizetype PlotNotes::recordAt(const RecordStore& records, qint64 time)
{
    qsizetype low = 0, high = records.count();
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (timeOf(records, mid).value_or(time) < time)
            low = mid + 1;
        else
            high = mid;
    }
    return low < records.count() ? low : -1;
}

PlotNotes::PlotNotes(Plot& plot, const QString& dataPath, const RecordStore& records)
    : QObject(&plot), m_plot(&plot), m_dataPath(dataPath), m_records(records)
{
    setObjectName(QString::fromLatin1(NotesName));
    CmdAddNote = new QPushButton(QStringLiteral("Add Note..."));
    CmdAddNote->setObjectName(QStringLiteral("CmdAddNote"));
    CmdAddNote->setToolTip(QStringLiteral("Pins a note to the time of the first record shown (Ctrl+N); a right "
                                          "click on the graph pins one where it is"));
    CmdAddNote->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_button = CmdAddNote;
    if (QLayout* row = plot.Overlays->panel()->layout())
        row->addWidget(CmdAddNote);
    connect(CmdAddNote, &QPushButton::clicked, this, [this] {
        if (!m_plot)
            return;
        const double first = m_plot->CWGraph1->plot()->xAxis->range().lower;
        addNoteAt(std::clamp<qsizetype>(qsizetype(std::ceil(first)) - 1, 0, m_records.count() - 1));
    });

    QCustomPlot* graph = plot.CWGraph1->plot();
    graph->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(graph, &QWidget::customContextMenuRequested, this, [this, graph](const QPoint& at) {
        const qsizetype index = qsizetype(std::lround(graph->xAxis->pixelToCoord(at.x()))) - 1;
        if (index < 0 || index >= m_records.count())
            return;
        QMenu menu;
        const QString time = QString::fromUtf8(m_records.field(index, TimeColumn));
        QAction* add = menu.addAction(QStringLiteral("Add Note at %1...").arg(time));
        if (menu.exec(graph->mapToGlobal(at)) == add)
            addNoteAt(index);
    });
    draw();
}

PlotNotes::~PlotNotes()
{
    delete m_button.data(); // the row it sits in belongs to the plot
}

void PlotNotes::addNoteAt(qsizetype index)
{
    const std::optional<qint64> time = index >= 0 && index < m_records.count() ? timeOf(m_records, index) : std::nullopt;
    if (!time || !m_plot)
        return;
    const QString text = Dialogs::instance()
                             .input(m_plot, QStringLiteral("Note at %1:").arg(civilTimeText(*time)),
                                    QStringLiteral("Add Note"), QString())
                             .trimmed();
    if (text.isEmpty())
        return;
    SessionDetailsLoad load = loadSessionDetails(m_dataPath);
    if (!load.error.isEmpty()) {
        showCritical(m_plot, load.error, QStringLiteral("The note was not kept."));
        return;
    }
    auto& notes = load.details.timeline;
    notes.insert(std::upper_bound(notes.begin(), notes.end(), *time,
                                  [](qint64 t, const TimelineNote& n) { return t < n.time; }),
                 TimelineNote{*time, text});
    if (const FileStatus saved = saveSessionDetails(m_dataPath, load.details); !saved.ok()) {
        showCritical(m_plot, saved.error, QStringLiteral("The note was not kept."));
        return;
    }
    draw();
}

void PlotNotes::draw()
{
    if (!m_plot)
        return;
    for (const QString& name : std::as_const(m_labels))
        m_plot->CWGraph1->removeLabel(name);
    m_labels.clear();
    const SessionDetailsLoad load = loadSessionDetails(m_dataPath);
    for (const TimelineNote& note : load.details.timeline) {
        const qsizetype index = recordAt(m_records, note.time);
        if (index < 0)
            continue;
        const QString name = QStringLiteral("note %1").arg(m_labels.size() + 1);
        m_plot->CWGraph1->addLabel(name, note.text, double(index + 1), NoteLevel);
        m_labels << name;
    }
}

} // namespace kirv
