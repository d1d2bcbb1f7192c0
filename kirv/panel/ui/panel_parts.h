#pragma once

namespace kirv {

class FileViews;
class Panel;
class PanelLive;
class PanelRecording;
class PanelToolbar;

// The behaviour that each subsystem attaches to the main window. The parts are children of the
// panel and end with it; kirv/app/ui/panel_assembly.h builds them.
struct PanelParts
{
    Panel* panel = nullptr;
    PanelLive* live = nullptr;
    PanelRecording* recording = nullptr;
    PanelToolbar* toolbar = nullptr;
    FileViews* files = nullptr; // "Open" and the file views it fills
};

} // namespace kirv
