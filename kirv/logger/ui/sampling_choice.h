#pragma once

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace kirv {

// "Sampling Rate": which interval the toolbar's "Sampling" sets, the PC's own (real-time
// recording) or the meter's. Made anew each time, so it always opens on the meter's. Only OK
// gives an answer; its close box leaves the previous one standing.
class SamplingChoice : public QDialog
{
    Q_OBJECT
public:
    // `panel` places the window (a little right of and below its top-left corner).
    explicit SamplingChoice(QWidget* panel = nullptr);

    QRadioButton* OptMeter = nullptr;
    QRadioButton* OptPC = nullptr;
    QPushButton* CmdOK = nullptr;

    void CmdOK_Click();

signals:
    // OK was pressed: true for "PC Sampling Rate".
    void chosen(bool pcSampling);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_placed = false;
};

} // namespace kirv
