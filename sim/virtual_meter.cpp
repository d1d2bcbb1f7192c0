#include "sim/virtual_meter.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kirv::sim {

namespace {
constexpr int DrainTickMs = 5;
constexpr double BurstBytes = 48.0;         // what an idle line may send at once
constexpr qsizetype FrameBacklog = 64;      // frames wait while this much is still queued
constexpr int SlaveBacklog = 2048;          // nobody reads the port: frames are dropped
constexpr qsizetype MaxQueue = 16 << 20;    // replies beyond this are dropped
constexpr double NoiseChance = 0.4;         // of noise bytes after a frame
} // namespace

VirtualMeter::VirtualMeter(QObject* parent) : QObject(parent)
{
    m_frameTimer.setInterval(DefaultFrameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &VirtualMeter::sendFrame);
    m_drainTimer.setInterval(DrainTickMs);
    m_drainTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_drainTimer, &QTimer::timeout, this, &VirtualMeter::drain);
    m_clock.start();
}

VirtualMeter::~VirtualMeter()
{
    stop();
}

namespace {

// Points `link` at `target`, replacing what was there in one step (a reader never finds no link
// while a new device is behind it).
bool pointLink(const QString& link, const QString& target, QString* error)
{
    const QByteArray path = QFile::encodeName(link);
    const QByteArray temporary = path + ".new";
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), path.constData()) != 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(link, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

} // namespace

bool VirtualMeter::start(QString* error)
{
    if (isRunning())
        return true;
    if (!m_pty.open(error))
        return false;
    if (!m_linkPath.isEmpty() && !pointLink(m_linkPath, m_pty.slavePath(), error)) {
        m_pty.close();
        return false;
    }
    m_gone = false;
    m_readNotifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &VirtualMeter::readLine);
    m_writeNotifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        if (!m_paced)
            writeOut(m_queue.size());
    });
    m_frameTimer.start();
    return true;
}

void VirtualMeter::stop()
{
    m_frameTimer.stop();
    m_drainTimer.stop();
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    m_pty.close();
    m_queue.clear();
    if (!m_linkPath.isEmpty())
        ::unlink(QFile::encodeName(m_linkPath).constData());
}

void VirtualMeter::vanish()
{
    if (!isRunning())
        return;
    stop();
    m_gone = true;
    m_core.resetLine();
    changed();
}

bool VirtualMeter::comeBack(QString* error)
{
    if (isRunning())
        return true;
    m_core.resetLine();
    const bool ok = start(error);
    changed();
    return ok;
}

void VirtualMeter::readLine()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.masterFd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                m_readNotifier->setEnabled(false); // the pty is gone; do not spin on it
            return;
        }
        if (!m_plugged)
            continue;
        const QByteArray bytes(buffer, n);
        m_received += bytes;
        emit bytesReceived(bytes);
        MeterCore::Events events;
        const QByteArray reply = m_core.receive(bytes, now(), &events);
        enqueue(reply);
        for (char c : std::as_const(events.commands))
            emit commandReceived(c);
        for (int key : std::as_const(events.keys))
            emit keyPressed(key);
        if (events.changed)
            changed();
    }
}

void VirtualMeter::sendFrame()
{
    if (!m_plugged || !m_core.isStreaming(now()))
        return;
    QByteArray bytes = m_core.nextFrame(m_frameTimer.interval() / 1000.0);
    // A meter talking to a port nobody reads loses its frames, it does not hoard them.
    if (m_queue.size() > FrameBacklog || m_pty.slaveBacklog() > SlaveBacklog)
        return;
    if (m_noise && m_random.generateDouble() < NoiseChance) {
        const int count = 1 + int(m_random.bounded(4));
        for (int i = 0; i < count; ++i)
            bytes.append(char(m_random.bounded(256)));
    }
    if (m_strayByte)
        bytes.append('\x55');
    enqueue(bytes);
}

void VirtualMeter::enqueue(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !isRunning() || !m_plugged)
        return;
    m_queue += bytes.left(std::max<qsizetype>(0, MaxQueue - m_queue.size()));
    if (!m_paced) {
        writeOut(m_queue.size());
        return;
    }
    drain();
    if (!m_queue.isEmpty() && !m_drainTimer.isActive())
        m_drainTimer.start();
}

void VirtualMeter::drain()
{
    const qint64 t = now();
    m_credit = std::min(BurstBytes, m_credit + (t - m_lastCredit) * LineBytesPerSecond / 1000.0);
    m_lastCredit = t;
    const auto allowed = std::min(m_queue.size(), qsizetype(m_credit));
    if (allowed > 0) {
        const qsizetype before = m_queue.size();
        writeOut(allowed);
        m_credit -= double(before - m_queue.size());
    }
    if (m_queue.isEmpty())
        m_drainTimer.stop();
}

