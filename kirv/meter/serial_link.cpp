#include "kirv/meter/serial_link.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>
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
    m_settings = settings;
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
    if (ok)
        m_gone = false;
    qCInfo(lcSerial).noquote() << (ok ? "opened" : "cannot open") << portName << settings
                               << (ok ? QString() : m_error);
    return ok;
}

bool SerialLink::reopen()
{
    return open(m_portName, m_settings);
}

void SerialLink::lose(const QString& reason)
{
    if (!isOpen())
        return;
    close();
    m_gone = true;
    setFailure(OpenFailure::NoSuchDevice, reason);
    qCWarning(lcSerial).noquote() << "device" << m_portName << "gone:" << reason;
    emit gone(reason);
}

QByteArray SerialLink::read()
{
    const QByteArray bytes = doRead();
    if (!bytes.isEmpty())
        qCDebug(lcSerial).noquote() << "rx" << bytes.toHex(' ');
    return bytes;
}

qint64 SerialLink::write(const QByteArray& bytes)
{
    const qint64 taken = doWrite(bytes);
    if (taken > 0)
        qCDebug(lcSerial).noquote() << "tx" << bytes.left(taken).toHex(' ');
    if (taken < bytes.size())
        qCDebug(lcSerial).noquote() << "tx failed:" << (taken < 0 ? 0 : taken) << "of" << bytes.size()
                                    << "bytes taken";
    return taken;
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
    // A device that is gone keeps its descriptor readable for ever (a hang-up): left open, the
    // port would be polled in a tight loop. It is closed on the first such error, after the
    // port's own handler has returned.
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
            error != QSerialPort::WriteError)
            return;
        // A hang-up carries no system error of its own ("Unknown error").
        const QString said = m_port->errorString();
        const QString reason = said.isEmpty() || said == QLatin1String("Unknown error")
                                   ? QStringLiteral("the device is no longer available")
                                   : said;
        QMetaObject::invokeMethod(this, [this, reason] { lose(reason); }, Qt::QueuedConnection);
    });
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
    m_port->clearError();
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    setFailure(classifyOpenFailure(*m_port, portName), m_port->errorString());
    return false;
}

QByteArray QtSerialLink::doRead()
{
    return m_port->isOpen() ? m_port->readAll() : QByteArray();
}

qint64 QtSerialLink::doWrite(const QByteArray& bytes)
{
    if (!m_port->isOpen())
        return -1;
    const qint64 buffered = m_port->write(bytes);
    if (buffered < 0)
        return -1;
    // The port buffers what it is given; flush() hands it to the device at once, so what the
    // device did not take is known now and not only when the event loop comes round.
    m_port->flush();
    if (!m_port->isOpen() || m_port->error() == QSerialPort::ResourceError ||
        m_port->error() == QSerialPort::WriteError)
        return -1;
    const qint64 left = m_port->bytesToWrite();
    if (left > 0) // what the device did not take now is dropped, so "short" stays true
        m_port->clear(QSerialPort::Output);
    return buffered - left;
}

// --- MemoryLink ---------------------------------------------------------------------------

MemoryLink::MemoryLink(QObject* parent) : SerialLink(parent) {}

void MemoryLink::feed(const QByteArray& bytes)
{
    m_pending.append(bytes);
    emit readyRead();
}

void MemoryLink::vanish()
{
    m_away = true;
    lose(QStringLiteral("No such device"));
}

bool MemoryLink::doOpen(const QString& portName, const LineSettings&)
{
    ++m_openAttempts;
    if (m_away) {
        setFailure(OpenFailure::NoSuchDevice, QStringLiteral("No such file or directory"));
        return false;
    }
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

qint64 MemoryLink::doWrite(const QByteArray& bytes)
{
    const qint64 taken = m_writeLimit ? std::min<qint64>(*m_writeLimit, bytes.size()) : bytes.size();
    if (taken <= 0)
        return taken < 0 ? -1 : 0;
    m_written.append(bytes.left(taken));
    if (m_responder)
        m_responder(*this, bytes.left(taken));
    return taken;
}

} // namespace kirv
