#include "plot_commands.h"

#include "plot_record_list.h"
#include "time_graph_clicks.h"

#include "kirv/app/ui/panel_parts.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/open_command.h"


namespace kirv {

void attachPlotCommands(PanelParts& parts)
{
    attachTimeGraphClicks(parts);
    Panel* panel = parts.panel;
    auto* views = panel->findChild<FileViews*>();
    if (!views)
        return;
    QObject::connect(views, &FileViews::viewOpened, panel, [panel](FileList* view) {
        QObject::connect(view, &FileList::plotRequested, view,
                         [panel, view] { PlotRecordList(view->records(), panel); });
    });
}

} // namespace kirv