void VirtualMeter::writeOut(qsizetype count)
{
    qsizetype written = 0;
    while (written < count) {
        const ssize_t n = ::write(m_pty.masterFd(), m_queue.constData() + written,
                                  size_t(count - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    m_queue.remove(0, written);
    // The port is full: unpaced output waits until it can take more; paced output retries on
    // its next tick anyway.
    if (!m_queue.isEmpty() && !m_paced && m_writeNotifier)
        m_writeNotifier->setEnabled(true);
}

void VirtualMeter::setMode(Mode mode)
{
    m_core.setMode(mode);
    changed();
}

void VirtualMeter::setFrameInterval(int ms)
{
    m_frameTimer.setInterval(std::max(1, ms));
}

void VirtualMeter::setPattern(Pattern pattern)
{
    m_core.generator().setPattern(pattern);
    changed();
}

void VirtualMeter::setLevel(double db)
{
    m_core.generator().setLevel(db);
    changed();
}

void VirtualMeter::setRangeCode(int code)
{
    m_core.settings().rangeCode = std::clamp(code, 0, RangeCodeCount - 1);
    changed();
}

void VirtualMeter::setFreqWeighting(int weighting)
{
    m_core.settings().freqWeighting = std::clamp(weighting, 0, 3);
    changed();
}

void VirtualMeter::setTimeWeighting(int weighting)
{
    m_core.settings().timeWeighting = std::clamp(weighting, 0, 2);
    changed();
}

void VirtualMeter::setRunState(RunState state)
{
    m_core.settings().runState = state;
    changed();
}

void VirtualMeter::setOver(bool on)
{
    m_core.settings().over = on;
    changed();
}

void VirtualMeter::setUnder(bool on)
{
    m_core.settings().under = on;
    changed();
}

void VirtualMeter::setMarked(bool on)
{
    m_core.settings().marked = on;
    changed();
}

void VirtualMeter::pressKey(int code)
{
    m_core.applyKey(code);
    changed();
}

void VirtualMeter::setSamplingInterval(int seconds)
{
    m_core.setSamplingInterval(seconds);
    changed();
}

void VirtualMeter::setClockOffset(qint64 seconds)
{
    m_core.setClockOffset(seconds);
    changed();
}

void VirtualMeter::setLoggerSets(const QList<LoggerSet>& sets)
{
    m_core.memory().setSets(sets);
    changed();
}

void VirtualMeter::setStoredData(const QByteArray& data)
{
    m_core.memory().setStoredData(data);
    changed();
}

void VirtualMeter::setLoggerPointer(int pointer)
{
    m_core.memory().setPointer(pointer);
    changed();
}

void VirtualMeter::setMemorySize(int units)
{
    m_core.memory().setSizeUnits(units);
    changed();
}

void VirtualMeter::eraseMemory()
{
    m_core.memory().erase();
    changed();
}

void VirtualMeter::setReplyFault(LoggerMemory::ReplyFault fault, int times)
{
    m_core.memory().setReplyFault(fault, times);
    changed();
}

bool VirtualMeter::corruptSetMarker(int set)
{
    const bool done = m_core.memory().corruptMarker(set);
    changed();
    return done;
}

bool VirtualMeter::corruptSetStart(int set)
{
    const bool done = m_core.memory().corruptStart(set);
    changed();
    return done;
}

void VirtualMeter::loadLargeMemory()
{
    m_core.memory().setSets(largeLoggerSets());
    changed();
}

void VirtualMeter::setNoise(bool on)
{
    m_noise = on;
    changed();
}

void VirtualMeter::sendMisaligned()
{
    enqueue(m_core.nextFrame(0.0).left(FrameSize / 2));
}

void VirtualMeter::sendCorruptFrame()
{
    QByteArray frame = m_core.nextFrame(0.0);
    frame[0] = '\x20';
    frame[FrameSize - 1] = '\x0D';
    enqueue(frame);
}

void VirtualMeter::unplug()
{
    m_plugged = false;
    m_queue.clear();
    m_drainTimer.stop();
    m_core.resetLine();
    changed();
}

void VirtualMeter::plug()
{
    m_plugged = true;
    m_core.resetLine();
    changed();
}

void VirtualMeter::setShortDump(bool on)
{
    m_core.setShortDump(on);
    changed();
}

void VirtualMeter::setPaced(bool on)
{
    m_paced = on;
    if (!on) {
        m_drainTimer.stop();
        if (isRunning())
            writeOut(m_queue.size());
    } else if (!m_queue.isEmpty()) {
        m_drainTimer.start();
    }
}

} // namespace kirv::sim
