#include "kirv/app/ui/panel_assembly.h"

#include "kirv/app/ui/histogram_commands.h"
#include "kirv/app/ui/time_graph_clicks.h"
#include "kirv/logger/ui/logger_commands.h"
#include "kirv/panel/ui/panel_toolbar.h"
#include "kirv/logger/ui/settings_commands.h"
#include "kirv/meter/ui/panel_live.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/app/ui/report_commands.h"

namespace kirv {

PanelParts attachPanelParts(Panel& panel)
{
    PanelParts parts;
    parts.panel = &panel;
    parts.live = new PanelLive(panel);
    parts.recording = new PanelRecording(panel);
    parts.toolbar = new PanelToolbar(panel);
    PanelRecording* recording = parts.recording;
    parts.toolbar->setBeforeEachCommand([recording] { recording->hideSavePanel(); });
    parts.toolbar->setCommand(QStringLiteral("Save"), [recording] { recording->saveButtonClicked(); });
    // Each subsystem's commands and graph clicks, one line each:
    attachSettingsCommands(parts);
    attachTimeGraphClicks(parts);
    attachFileCommands(parts);
    attachHistogramClicks(parts);
    attachLoggerCommands(parts);
    attachReportCommands(parts);
    return parts;
}

} // namespace kirv
