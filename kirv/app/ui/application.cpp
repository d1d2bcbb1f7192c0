#include "kirv/app/ui/application.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/meter/serial_link.h"
#include "kirv/meter/ui/port.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/widgets/placement.h"
#include "sim/ui/virtual_meter_window.h"
#include "sim/virtual_meter.h"

#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QTimer>

namespace kirv {

Application::Application(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
    QString simulated;
    if (m_options.simulate) {
        m_meter = std::make_unique<sim::VirtualMeter>();
        m_meter->setPaced(!m_options.unpaced);
        QString error;
        m_meter->setPattern(sim::VirtualMeter::Pattern::Traffic);
        // The panel opens the meter by a stable name, so that the window's "Vanish device" and
        // "Return device" play an adapter pulled out and plugged in again.
        if (m_linkFolder.isValid())
            m_meter->setLinkPath(m_linkFolder.filePath(QStringLiteral("kirv-meter")));
        if (m_meter->start(&error))
            simulated = m_meter->portPath();
        else
            qWarning("virtual meter: %s", qPrintable(error));
    }
    m_table = PortTable(m_options.ports, simulated, PortTable::systemDevices());
}

Application::~Application()
{
    delete m_meterWindow;
    delete m_panel;
    delete m_port;
}

void Application::start()
{
    m_port = new Port(m_table);
    m_port->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_port, &Port::portChosen, this, &Application::openPanel);
    connect(m_port, &QDialog::rejected, this, [this] {
        // Closing the port window without OK closes the last window: the program ends.
        if (!m_panel)
            emit finished(0);
    });
    if (!m_options.com.isEmpty()) {
        m_port->TxtCOM->setCurrentText(m_options.com);
        m_port->CmdOK_Click();
        return;
    }
    m_port->show();
}

void Application::openPanel(const PortChoice& choice)
{
    m_link = std::make_unique<QtSerialLink>();
    m_panel = new Panel(*m_link, choice, m_table);
    m_parts = attachPanelParts(*m_panel);
    QString detail;
    if (!m_panel->load(&detail)) {
        fail(detail);
        return;
    }
    m_panel->show();
    if (m_meter) {
        m_meterWindow = new sim::VirtualMeterWindow(m_meter.get());
        const QRect frame = m_panel->frameGeometry();
        placeWindow(m_meterWindow, {frame.right() + 8, frame.top()});
        m_meterWindow->show();
    }
    openFiles();
}

void Application::openFiles()
{
    // The files of the command line take the road of "Open": a file that cannot be read says
    // why in its message box and the next one still opens. Closing the panel while a file is
    // read ends the program, and the rest are not opened.
    for (const QString& path : std::as_const(m_options.files)) {
        if (!m_panel)
            return;
        m_parts.files->openDataFile(path);
    }
}

void Application::fail(const QString& detail)
{
    showCritical(nullptr, QStringLiteral("No device found, try again!"), detail);
    delete m_panel;
    emit finished(1);
}

} // namespace kirv
