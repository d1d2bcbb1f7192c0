#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <functional>

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

inline constexpr const char* kMeterLineSettings = "38400,n,8,1";

// Why a port could not be opened; the detail text of the failure message says it.
enum class OpenFailure { None, NoSuchDevice, PermissionDenied, Busy, NotSerialPort, BadSettings, Other };

// The serial port as the program needs it: open with name and settings, is open, bytes
// pending, read all pending, write, close. Every byte in and out passes read()/write() here
// and is logged in hex under "kirv.serial", so a field problem can be read off a protocol log.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLink() override = default;

    bool open(const QString& portName, const QString& settings);
    virtual bool isOpen() const = 0;
    virtual qint64 bytesPending() = 0;
    QByteArray read();
    void write(const QByteArray& bytes);
    virtual void close() = 0;

    QString portName() const { return m_portName; }
    OpenFailure lastFailure() const { return m_failure; }
    QString lastError() const { return m_error; }

signals:
    // Bytes arrived (a wait may end early on it; nothing relies on it for correctness).
    void readyRead();

protected:
    virtual bool doOpen(const QString& portName, const LineSettings& settings) = 0;
    virtual QByteArray doRead() = 0;
    virtual void doWrite(const QByteArray& bytes) = 0;
    void setFailure(OpenFailure failure, const QString& error);

private:
    QString m_portName;
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
    void doWrite(const QByteArray& bytes) override;

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

protected:
    bool doOpen(const QString& portName, const LineSettings& settings) override;
    QByteArray doRead() override;
    void doWrite(const QByteArray& bytes) override;

private:
    bool m_open = false;
    QByteArray m_pending;
    QByteArray m_written;
    Responder m_responder;
    OpenFailure m_openFailure = OpenFailure::None;
};

} // namespace kirv
