#include "sim/pseudo_terminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kirv::sim {

namespace {
QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(QString* error)
{
    close();
    const auto fail = [&](const char* what) {
        if (error)
            *error = systemError(what);
        close();
        return false;
    };

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0)
        return fail("grantpt");
    if (::unlockpt(m_master) != 0)
        return fail("unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    m_path = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slave < 0)
        return fail("open slave");
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    return true;
}

void PseudoTerminal::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
    m_path.clear();
}

int PseudoTerminal::slaveBacklog() const
{
    int pending = 0;
    if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &pending) != 0)
        return 0;
    return pending;
}

} // namespace kirv::sim
