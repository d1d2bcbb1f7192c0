#include "kirv/meter/port_table.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

namespace kirv {

namespace {

// ttyUSB before ttyACM before the rest; within a family by number, so ttyS2 < ttyS10.
std::tuple<int, QString, int> sortKey(const QString& device)
{
    static const QRegularExpression pattern(QStringLiteral("^(.*?)(\\d*)$"));
    const QString name = QFileInfo(device).fileName();
    const auto match = pattern.match(name);
    const QString stem = match.captured(1);
    const int number = match.captured(2).isEmpty() ? -1 : match.captured(2).toInt();
    int family = 2;
    if (stem == QLatin1String("ttyUSB"))
        family = 0;
    else if (stem == QLatin1String("ttyACM"))
        family = 1;
    return {family, stem, number};
}

} // namespace

PortTable::PortTable(QStringList givenDevices, QString virtualMeterDevice, QStringList systemDevices)
{
    m_devices = std::move(givenDevices);
    if (!virtualMeterDevice.isEmpty())
        m_devices << virtualMeterDevice;
    for (const QString& d : sorted(std::move(systemDevices))) {
        if (!m_devices.contains(d))
            m_devices << d;
    }
}

QStringList PortTable::sorted(QStringList devices)
{
    std::stable_sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
        return sortKey(a) < sortKey(b);
    });
    return devices;
}

QStringList PortTable::systemDevices()
{
    QStringList devices;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        devices << info.systemLocation();
    return sorted(devices);
}

QString PortTable::device(int portNumber) const
{
#ifdef Q_OS_WIN
    return portNumber >= 1 ? QStringLiteral("COM%1").arg(portNumber) : QString();
#else
    if (portNumber < 1 || portNumber > size())
        return {};
    return m_devices.at(portNumber - 1);
#endif
}

QString PortTable::describe(int portNumber) const
{
    const QString d = device(portNumber);
    return QStringLiteral("COM%1 = %2").arg(portNumber).arg(d.isEmpty() ? QStringLiteral("(none)") : d);
}

int portNumberFromText(const QString& text, int current)
{
    if (text == QLatin1String("Auto"))
        return 1;
    static const QRegularExpression com(QStringLiteral("^COM([1-8])$"));
    const auto match = com.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : current;
}

bool isDevicePath(const QString& text)
{
#ifdef Q_OS_WIN
    return text.startsWith(QLatin1String("\\\\.\\"));
#else
    return text.startsWith(QLatin1Char('/'));
#endif
}

QString deviceForChoice(const PortChoice& choice, const PortTable& table)
{
    return choice.device.isEmpty() ? table.device(choice.number) : choice.device;
}

QString labelForChoice(const PortChoice& choice)
{
    if (!choice.device.isEmpty())
        return QFileInfo(choice.device).fileName();
    return QStringLiteral("COM%1").arg(choice.number);
}

QString openFailureDetail(const PortChoice& choice, const QString& device, OpenFailure failure,
                          const QString& systemError)
{
    if (device.isEmpty()) {
        if (choice.number == 0)
            return QStringLiteral("No port was chosen: type COM1 to COM8, Auto, or a device path.");
        return QStringLiteral("COM%1 is not connected to any serial device on this computer.")
            .arg(choice.number);
    }
    switch (failure) {
    case OpenFailure::NoSuchDevice:
        return QStringLiteral("%1: no such device. Check that the meter's cable is plugged in.")
            .arg(device);
    case OpenFailure::PermissionDenied:
        return QStringLiteral("%1: permission denied. Join the dialout group "
                              "(sudo usermod -aG dialout $USER), then log in again.")
            .arg(device);
    case OpenFailure::Busy:
        return QStringLiteral("%1 is busy: another program is using it.").arg(device);
    case OpenFailure::NotSerialPort:
        return QStringLiteral("%1 is not a serial port. Choose the port of the meter's cable.")
            .arg(device);
    default:
        return QStringLiteral("%1: %2").arg(device, systemError);
    }
}

} // namespace kirv
