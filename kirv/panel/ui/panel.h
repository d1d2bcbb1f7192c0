#pragma once

#include "kirv/meter/live_reading.h"
#include "kirv/meter/port_table.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>

class QAction;
class QButtonGroup;
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
class PanelRecording;
class SerialLink;
class Shape;

// The main window: the meter's front panel, live. Its controls carry the names the rest of the
// program (and the tests) know them by. The live poll, the link recovery and the remote keys
// are in kirv/meter/ui/panel_live.cpp; the sampling tick and recording in kirv/records/ui/.
class Panel : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Panel   V7.0";
    static constexpr const char* kCaptionWithDate = "Panel   V7.0   20090507";
    static constexpr int kToolbarButtons = 11;

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
    PanelRecording& recording() { return *m_recording; }

    // Toolbar button by its 1-based index, as the toolbar's keys are numbered.
    QAction* toolbarButton(int index) const;
    QToolButton* toolbarWidget(int index) const;
    void setToolbarTip(int index, const QString& tip);

    // Switches the live poll and the sampling tick off and on around another exchange.
    void stopTimers();
    void startTimers();

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

    std::array<QRadioButton*, 3> SSOpt{};
    Graph* CWG = nullptr;
    Graph* CWLeq = nullptr;
    Graph* CWSEL = nullptr;
    Graph* CWInt = nullptr;
    Graph* CWDec = nullptr;

    // --- handlers --------------------------------------------------------------------------
    void Timer1_Timer();
    void RecoverLink();
    void LblCOM_Click();
    void SSOpt_Click(int index);
    void Toolbar1_ButtonClick(QAction* button);
    void keyClick(int code); // the ten key buttons

signals:
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
    void applyReading();

    SerialLink& m_link;
    PortChoice m_port;
    const PortTable& m_ports;
    LiveReading m_reading;
    bool m_tickBusy = false;
    bool m_keyBusy = false;
    bool m_linkLost = false;
    std::unique_ptr<PanelRecording> m_recording;
};

} // namespace kirv
