#pragma once

#include "kirv/panel/ui/panel.h"

#include <memory>

namespace kirv {

// The main window's live poll and sampling tick off for the length of a command (an exchange
// with the meter, reading or printing a file, building a plot or a table), and on again when it
// ends, whatever way it ends. A command that may run inside another exchange or during the link
// recovery (a meter setting key) gives them back as they were instead, so that it does not
// restart what the outer one stopped. When the panel has gone or the program quits, nothing is
// restarted. Without a panel it does nothing.
class PanelTimersOff
{
public:
    enum class Afterwards { On, AsBefore };

    explicit PanelTimersOff(Panel* panel, bool now = true, Afterwards afterwards = Afterwards::On);
    ~PanelTimersOff() { restore(); }
    PanelTimersOff(const PanelTimersOff&) = delete;
    PanelTimersOff& operator=(const PanelTimersOff&) = delete;

    // Switches them off (again: a dialog or a nested command may have run them meanwhile).
    void stop();
    // Gives them back now rather than at the end.
    void restore();

private:
    bool panelAlive() const { return m_panel && m_alive && *m_alive; }

    Panel* m_panel;
    std::shared_ptr<const bool> m_alive;
    Afterwards m_afterwards;
    bool m_held = false;
    bool m_poll = false;
    bool m_tick = false;
};

} // namespace kirv
