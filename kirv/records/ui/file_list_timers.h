#pragma once

#include "kirv/panel/ui/panel.h"

#include <QPointer>

namespace kirv {

/// The main window's timers off for the length of a file command (reading, printing) and on
/// again when it ends, whatever way it ends. Without a main window it does nothing.
class PanelTimersOff
{
public:
    explicit PanelTimersOff(Panel* panel, bool now = true) : m_panel(panel)
    {
        if (now)
            stop();
    }
    ~PanelTimersOff()
    {
        if (m_panel && m_stopped)
            m_panel->startTimers();
    }
    PanelTimersOff(const PanelTimersOff&) = delete;
    PanelTimersOff& operator=(const PanelTimersOff&) = delete;

    /// Switches them off (again: a dialog or nested command may have switched them on).
    void stop()
    {
        if (m_panel) {
            m_panel->stopTimers();
            m_stopped = true;
        }
    }

private:
    QPointer<Panel> m_panel;
    bool m_stopped = false;
};

} // namespace kirv
