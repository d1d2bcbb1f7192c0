#pragma once

#include "kirv/meter/serial_link.h"

#include <QString>
#include <QStringList>

namespace kirv {

// Where the system's serial devices are looked for: the device nodes and their stable names
// (`dev`/serial/by-id) and the kernel's terminals (`sysTty`, one folder a terminal).
struct DeviceRoots
{
    QString dev = QStringLiteral("/dev");
    QString sysTty = QStringLiteral("/sys/class/tty");
};

// Port n of the list "COM1".."COM8" on this computer. On Windows it is "COMn" itself; elsewhere
// it is the n-th entry of the table: the devices given with --port (in order, as given), then the
// virtual meter, then the serial devices the system reports (USB adapters first: ttyUSB, ttyACM,
// then the others, each in numeric order). A device is listed once, whatever names it goes by.
class PortTable
{
public:
    PortTable() = default;
    PortTable(QStringList givenDevices, QString virtualMeterDevice, QStringList systemDevices);

    // The serial devices the system reports, in the table's order: terminals with a device
    // behind them (a UART slot without a UART is none), each by its stable name
    // (/dev/serial/by-id/...) where it has one, since that name survives a replug.
    static QStringList systemDevices(const DeviceRoots& roots = {});
    // Orders device paths as the table wants them; a link by the device it points at.
    static QStringList sorted(QStringList devices);

    int size() const { return int(m_devices.size()); }
    // The device for port number n (1-based); empty when the table has no such entry.
    QString device(int portNumber) const;
    // "COM1 = /dev/ttyUSB0", "COM3 = /dev/serial/by-id/usb-... (ttyUSB0)" for a link, or
    // "COM5 = (none)".
    QString describe(int portNumber) const;

private:
    QStringList m_devices;
};

// The port number chosen in the port window: "Auto" and "COM1".."COM8" map exactly (case
// matters); any other text leaves the number as it was.
int portNumberFromText(const QString& text, int current);

// A text typed into the port window that names a device directly ("/dev/ttyUSB0").
bool isDevicePath(const QString& text);

// What the port window chose: a port number, or a device typed as a path (number 0).
struct PortChoice
{
    int number = 0;
    QString device;
};

// The device to open for a choice, and the name the panel shows for it ("COM3", or the
// device's file name for a typed path).
QString deviceForChoice(const PortChoice& choice, const PortTable& table);
QString labelForChoice(const PortChoice& choice);

// The detail text of "No device found, try again!": why the port did not open.
QString openFailureDetail(const PortChoice& choice, const QString& device, OpenFailure failure,
                          const QString& systemError);

} // namespace kirv
