#include "kirv/meter/port_table.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace kirv {

namespace {

// The file a path names once its links are followed; the path itself where it names nothing.
QString sameDeviceKey(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : target;
}

// ttyUSB before ttyACM before the rest; within a family by number, so ttyS2 < ttyS10. A link
// sorts as the device it points at.
std::tuple<int, QString, int> sortKey(const QString& device)
{
    static const QRegularExpression pattern(QStringLiteral("^(.*?)(\\d*)$"));
    const QString name = QFileInfo(sameDeviceKey(device)).fileName();
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

// The device nodes of the kernel's terminals that have a device behind them: no virtual
// console, no pseudo-terminal, and no UART slot the kernel found empty (its port type 0).
QStringList kernelDevices(const DeviceRoots& roots)
{
    const QDir terminals(roots.sysTty);
    if (!terminals.exists()) { // no sysfs: the serial port library knows the system's ways
        QStringList devices;
        const auto ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo& info : ports)
            devices << info.systemLocation();
        return devices;
    }
    QStringList devices;
    const QStringList names = terminals.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString entry = terminals.filePath(name);
        if (!QFileInfo::exists(entry + QStringLiteral("/device")))
            continue;
        QFile type(entry + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0")
            continue;
        const QString node = roots.dev + QLatin1Char('/') + name;
        if (QFileInfo::exists(node))
            devices << node;
    }
    return devices;
}

// The stable names under dev/serial/by-id, by the device each points at (the first by name
// where two point at one device); a link that points at nothing is left out.
QHash<QString, QString> stableNames(const QString& dev)
{
    QHash<QString, QString> names;
    const QDir byId(dev + QStringLiteral("/serial/by-id"));
    const QFileInfoList links =
        byId.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        if (link.isSymLink() && !target.isEmpty() && !names.contains(target))
            names.insert(target, link.filePath());
    }
    return names;
}

} // namespace

PortTable::PortTable(QStringList givenDevices, QString virtualMeterDevice, QStringList systemDevices)
{
    m_devices = std::move(givenDevices);
    if (!virtualMeterDevice.isEmpty())
        m_devices << virtualMeterDevice;
    QStringList listed;
    for (const QString& d : std::as_const(m_devices))
        listed << sameDeviceKey(d);
    for (const QString& d : sorted(std::move(systemDevices))) {
        const QString key = sameDeviceKey(d);
        if (!listed.contains(key)) {
            m_devices << d;
            listed << key;
        }
    }
}

QStringList PortTable::sorted(QStringList devices)
{
    std::vector<std::pair<std::tuple<int, QString, int>, QString>> keyed;
    keyed.reserve(size_t(devices.size()));
    for (QString& d : devices)
        keyed.emplace_back(sortKey(d), std::move(d));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList ordered;
    for (auto& [key, d] : keyed)
        ordered << std::move(d);
    return ordered;
}

QStringList PortTable::systemDevices(const DeviceRoots& roots)
{
    const QHash<QString, QString> stable = stableNames(roots.dev);
    QStringList devices = sorted(kernelDevices(roots));
    for (QString& d : devices)
        d = stable.value(sameDeviceKey(d), d);
    return devices;
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
    if (d.isEmpty())
        return QStringLiteral("COM%1 = (none)").arg(portNumber);
    const QFileInfo info(d);
    const QString target = info.canonicalFilePath();
    if (info.isSymLink() && !target.isEmpty())
        return QStringLiteral("COM%1 = %2 (%3)").arg(portNumber).arg(d, QFileInfo(target).fileName());
    return QStringLiteral("COM%1 = %2").arg(portNumber).arg(d);
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
