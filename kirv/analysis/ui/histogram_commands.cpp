#include "kirv/analysis/ui/histogram_commands.h"

#include "kirv/analysis/ui/graph.h"
#include "kirv/analysis/ui/histogram_clicks.h"
#include "kirv/analysis/ui/level_statistics_command.h"
#include "kirv/app/ui/panel_parts.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/records/ui/panel_recording.h"

namespace kirv {

void attachHistogramClicks(PanelParts& parts)
{
    PanelRecording* recording = parts.recording;
    for (const bool fine : {false, true}) {
        Graph* graph = fine ? parts.panel->CWDec : parts.panel->CWInt;
        QObject::connect(graph, &Graph::clicked, recording, [recording, fine] {
            openRealHistogram(recording->sampler().graphs(), fine);
        });
    }

    Panel* panel = parts.panel;
    if (auto* views = panel->findChild<FileViews*>()) {
        QObject::connect(views, &FileViews::viewOpened, views, [panel](FileList* view) {
            QObject::connect(view, &FileList::levelStatisticsRequested, view,
                             [panel, view](bool fine) {
                                 showLevelStatistics(view, view->records(), fine, panel);
                             });
        });
    }
}

} // namespace kirv
