#pragma once

#include "kirv/meter/live_poll.h"

#include <QObject>

namespace kirv {

class Panel;

// The live side of the main window: the 200 ms poll that mirrors the meter on the panel's
// controls, the link recovery ("No COM" and back), and the ten remote keys.
class PanelLive : public QObject
{
    Q_OBJECT
public:
    explicit PanelLive(Panel& panel);

    void Timer1_Timer();
    // The panel's side of the link recovery: "No COM", the value emptied, the recording told.
    void RecoverLink(const QString& reason = {});
    void keyClick(int code);

    // A key press waits for the meter's attention (about a second at most). Presses nest when
    // a second comes while the first waits; the guard lasts until the last of them returns.
    bool keyBusy() const { return m_keyPresses > 0; }

private:
    void applyReading();
    void linkBack();

    Panel& m_panel;
    LivePoll m_poll;
    int m_keyPresses = 0;
};

} // namespace kirv
