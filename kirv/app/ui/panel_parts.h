#pragma once

namespace kirv {

class Panel;
class PanelLive;
class PanelRecording;
class PanelToolbar;

// The behaviour that each subsystem attaches to the main window. The parts are children of the
// panel and end with it.
struct PanelParts
{
    Panel* panel = nullptr;
    PanelLive* live = nullptr;
    PanelRecording* recording = nullptr;
    PanelToolbar* toolbar = nullptr;
};

// Builds every part on `panel` (before its load) and lets each subsystem register its toolbar
// commands and graph clicks.
PanelParts attachPanelParts(Panel& panel);

} // namespace kirv
