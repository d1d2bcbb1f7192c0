#include "kirv/app/ui/histogram_commands.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram_clicks.h"
#include "kirv/panel/ui/panel_parts.h"
#include "kirv/panel/ui/panel.h"
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
}

} // namespace kirv
