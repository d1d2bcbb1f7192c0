#include "monitor/spool.h"

#include "monitor/journal.h"

#include "kirv/records/datafile.h"
#include "kirv/base/replace_file.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace kirv::monitor {

QString Spool::pathOf(quint64 number, const char* suffix) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1").arg(number, 12, 10, QLatin1Char('0'))
                                   + QLatin1String(suffix));
}

FileStatus Spool::open(const QString& folder, qsizetype most)
{
    m_folder = folder;
    m_most = std::max<qsizetype>(1, most);
    m_numbers.clear();
    if (!QDir().mkpath(folder))
        return FileStatus::failure("create", folder, QStringLiteral("the folder cannot be made"));
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.msg")}, QDir::Files);
    for (const QString& name : names) {
        bool ok = false;
        const quint64 number = name.chopped(4).toULongLong(&ok);
        if (ok && number > 0)
            m_numbers.push_back(number);
    }
    std::sort(m_numbers.begin(), m_numbers.end());
    m_next = m_numbers.empty() ? 1 : m_numbers.back() + 1;
    m_droppedAtOpen = std::max<qsizetype>(0, size() - m_most);
    keepMost();
    return {};
}

void Spool::keepMost()
{
    while (size() > m_most) {
        QFile::remove(pathOf(m_numbers.front()));
        m_numbers.pop_front();
    }
}

FileStatus Spool::append(const QByteArray& topic, const QByteArray& payload)
{
    const quint64 number = m_next;
    // Removed with the data folder: made again, so what follows is kept.
    if (!QDir(m_folder).exists() && !QDir().mkpath(m_folder))
        return FileStatus::failure("create", m_folder, QStringLiteral("the folder cannot be made"));
    const FileStatus status = replaceFile(pathOf(number), [&](QIODevice& out) {
        const QByteArray text = topic + '\n' + payload;
        return out.write(text) == text.size();
    });
    if (!status.ok())
        return status;
    ++m_next;
    m_numbers.push_back(number);
    keepMost();
    return {};
}

std::optional<Spool::Message> Spool::head()
{
    while (!m_numbers.empty()) {
        const quint64 number = m_numbers.front();
        QFile file(pathOf(number));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.read(1 << 20);
            const qsizetype newline = text.indexOf('\n');
            if (newline > 0)
                return Message{number, text.left(newline), text.mid(newline + 1)};
        }
        say(QStringLiteral("set aside the unreadable queued message %1").arg(pathOf(number, ".bad")));
        QFile::rename(pathOf(number), pathOf(number, ".bad"));
        m_numbers.pop_front();
    }
    return std::nullopt;
}

void Spool::remove(quint64 number)
{
    if (!m_numbers.empty() && m_numbers.front() == number)
        removeHead();
}

void Spool::removeHead()
{
    if (m_numbers.empty())
        return;
    QFile::remove(pathOf(m_numbers.front()));
    m_numbers.pop_front();
}

} // namespace kirv::monitor
