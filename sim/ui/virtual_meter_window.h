#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace kirv::sim {

class VirtualMeter;

// "Virtual Meter": the controls of an in-process virtual meter, a small tool window that sits
// beside the panel. It follows the meter when keys from the line change its settings.
class VirtualMeterWindow : public QWidget
{
    Q_OBJECT
public:
    explicit VirtualMeterWindow(VirtualMeter* meter, QWidget* parent = nullptr);

    QComboBox* modeBox() const { return m_mode; }
    QComboBox* patternBox() const { return m_pattern; }
    QDoubleSpinBox* levelBox() const { return m_level; }
    QComboBox* rangeBox() const { return m_range; }
    QComboBox* freqWeightingBox() const { return m_freq; }
    QComboBox* timeWeightingBox() const { return m_time; }
    QComboBox* stateBox() const { return m_state; }
    QPushButton* cableButton() const { return m_cable; }
    QPushButton* deviceButton() const { return m_presence; }
    QCheckBox* noiseBox() const { return m_noise; }
    QLabel* intervalLabel() const { return m_interval; }
    QLabel* clockLabel() const { return m_clock; }
    QComboBox* replyFaultBox() const { return m_replyFault; }

    // Shows the meter's settings in the controls.
    void refresh();

private:
    void showLiveLevel();

    QPointer<VirtualMeter> m_meter;
    QLabel* m_device = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_pattern = nullptr;
    QDoubleSpinBox* m_level = nullptr;
    QLabel* m_now = nullptr;
    QComboBox* m_range = nullptr;
    QComboBox* m_freq = nullptr;
    QComboBox* m_time = nullptr;
    QComboBox* m_state = nullptr;
    QCheckBox* m_over = nullptr;
    QCheckBox* m_under = nullptr;
    QCheckBox* m_marked = nullptr;
    QLabel* m_interval = nullptr; // the sampling interval "C" set
    QLabel* m_clock = nullptr;    // the meter clock, running from what "B" set
    QPushButton* m_cable = nullptr;
    QPushButton* m_presence = nullptr; // the device vanishes and comes back
    QCheckBox* m_noise = nullptr;
    QCheckBox* m_shortDump = nullptr;
    QLabel* m_memory = nullptr;
    QComboBox* m_replyFault = nullptr;
    QTimer m_liveTimer;
};

} // namespace kirv::sim
