// Serial devices for tests: a folder of fake device nodes, by-id links and kernel terminals,
// and pseudo-terminals standing in for USB adapters.
#pragma once

#include "kirv/meter/port_table.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kirv::test {

// A system of fake devices in a folder: `dev` with the device nodes (plain files) and their
// by-id links, `sys` with one folder a kernel terminal.
struct FakeSystem
{
    QTemporaryDir dir;
    DeviceRoots roots{dir.filePath("dev"), dir.filePath("sys")};

    // A kernel terminal; with `hardware` it has a device behind it, `uartType` as its port
    // type where given, and a device node unless `node` is false.
    void terminal(const QString& name, bool hardware, const char* uartType = nullptr, bool node = true)
    {
        QDir().mkpath(roots.sysTty + '/' + name + (hardware ? "/device" : ""));
        if (uartType)
            write(roots.sysTty + '/' + name + "/type", uartType);
        if (node)
            write(roots.dev + '/' + name, "");
    }
    void stableName(const QString& name, const QString& target)
    {
        QDir().mkpath(roots.dev + "/serial/by-id");
        QVERIFY(QFile::link(target, roots.dev + "/serial/by-id/" + name));
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QString dev(const QString& name) const { return roots.dev + '/' + name; }
};

#ifdef Q_OS_UNIX
// A pseudo-terminal standing in for a USB adapter: the test reads the master side.
struct Pty
{
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    Pty() { (void)(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0); }
    ~Pty() { ::close(master); }
    QString path() const { return QString::fromLocal8Bit(::ptsname(master)); }
    QByteArray received() const
    {
        char bytes[64];
        const ssize_t n = ::read(master, bytes, sizeof bytes);
        return n > 0 ? QByteArray(bytes, int(n)) : QByteArray();
    }
};
#endif

} // namespace kirv::test
