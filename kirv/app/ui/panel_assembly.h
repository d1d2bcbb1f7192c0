#pragma once

#include "kirv/panel/ui/panel_parts.h"

namespace kirv {

// Builds every part on `panel` (before its load) and lets each subsystem register its toolbar
// commands and graph clicks.
PanelParts attachPanelParts(Panel& panel);

} // namespace kirv
