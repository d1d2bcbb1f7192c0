#pragma once

#include "kirv/base/filestatus.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <optional>

namespace kirv::monitor {

// Messages that must reach the broker, kept on the disk until it has taken them: one file a
// message (NNNNNNNNNNNN.msg: the topic, a line end, the payload), numbered in the order they
// were queued, written whole or not at all. A restart finds them again and goes on in order.
// It holds at most a given count: beyond it the oldest go.
class Spool
{
public:
    struct Message
    {
        quint64 number = 0;
        QByteArray topic;
        QByteArray payload;
    };

    // Creates `folder` when missing and takes the messages it holds (the newest `most` of them).
    FileStatus open(const QString& folder, qsizetype most = 10080);
    // The folder is made again when it went missing. At most `most` messages stay: the oldest
    // are removed.
    FileStatus append(const QByteArray& topic, const QByteArray& payload);
    // The oldest message; nothing when the spool is empty. A file that cannot be read or holds
    // no topic is set aside as NNN.bad (said on stderr) and the next one is taken.
    std::optional<Message> head();
    // The oldest message reached the broker.
    void removeHead();
    // Message `number` reached the broker: removed if it is still the oldest (not dropped).
    void remove(quint64 number);
    qsizetype size() const { return qsizetype(m_numbers.size()); }
    // Messages the last open() dropped for being beyond the count kept.
    qsizetype droppedAtOpen() const { return m_droppedAtOpen; }

private:
    QString pathOf(quint64 number, const char* suffix = ".msg") const;
    void keepMost();

    QString m_folder;
    qsizetype m_most = 10080;
    qsizetype m_droppedAtOpen = 0;
    std::deque<quint64> m_numbers;
    quint64 m_next = 1;
};

} // namespace kirv::monitor
