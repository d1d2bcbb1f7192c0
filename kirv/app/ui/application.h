#pragma once

#include "kirv/app/options.h"
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/port_table.h"
#include "kirv/meter/ui/port.h"
#include "kirv/panel/ui/panel.h"
#include "sim/ui/virtual_meter_window.h"

#include <QObject>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

namespace kirv {

namespace sim {
class VirtualMeter;
} // namespace sim

class SerialLink;

// Start-up and shut-down of the program: the port window, then the panel on the chosen port and
// the data files of the command line in their views; "No device found, try again!" and the end
// when the port does not open.
class Application : public QObject
{
    Q_OBJECT
public:
    explicit Application(Options options, QObject* parent = nullptr);
    ~Application() override;

    // Shows the port window (or takes --com at once). Call once the event loop runs.
    void start();

    Port* portWindow() const { return m_port; }
    Panel* panel() const { return m_panel; }
    const PanelParts& parts() const { return m_parts; }
    sim::VirtualMeter* virtualMeter() const { return m_meter.get(); }
    const PortTable& ports() const { return m_table; }

signals:
    // The program ends with this exit code (the event loop is told to exit as well).
    void finished(int exitCode);

private:
    void openPanel(const PortChoice& choice);
    void openFiles();
    void fail(const QString& detail);

    Options m_options;
    QTemporaryDir m_linkFolder; // the virtual meter's stable name lives here (before the meter goes)
    std::unique_ptr<sim::VirtualMeter> m_meter;
    PortTable m_table;
    std::unique_ptr<SerialLink> m_link;
    QPointer<Port> m_port;
    QPointer<Panel> m_panel;
    PanelParts m_parts;
    QPointer<sim::VirtualMeterWindow> m_meterWindow;
};

} // namespace kirv
