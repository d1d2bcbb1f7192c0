#include "kirv/logger/ui/logger_commands.h"

#include "kirv/panel/ui/panel_parts.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/logger_windows.h"
#include "kirv/panel/ui/panel_toolbar.h"

#include <QString>

namespace kirv {

void attachLoggerCommands(PanelParts& parts)
{
    Panel* panel = parts.panel;
    parts.toolbar->setCommand(QStringLiteral("Memory"), [panel] {
        if (!loggerState().LoggerOpen)
            runLoggerDownload(*panel);
    });
    parts.toolbar->setCommand(QStringLiteral("Erase"), [panel] { eraseLoggerMemory(*panel); });
}

} // namespace kirv
