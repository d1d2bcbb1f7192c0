#include "kirv/app/ui/report_commands.h"

#include "kirv/panel/ui/panel_parts.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/widgets/record_list_view.h"
#include "kirv/stats/ui/report_actions.h"

#include <QAction>
#include <QTableView>

namespace kirv {

void attachReportCommands(PanelParts& parts)
{
    PanelRecording* recording = parts.recording;
    Panel* panel = parts.panel;
    auto* exportCsv = new QAction(QStringLiteral("Export CSV"), recording->GridN);
    exportCsv->setObjectName(QStringLiteral("ExportCsv"));
    QObject::connect(exportCsv, &QAction::triggered, recording, [recording, panel] {
        exportRecordsCsvAsked(panel, recording->liveList().store());
    });
    auto* report = new QAction(QStringLiteral("Report"), recording->GridN);
    report->setObjectName(QStringLiteral("Report"));
    QObject::connect(report, &QAction::triggered, recording, [recording, panel] {
        // The live list reports as a real-time file of the running sampling interval.
        const QStringList header{QString::fromLatin1(RealTimeMark),
                                 QString::number(recording->sampler().state().SampleInterval)};
        printReportAsked(panel, QStringLiteral("Live list"), DataFileKind::RealTime, header,
                         recording->liveList().store());
    });
    for (int i = 0; i < RecordListView::ColumnCount; ++i) {
        QTableView* grid = recording->GridN->gridN(i);
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
        grid->addAction(exportCsv);
        grid->addAction(report);
    }
}

} // namespace kirv
