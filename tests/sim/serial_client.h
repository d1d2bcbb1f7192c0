#pragma once

// The program's end of the virtual meter's line in tests: a QSerialPort on the pty that keeps
// everything it reads.

#include <QSerialPort>
#include <QTest>

class SerialClient : public QObject
{
public:
    bool open(const QString& path)
    {
        m_port.setPortName(path);
        m_port.setBaudRate(QSerialPort::Baud38400);
        if (!m_port.open(QIODevice::ReadWrite))
            return false;
        connect(&m_port, &QSerialPort::readyRead, this, [this] { m_bytes += m_port.readAll(); });
        return true;
    }
    QString error() const { return m_port.errorString(); }

    void send(const QByteArray& bytes)
    {
        m_port.write(bytes);
        m_port.flush();
    }
    QByteArray bytes() const { return m_bytes; }
    void clear()
    {
        m_bytes += m_port.readAll();
        m_bytes.clear();
    }

    // The newest whole frame (02 .. 03) in what came in, or nothing.
    QByteArray lastFrame() const
    {
        for (qsizetype end = m_bytes.size(); end >= 6; --end) {
            if (m_bytes[end - 1] == '\x03' && m_bytes[end - 6] == '\x02')
                return m_bytes.mid(end - 6, 6);
        }
        return {};
    }

private:
    QSerialPort m_port;
    QByteArray m_bytes;
};
