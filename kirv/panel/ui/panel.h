#pragma once

#include "kirv/meter/live_reading.h"
#include "kirv/meter/port_table.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

class QAction;
class QButtonGroup;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace kirv {

class Board;
class ClickLabel;
class Graph;
class LcdDisplay;
class SerialLink;
class Shape;

// The main window: the meter's front panel, its controls and its load and unload. It knows none
// of the behaviour behind them: the live poll and keys (PanelLive), the recording (PanelRecording)
// and the toolbar commands (PanelToolbar) attach themselves to its controls, timers and signals,
// and the application assembles them (attachPanelParts).
class Panel : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char* PanelCaption = "Panel   V7.0";
    static constexpr const char* CaptionWithDate = "Panel   V7.0   20090507";
    static constexpr int ToolbarButtons = 11;

    Panel(SerialLink& link, PortChoice port, const PortTable& ports, QWidget* parent = nullptr);
    ~Panel() override;

    // Opens the link at the meter's settings and starts the timers. False when the port could
    // not be opened; `failureDetail` then says why.
    bool load(QString* failureDetail);

    SerialLink& link() { return m_link; }
    const LiveReading& reading() const { return m_reading; }
    LiveReading& reading() { return m_reading; }
    const PortChoice& port() const { return m_port; }
    bool linkLost() const { return m_linkLost; }
    // The live part says when the link is lost and back; linkLostChanged tells the others.
    // `goneDevice` names a device that went away (empty for a silent line).
    void setLinkLost(bool lost, const QString& goneDevice = {});

    // Where the recording's controls go: the list area beside the graphs and a row of the
    // read-out grid.
    QWidget* listHost() const { return m_listHost; }
    QGridLayout* readoutGrid() const { return m_readoutGrid; }
    static constexpr int RecordingReadoutRow = 3;

    // Toolbar button by its 1-based index, as the toolbar's keys are numbered.
    QAction* toolbarButton(int index) const;
    QToolButton* toolbarWidget(int index) const;
    void setToolbarTip(int index, const QString& tip);

    // Switches the live poll and the sampling tick off and on around another exchange.
    // True while the panel lives; false from the start of its destruction. Guards that may end
    // after the panel (a window held by a command) check it instead of touching a dying panel.
    std::shared_ptr<const bool> alive() const { return m_alive; }
    // Once the panel is being destroyed they do nothing: its timers may already be gone.
    void stopTimers();
    void startTimers(bool poll = true, bool tick = true);

    // --- controls --------------------------------------------------------------------------
    QToolBar* Toolbar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    QLabel* LblValue = nullptr;
    LcdDisplay* ShownLCD = nullptr;
    QLabel* LblBarMax = nullptr;
    QLabel* LblBarMin = nullptr;
    QProgressBar* SoundBar = nullptr;
    Board* BoardLevel = nullptr;
    Board* BoardSFI = nullptr;
    Board* BoardCA = nullptr;
    QLabel* LblCA = nullptr;
    QLabel* LblFast = nullptr;
    QLabel* LblSlow = nullptr;
    QLabel* LblIMP = nullptr;
    QLabel* LblOver = nullptr;
    QLabel* LblUnder = nullptr;
    Shape* LblRun = nullptr;
    Shape* LblPause = nullptr;
    Shape* LblStop = nullptr;
    ClickLabel* LblCOM = nullptr;
    QLabel* LblLinkLost = nullptr; // since when the link is lost; hidden while it is there

    QLabel* LblFull = nullptr;
    QLabel* LblM = nullptr;
    QLabel* LblR = nullptr;
    QLabel* LblMax = nullptr;
    QLabel* LblL = nullptr;
    QLabel* LblA = nullptr;
    QLabel* LblC = nullptr;
    QLabel* LbldB = nullptr;
    std::array<QLabel*, 8> L{}; // bar scale marks "0".."7"
    QLabel* Label1 = nullptr;
    QLabel* LeqLabel = nullptr;
    QLabel* SELLabel = nullptr;
    QLabel* LblL99 = nullptr;
    QLabel* LblL00 = nullptr;

    Board* SSLeq = nullptr;
    Board* BoardLeq = nullptr;
    Board* SSSEL = nullptr;
    Board* BoardSEL = nullptr;
    Board* SSMax = nullptr;
    Board* BoardMaxdB = nullptr;
    Board* BoardMaxTime = nullptr;

    QPushButton* BtnCA = nullptr;
    QPushButton* BtnFastSlow = nullptr;
    QPushButton* BtnLeq = nullptr;
    QPushButton* BtnMax = nullptr;
    QPushButton* BtnPlayPause = nullptr;
    QPushButton* BtnRecord = nullptr;
    QPushButton* BtnDate = nullptr;
    QPushButton* BtnInteg = nullptr;
    QPushButton* BtnUp = nullptr;
    QPushButton* BtnDown = nullptr;
    // Caption of the key button with the meter's key `code` ("Down" for 10).
    QString keyCaption(int code) const;

    std::array<QRadioButton*, 3> SSOpt{};
    Graph* CWG = nullptr;
    Graph* CWLeq = nullptr;
    Graph* CWSEL = nullptr;
    Graph* CWInt = nullptr;
    Graph* CWDec = nullptr;

    // --- handlers --------------------------------------------------------------------------
    void LblCOM_Click();
    void SSOpt_Click(int index);

signals:
    void keyPressed(int code); // one of the ten key buttons, with the meter's key code
    void loading();            // the port is open; the timers start right after
    void unloading();          // the panel closes; the timers are already off
    void linkLostChanged(bool lost);
    void tickApplied(); // a live frame reached the controls

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    QWidget* buildLcd();
    QWidget* buildReadouts();
    QWidget* buildKeys();
    QWidget* buildGraphs();

    SerialLink& m_link;
    PortChoice m_port;
    const PortTable& m_ports;
    LiveReading m_reading;
    bool m_linkLost = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QWidget* m_lcdFace = nullptr;
    QWidget* m_listHost = nullptr;
    QGridLayout* m_readoutGrid = nullptr;
};

} // namespace kirv
