#pragma once

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
    void RecoverLink();
    void keyClick(int code);

    bool keyBusy() const { return m_keyBusy; }

private:
    void applyReading();

    Panel& m_panel;
    bool m_tickBusy = false;
    bool m_keyBusy = false;
};

} // namespace kirv
