#pragma once

#include "sim/meter_core.h"
#include "sim/pseudo_terminal.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

class QSocketNotifier;

namespace kirv::sim {

// A meter on a pseudo-terminal. The program opens devicePath() with its serial port and
// meets the meter's protocol byte for byte: live frames in measuring mode, the logger's
// replies in logger mode, faults on request, at the line's real pace unless told otherwise.
class VirtualMeter : public QObject
{
    Q_OBJECT
public:
    using Mode = sim::Mode;
    using Pattern = sim::Pattern;
    using RunState = sim::RunState;

    static constexpr int LineBytesPerSecond = 3840; // 38400 baud, 10 bits a byte
    static constexpr int DefaultFrameIntervalMs = 20;

    explicit VirtualMeter(QObject* parent = nullptr);
    ~VirtualMeter() override;

    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return m_pty.isOpen(); }
    QString devicePath() const { return m_pty.slavePath(); }

    // A stable name: a symbolic link that points at the current pseudo-terminal while there is
    // one, as /dev/serial/by-id/... does for an adapter. Set it before start().
    void setLinkPath(const QString& path) { m_linkPath = path; }
    QString linkPath() const { return m_linkPath; }
    // The name a program should open: the link when there is one, else the pseudo-terminal.
    QString portPath() const { return m_linkPath.isEmpty() ? devicePath() : m_linkPath; }
    // The device disappears (an adapter pulled out): the pseudo-terminal closes, so the
    // program's port hangs up, and the link goes with it. comeBack() gives a new
    // pseudo-terminal behind the same link, the meter's state as it was.
    void vanish();
    bool comeBack(QString* error = nullptr);
    bool isGone() const { return m_gone; }

    // Measuring or logger.
    void setMode(Mode mode);
    Mode mode() const { return m_core.mode(); }

    // The live stream.
    void setFrameInterval(int ms);
    int frameInterval() const { return m_frameTimer.interval(); }
    void setPattern(Pattern pattern);
    Pattern pattern() const { return m_core.generator().pattern(); }
    void setLevel(double db);
    double level() const { return m_core.generator().level(); }
    double currentLevel() const { return m_core.generator().current(); }
    void setRangeCode(int code);
    int rangeCode() const { return m_core.settings().rangeCode; }
    void setFreqWeighting(int weighting); // 0 A, 1 C, 2 Z, 3 AA
    int freqWeighting() const { return m_core.settings().freqWeighting; }
    void setTimeWeighting(int weighting); // 0 FAST, 1 SLOW, 2 IMP
    int timeWeighting() const { return m_core.settings().timeWeighting; }
    void setRunState(RunState state);
    RunState runState() const { return m_core.settings().runState; }
    void setOver(bool on);
    bool over() const { return m_core.settings().over; }
    void setUnder(bool on);
    bool under() const { return m_core.settings().under; }
    void setMarked(bool on);
    bool marked() const { return m_core.settings().marked; }
    void pressKey(int code); // as if pressed on the meter itself

    // Sampling interval ("J"/"C") and clock ("I"/"B").
    void setSamplingInterval(int seconds);
    int samplingInterval() const { return m_core.samplingInterval(); }
    void setClockOffset(qint64 seconds);
    qint64 clockOffset() const { return m_core.clockOffset(); }
    QDateTime meterTime() const { return m_core.meterTime(); }

    // Logger memory.
    void setLoggerSets(const QList<LoggerSet>& sets);
    void setStoredData(const QByteArray& data);
    QByteArray storedData() const { return m_core.memory().storedData(); }
    int loggerPointer() const { return m_core.memory().pointer(); }
    void setLoggerPointer(int pointer); // forces P, see LoggerMemory::setPointer
    void setMemorySize(int units);      // units of 64 K
    int memorySize() const { return m_core.memory().sizeUnits(); }
    void eraseMemory();
    // Logger faults: replies of the wrong length, a damaged set marker, more than 64 K stored.
    void setReplyFault(LoggerMemory::ReplyFault fault, int times = -1);
    LoggerMemory::ReplyFault replyFault() const { return m_core.memory().replyFault(); }
    bool corruptSetMarker(int set);
    bool corruptSetStart(int set);
    void loadLargeMemory();

    // Faults.
    void setNoise(bool on);
    bool noise() const { return m_noise; }
    // One stray byte (0x55) after every live frame.
    void setStrayByte(bool on) { m_strayByte = on; }
    void sendMisaligned();   // part of a frame, once
    void sendCorruptFrame(); // six bytes with the wrong markers
    void unplug();           // silence: nothing sent, input ignored
    void plug();
    bool isPlugged() const { return m_plugged; }
    void setShortDump(bool on);
    bool shortDump() const { return m_core.shortDump(); }

    // Pacing at the line rate (on by default).
    void setPaced(bool on);
    bool isPaced() const { return m_paced; }
    int pendingOutput() const { return int(m_queue.size()); }

    // Everything the meter side received, in order.
    QByteArray received() const { return m_received; }
    void clearReceived() { m_received.clear(); }

    MeterCore& core() { return m_core; }

signals:
    void bytesReceived(const QByteArray& bytes);
    void keyPressed(int code);
    void commandReceived(char command);
    // Settings, mode, memory or cable changed (by the line or by a setter).
    void stateChanged();

private:
    void readLine();
    void sendFrame();
    void enqueue(const QByteArray& bytes);
    void drain();
    void writeOut(qsizetype count);
    qint64 now() const { return m_clock.elapsed(); }
    void changed() { emit stateChanged(); }

    MeterCore m_core;
    PseudoTerminal m_pty;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_frameTimer;
    QTimer m_drainTimer;
    QElapsedTimer m_clock;
    QRandomGenerator m_random{2024};

    QByteArray m_queue;
    double m_credit = 0.0;
    qint64 m_lastCredit = 0;
    QByteArray m_received;
    bool m_paced = true;
    bool m_noise = false;
    bool m_strayByte = false;
    bool m_plugged = true;
    bool m_gone = false;
    QString m_linkPath;
};

} // namespace kirv::sim
