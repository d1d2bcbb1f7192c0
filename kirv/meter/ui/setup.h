#pragma once

#include <QDialog>

#include <functional>

class QGroupBox;
class QPushButton;
class QTimer;

namespace kirv {

class ClickLabel;
class SerialLink;

// "Setup": the meter's clock beside the PC's, and the button that sets the one from the other.
// Showing or setting the meter clock switches the main window's live poll and sampling tick
// off (they would take the answers); closing the window, however it is closed and whatever the
// meter does, switches them on again.
class Setup : public QDialog
{
    Q_OBJECT
public:
    // Switches the main window's two timers: false off, true on.
    using PanelTimers = std::function<void(bool on)>;

    static constexpr int TickMs = 350;
    // Clock reads per tick before the tick gives up and leaves the shown time as it was; the
    // next tick asks again.
    static constexpr int ClockAttempts = 5;
    static constexpr const char* MeterTimeCaption = "Meter Time";
    static constexpr const char* PCTimeCaption = "PC System Time";

    // `panel` places the window (centred on it, a little below its top) and parents it.
    Setup(SerialLink& link, PanelTimers panelTimers, QWidget* panel = nullptr);
    ~Setup() override;

    QGroupBox* FrameTime = nullptr;
    ClickLabel* LblMeterTime = nullptr;
    ClickLabel* LblPCTime = nullptr;
    QPushButton* CmdSetTime = nullptr;
    QPushButton* CmdExit = nullptr;
    QTimer* Timer1 = nullptr;

    bool ShowMeterTime = false;
    bool ShowPCTime = false;

    void Timer1_Timer();
    void LblMeterTime_Click();
    void LblPCTime_Click();
    void CmdSetTime_Click();
    void CmdExit_Click();

    // Closing by Exit, the close box or Escape: the window's timer stops, the panel's start.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void unload();

    SerialLink& m_link;
    PanelTimers m_panelTimers;
    bool m_unloaded = false;
    bool m_reading = false;
    bool m_placed = false;
};

} // namespace kirv
