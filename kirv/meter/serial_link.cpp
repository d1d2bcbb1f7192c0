#include "kirv/meter/serial_link.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>

#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kirv {

Q_LOGGING_CATEGORY(lcSerial, "kirv.serial", QtWarningMsg)

bool LineSettings::parse(const QString& text, LineSettings* out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok[3] = {};
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok[0]);
    const QString parity = parts[1].trimmed().toLower();
    s.dataBits = parts[2].trimmed().toInt(&ok[1]);
    s.stopBits = parts[3].trimmed().toInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || parity.size() != 1 || !QStringLiteral("neoms").contains(parity))
        return false;
    if (s.baud <= 0 || s.dataBits < 5 || s.dataBits > 8 || s.stopBits < 1 || s.stopBits > 2)
        return false;
    s.parity = parity[0].toLatin1();
    *out = s;
    return true;
}

bool SerialLink::open(const QString& portName, const QString& settings)
{
    m_portName = portName;
    m_failure = OpenFailure::None;
    m_error.clear();
    LineSettings parsed;
    if (!LineSettings::parse(settings, &parsed)) {
        setFailure(OpenFailure::BadSettings, QStringLiteral("bad line settings \"%1\"").arg(settings));
        return false;
    }
    if (isOpen())
        return true;
    const bool ok = doOpen(portName, parsed);
    qCInfo(lcSerial).noquote() << (ok ? "opened" : "cannot open") << portName << settings
                               << (ok ? QString() : m_error);
    return ok;
}

QByteArray SerialLink::read()
{
    const QByteArray bytes = doRead();
    if (!bytes.isEmpty())
        qCDebug(lcSerial).noquote() << "rx" << bytes.toHex(' ');
    return bytes;
}

void SerialLink::write(const QByteArray& bytes)
{
    qCDebug(lcSerial).noquote() << "tx" << bytes.toHex(' ');
    doWrite(bytes);
}

void SerialLink::setFailure(OpenFailure failure, const QString& error)
{
    m_failure = failure;
    m_error = error;
}

// --- QtSerialLink -------------------------------------------------------------------------

class QtSerialLink::Port : public QSerialPort
{
public:
    using QSerialPort::QSerialPort;
};

namespace {

#ifdef Q_OS_UNIX
// A file that opens but is no terminal (/dev/null, a regular file, a folder): whatever QSerialPort
// made of it, no cable will make it a meter.
bool isOpenableNonTerminal(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return !terminal;
}
#endif

// QSerialPort reports a locked port and a forbidden one alike; the device itself tells them
// apart, so the message can say "join dialout" only when that is the cure.
OpenFailure classifyOpenFailure(const QSerialPort& port, const QString& givenName)
{
    const QString path = givenName.startsWith(QLatin1Char('/'))
                             ? givenName
                             : QSerialPortInfo(port.portName()).systemLocation();
#ifdef Q_OS_UNIX
    if (QFileInfo::exists(path) && isOpenableNonTerminal(path))
        return OpenFailure::NotSerialPort;
#endif
    if (port.error() == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(path))
        return OpenFailure::NoSuchDevice;
#ifdef Q_OS_UNIX
    if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0)
        return OpenFailure::PermissionDenied;
#endif
    if (port.error() == QSerialPort::PermissionError)
        return OpenFailure::Busy;
    return OpenFailure::Other;
}

} // namespace

QtSerialLink::QtSerialLink(QObject* parent) : SerialLink(parent), m_port(new Port(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::readyRead);
}

QtSerialLink::~QtSerialLink() = default;

bool QtSerialLink::isOpen() const
{
    return m_port->isOpen();
}

qint64 QtSerialLink::bytesPending()
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

void QtSerialLink::close()
{
    m_port->close();
}

bool QtSerialLink::doOpen(const QString& portName, const LineSettings& s)
{
    m_port->setPortName(portName);
    m_port->setBaudRate(s.baud);
    m_port->setDataBits(QSerialPort::DataBits(s.dataBits));
    m_port->setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    switch (s.parity) {
    case 'e': m_port->setParity(QSerialPort::EvenParity); break;
    case 'o': m_port->setParity(QSerialPort::OddParity); break;
    case 'm': m_port->setParity(QSerialPort::MarkParity); break;
    case 's': m_port->setParity(QSerialPort::SpaceParity); break;
    default: m_port->setParity(QSerialPort::NoParity); break;
    }
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    setFailure(classifyOpenFailure(*m_port, portName), m_port->errorString());
    return false;
}

QByteArray QtSerialLink::doRead()
{
    return m_port->isOpen() ? m_port->readAll() : QByteArray();
}

void QtSerialLink::doWrite(const QByteArray& bytes)
{
    if (m_port->isOpen())
        m_port->write(bytes);
}

// --- MemoryLink ---------------------------------------------------------------------------

MemoryLink::MemoryLink(QObject* parent) : SerialLink(parent) {}

void MemoryLink::feed(const QByteArray& bytes)
{
    m_pending.append(bytes);
    emit readyRead();
}

bool MemoryLink::doOpen(const QString& portName, const LineSettings&)
{
    if (m_openFailure != OpenFailure::None) {
        setFailure(m_openFailure, QStringLiteral("cannot open %1").arg(portName));
        m_openFailure = OpenFailure::None;
        return false;
    }
    m_open = true;
    return true;
}

QByteArray MemoryLink::doRead()
{
    return std::exchange(m_pending, QByteArray());
}

void MemoryLink::doWrite(const QByteArray& bytes)
{
    m_written.append(bytes);
    if (m_responder)
        m_responder(*this, bytes);
}

} // namespace kirv
