#pragma once

// A small file system (a 64 KB tmpfs) that a test can fill to the last byte or to a given room,
// where one can be mounted (as root, as CI runs); elsewhere the tests that need it skip.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <algorithm>

namespace kirv::test {

class SmallDisk
{
public:
    static constexpr const char* CannotMount =
        "cannot mount a small tmpfs here (needs root): the full disk is not tried";

    explicit SmallDisk(const QString& path) : m_path(path)
    {
        QDir().mkpath(path);
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", path}) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute("umount", {m_path});
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }

    // Takes the space that is left into the file "filler".
    bool fill() const
    {
        QFile filler(m_path + "/filler");
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        return true;
    }

    // After fill(): gives `bytes` back (tmpfs counts whole pages), so a write fails part-way.
    bool leave(qint64 bytes) const
    {
        QFile filler(m_path + "/filler");
        return filler.resize(std::max<qint64>(0, filler.size() - bytes));
    }

    // Frees the whole disk again.
    bool empty() const { return QFile::remove(m_path + "/filler"); }

private:
    QString m_path;
    bool m_mounted = false;
};

} // namespace kirv::test
