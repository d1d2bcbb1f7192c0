#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace kirv {

class SerialLink;

// The 200 ms live poll and its link recovery, as the panel and the monitor both run them.
// tick() takes the newest frame; when none comes within about a second it runs RecoverLink(),
// which returns only when frames come again (or the owner goes). A device that went away is
// opened again about once a second, the wait in between costing nothing; a silent meter on a
// port that stays open is listened to as before.
class LivePoll : public QObject
{
    Q_OBJECT
public:
    static constexpr double ReopenStep = 1.0; // seconds between attempts to open a gone device

    explicit LivePoll(SerialLink& link, QObject* parent = nullptr);

    // One tick. A tick that comes while an earlier one still waits is skipped, not nested.
    void tick();
    void RecoverLink();

    bool busy() const { return m_busy; }
    bool recovering() const { return m_recovering; }

signals:
    void frameTaken(const QByteArray& frame);
    // The recovery begins: no frame for about a second, or the device went away (`reason` then
    // says why; empty for a silent line).
    void linkLost(const QString& reason);
    // The gone device opened again; frames are awaited.
    void deviceBack();
    // Frames come again.
    void linkBack();

private:
    SerialLink& m_link;
    bool m_busy = false;
    bool m_recovering = false;
};

} // namespace kirv
