#pragma once

#include <QString>
#include <QWidget>

#include <array>

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QVBoxLayout;

namespace kirv {

class Graph;

// What the two level-against-number windows, Plot and RealTimeGraph, share: the graph, the range
// editors, the pointer mode choice, the cursor read-out and the two command buttons. Each window
// adds its own texts, its cursor handling, its reset and its printing.
class TimeGraphWindow : public QWidget
{
    Q_OBJECT

public:
    // Mode texts of Combo1, in list order (the order of Graph::PointerMode).
    static const QStringList& modeNames();
    static constexpr int NormalMode = 0;
    static constexpr int CursorMode = 1;

    // --- controls (AxisMin/AxisMax: index 1 is x, 2 is y; 0 is unused) -------------------
    Graph* CWGraph1 = nullptr;
    QGroupBox* FrmGraphic = nullptr;
    QGroupBox* SSFrame4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LblUnit = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    std::array<QDoubleSpinBox*, 3> AxisMin{};
    std::array<QDoubleSpinBox*, 3> AxisMax{};
    QGroupBox* SSFrame3 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QGroupBox* SSFrame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* XPosition = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* YPosition = nullptr;
    QPushButton* CmdReset = nullptr;
    QPushButton* CmdPrint = nullptr;

    // --- handlers ------------------------------------------------------------------------
    void Combo1_Click();
    void AxisMin_ValueChanged(int index);
    void AxisMax_ValueChanged(int index);
    void CWGraph1_CursorChange(int index, double x, double y);
    virtual void CmdReset_Click() = 0;
    virtual void CmdPrint_Click() = 0;

protected:
    // `cursorDescription`: the text of "Cursor Coordinates", which names the y value.
    TimeGraphWindow(const QString& caption, const QString& yReadoutTitle,
                    const QString& cursorDescription, QWidget* parent);

    // The window's size on the screen (10650 x 8865 twips) and the graph's distance from its
    // edges (120 twips), in pixels.
    QSize designSize();
    int designMargin();

    // Where a window puts controls of its own between the graph and FrmGraphic.
    QVBoxLayout* contentLayout() const { return m_content; }

    // The cursor mode was chosen (true) or left (false).
    virtual void cursorModeChanged(bool on) = 0;
    // Range edits apply to the axes unless this says no (while the window is being filled).
    virtual bool rangeEditsApply() const { return true; }

    // Sets the four editors' values at once without applying each one to the axes.
    void setEditorsQuietly(double xMin, double xMax, double yMin, double yMax);
    void setRanges(double xMin, double xMax, double yMin, double yMax);
    void showCursorReadout(double x, double y);

    // The printed look: window in the system's window colour, a white graph, no FrmGraphic.
    void enterPrintLook();
    void leavePrintLook();
    // Prints the window's image `copies` times; false when the printer failed.
    bool printImage(QPrinter& printer, int copies);

private:
    void applyEditors();

    QVBoxLayout* m_content = nullptr;
    QString m_cursorDescription;
    QColor m_graphBackground;
};

} // namespace kirv
