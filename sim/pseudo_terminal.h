#pragma once

#include <QString>

namespace kirv::sim {

// A pty pair: the master for the meter, the slave path for the program's serial port. The
// slave is held open here too (raw, 38400 8N1) so that the master never sees a hang-up when
// the program closes its port.
class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool open(QString* error);
    void close();
    bool isOpen() const { return m_master >= 0; }

    int masterFd() const { return m_master; }
    QString slavePath() const { return m_path; }
    // Bytes the slave side holds that nobody has read yet.
    int slaveBacklog() const;

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

} // namespace kirv::sim
