#pragma once

namespace kirv {

struct PanelParts;

// Registers the logger memory commands of the panel's toolbar: "Memory" (the download; nothing
// while the logger window is open) and "Erase".
void attachLoggerCommands(PanelParts& parts);

} // namespace kirv
