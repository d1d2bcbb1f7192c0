#include "kirv/panel/ui/panel_timers.h"

#include "kirv/meter/delay.h"

#include <QTimer>

namespace kirv {

PanelTimersOff::PanelTimersOff(Panel* panel, bool now, Afterwards afterwards)
    : m_panel(panel), m_alive(panel ? panel->alive() : nullptr), m_afterwards(afterwards)
{
    if (now)
        stop();
}

void PanelTimersOff::stop()
{
    if (!panelAlive())
        return;
    if (!m_held) {
        m_held = true;
        m_poll = m_panel->Timer1->isActive();
        m_tick = m_panel->Timer2->isActive();
    }
    m_panel->stopTimers();
}

void PanelTimersOff::restore()
{
    if (!m_held || !panelAlive() || waitsCancelled())
        return;
    m_held = false;
    const bool asBefore = m_afterwards == Afterwards::AsBefore;
    m_panel->startTimers(m_poll || !asBefore, m_tick || !asBefore);
}

} // namespace kirv
