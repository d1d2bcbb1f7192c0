#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace kirv {

Q_DECLARE_LOGGING_CATEGORY(lcSerial)

// Line settings in the form "38400,n,8,1": baud, parity (n/e/o/m/s), data bits, stop bits.
struct LineSettings
{
    int baud = 38400;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;

    static bool parse(const QString& text, LineSettings* out);
};

inline constexpr const char* MeterLineSettings = "38400,n,8,1";

// Why a port could not be opened; the detail text of the failure message says it.
enum class OpenFailure { None, NoSuchDevice, PermissionDenied, Busy, NotSerialPort, BadSettings, Other };

// The serial port as the program needs it: open with name and settings, is open, bytes
// pending, read all pending, write, close. Every byte in and out passes read()/write() here
// and is logged in hex under "kirv.serial", so a field problem can be read off a protocol log.
//
// A device that goes away (a USB adapter pulled out, a hub that re-enumerates) makes the link
// close itself at once and say so with gone(); reopen() then tries the same name and settings
// again, so a symbolic link that points at the new device after a replug is followed.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLink() override = default;

    [[nodiscard]] bool open(const QString& portName, const QString& settings);
    // The last name and settings once more; false (with lastFailure()) while the device is away.
    [[nodiscard]] bool reopen();
    virtual bool isOpen() const = 0;
    virtual qint64 bytesPending() = 0;
    QByteArray read();
    // What the port took: bytes.size() when all of it, less when short, -1 when the write
    // failed. Only what was taken is logged as sent.
    [[nodiscard]] qint64 write(const QByteArray& bytes);
    // True when the whole of `bytes` was taken.
    [[nodiscard]] bool writeAll(const QByteArray& bytes) { return write(bytes) == bytes.size(); }
    virtual void close() = 0;

    // The device went away (gone() was said) and has not been opened again since.
    bool isGone() const { return m_gone; }
    QString portName() const { return m_portName; }
    OpenFailure lastFailure() const { return m_failure; }
    QString lastError() const { return m_error; }

signals:
    // Bytes arrived (a wait may end early on it; nothing relies on it for correctness).
    void readyRead();
    // The device went away; the link is closed already. `reason` is the system's word for it.
    void gone(const QString& reason);

protected:
    virtual bool doOpen(const QString& portName, const LineSettings& settings) = 0;
    virtual QByteArray doRead() = 0;
    virtual qint64 doWrite(const QByteArray& bytes) = 0;
    void setFailure(OpenFailure failure, const QString& error);
    // Closes the port and tells the owners: for the implementations' error paths.
    void lose(const QString& reason);

private:
    QString m_portName;
    QString m_settings;
    bool m_gone = false;
    OpenFailure m_failure = OpenFailure::None;
    QString m_error;
};

// The real port, through QSerialPort.
class QtSerialLink : public SerialLink
{
    Q_OBJECT
public:
    explicit QtSerialLink(QObject* parent = nullptr);
    ~QtSerialLink() override;

    bool isOpen() const override;
    qint64 bytesPending() override;
    void close() override;

protected:
    bool doOpen(const QString& portName, const LineSettings& settings) override;
    QByteArray doRead() override;
    qint64 doWrite(const QByteArray& bytes) override;

private:
    class Port;
    Port* m_port;
};

// An in-memory link for exchanges in unit tests: the test plays the meter by feeding bytes
// and reads what the program wrote. A responder may answer writes at once.
class MemoryLink : public SerialLink
{
    Q_OBJECT
public:
    using Responder = std::function<void(MemoryLink&, const QByteArray& written)>;

    explicit MemoryLink(QObject* parent = nullptr);

    bool isOpen() const override { return m_open; }
    qint64 bytesPending() override { return m_pending.size(); }
    void close() override { m_open = false; }

    // The meter side.
    void feed(const QByteArray& bytes);
    QByteArray written() const { return m_written; }
    void clearWritten() { m_written.clear(); }
    void setResponder(Responder responder) { m_responder = std::move(responder); }
    void failNextOpen(OpenFailure failure) { m_openFailure = failure; }
    // Every later write takes at most `bytes` (-1: fails outright), until lifted with nullopt.
    void limitWrites(std::optional<qint64> bytes) { m_writeLimit = bytes; }
    // The device goes away (gone() is emitted); while `away`, opening it fails.
    void vanish();
    void setAway(bool away) { m_away = away; }
    int openAttempts() const { return m_openAttempts; }

protected:
    bool doOpen(const QString& portName, const LineSettings& settings) override;
    QByteArray doRead() override;
    qint64 doWrite(const QByteArray& bytes) override;

private:
    bool m_open = false;
    bool m_away = false;
    int m_openAttempts = 0;
    std::optional<qint64> m_writeLimit;
    QByteArray m_pending;
    QByteArray m_written;
    Responder m_responder;
    OpenFailure m_openFailure = OpenFailure::None;
};

} // namespace kirv
