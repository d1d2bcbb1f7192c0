#pragma once

// The programs of a monitoring site in tests: the virtual meter, a mosquitto broker on a free
// port of 127.0.0.1 with a configuration the test writes, a subscriber, and kirv-monitor under
// libfaketime (the clock of the site, sped up), each read line by line as it goes.

#include "kirv/records/datafile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <unistd.h>

namespace monitortest {

inline const QString Bin = QStringLiteral(KIRV_BIN_DIR);
constexpr int WaitMs = 20000;

inline bool waitFor(const std::function<bool()>& condition, int ms = WaitMs)
{
    return QTest::qWaitFor(condition, ms);
}

inline QString faketimeLibrary()
{
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                             "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
                             "/usr/lib/faketime/libfaketime.so.1"}) {
        if (QFile::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    }
    return {};
}

inline QString mosquittoProgram()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"),
                                                         {"/usr/sbin", "/usr/bin", "/usr/local/sbin"});
    return QStandardPaths::findExecutable(QStringLiteral("mosquitto_sub")).isEmpty() ? QString() : found;
}

// A process whose output is kept as lines.
class Lines : public QProcess
{
public:
    Lines()
    {
        connect(this, &QProcess::readyReadStandardError, this, [this] { take(readAllStandardError()); });
        connect(this, &QProcess::readyReadStandardOutput, this, [this] { take(readAllStandardOutput()); });
    }
    ~Lines() override
    {
        if (state() != NotRunning) {
            terminate();
            if (!waitForFinished(5000))
                kill();
            waitForFinished(5000);
        }
    }

    QStringList lines;

    int count(const QString& exact) const { return int(lines.count(exact)); }
    // The first line matching `pattern` (whole line), waiting for it.
    QRegularExpressionMatch waitMatch(const QString& pattern, int ms = WaitMs)
    {
        const QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
        QRegularExpressionMatch found;
        waitFor([&] {
            for (const QString& line : std::as_const(lines)) {
                if (auto m = re.match(line); m.hasMatch()) {
                    found = m;
                    return true;
                }
            }
            return false;
        }, ms);
        return found;
    }
    bool waitLine(const QString& exact, int ms = WaitMs)
    {
        return waitFor([&] { return lines.contains(exact); }, ms);
    }

private:
    void take(const QByteArray& bytes)
    {
        m_partial += bytes;
        qsizetype end;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            lines.append(QString::fromUtf8(m_partial.left(end)));
            m_partial.remove(0, end + 1);
        }
    }
    QByteArray m_partial;
};

class Sim : public Lines
{
public:
    QString pty;
    bool begin(const QStringList& commands, const QStringList& options = {"--unpaced"})
    {
        start(Bin + "/kirv-meter-sim", options);
        if (!waitForStarted())
            return false;
        const auto m = waitMatch(QStringLiteral("kirv-meter-sim: (/dev/\\S+)"));
        pty = m.captured(1);
        send(commands);
        return !pty.isEmpty();
    }
    void send(const QStringList& commands)
    {
        for (const QString& c : commands)
            write((c + '\n').toUtf8());
    }
};

class Broker : public Lines
{
public:
    int port = 0;
    QTemporaryDir dir;
    // Listens on a free port of 127.0.0.1; `extra` lines go into its configuration. Started as
    // root it stays root ("user root"), so it can read the test's private folder.
    bool begin(const QStringList& extra = {})
    {
        if (!port) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return false;
            port = probe.serverPort();
        }
        QFile conf(dir.filePath("mosquitto.conf"));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write(QStringLiteral("listener %1 127.0.0.1\npersistence true\npersistence_location %2/\n"
                                  "log_dest stderr\nlog_type all\nuser root\n")
                       .arg(port).arg(dir.path()).toUtf8());
        conf.write(extra.join('\n').toUtf8() + '\n');
        conf.close();
        setProcessChannelMode(QProcess::MergedChannels);
        start(mosquittoProgram(), {"-c", conf.fileName()});
        if (!waitForStarted())
            return false;
        return waitFor([&] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(port));
            return s.waitForConnected(200);
        });
    }
    void end()
    {
        terminate();
        waitForFinished(10000);
    }
};

// mosquitto_sub on `filter`, QoS 1, with a session the broker keeps across its restarts; each
// line "TOPIC PAYLOAD", or "R TOPIC PAYLOAD" with `retainFlag` (R is 1 for a retained copy).
class Subscriber : public Lines
{
public:
    bool begin(int port, const QString& id, const QString& filter = QStringLiteral("kirv/#"), bool retainFlag = false)
    {
        QStringList args{"-h", "127.0.0.1", "-p", QString::number(port), "-t", filter, "-q", "1", "-c", "-i", id};
        args += retainFlag ? QStringList{"-F", "%r %t %p"} : QStringList{"-v"};
        start("mosquitto_sub", args);
        return waitForStarted();
    }
    QStringList topic(const QString& name) const
    {
        QStringList payloads;
        for (const QString& line : lines) {
            if (line.startsWith(name + ' '))
                payloads.append(line.mid(name.size() + 1));
        }
        return payloads;
    }
};

class Monitor : public Lines
{
public:
    // kirv-monitor with the site's clock starting at `start` ("2026-12-08 23:59:52"), sped up;
    // on the machine's own clock when no start is given. A second of the site stays long
    // enough in real time for a loaded machine to keep every one of them.
    bool begin(const QStringList& arguments, const QString& start = {}, int speed = 4)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!start.isEmpty()) {
            env.insert("LD_PRELOAD", faketimeLibrary());
            // Sanitizer builds: libfaketime comes before the sanitizer's runtime, on purpose.
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
            env.insert("FAKETIME", QStringLiteral("@%1 x%2").arg(start).arg(speed));
        }
        env.insert("TZ", "Europe/Berlin");
        setProcessEnvironment(env);
        QProcess::start(Bin + "/kirv-monitor", arguments);
        return waitForStarted();
    }
    bool end()
    {
        terminate();
        const bool ended = waitForFinished(WaitMs) && exitStatus() == QProcess::NormalExit && exitCode() == 0;
        if (!ended)
            qWarning().noquote() << "kirv-monitor did not end cleanly:\n" << lines.join('\n');
        return ended;
    }
};

// The folder of a test's site and the arguments of a monitor recording into it.
struct SiteFolder
{
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList args(const QString& station, const QString& pty, const QStringList& more = {}) const
    {
        return QStringList{"--port", pty, "--dir", m_dir.path(), "--station", station} + more;
    }
};

// Record lines of the scratch file of a running recording.
inline int scratchRecords(const QString& dir, const QString& station)
{
    QFile f(QDir(dir).filePath("." + station + "/Fake"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return std::max(0, int(f.readAll().count('\n')) - 1);
}

inline QDateTime stamp(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// The records of a data file, checked whole: numbered 1..n, one a second.
inline QStringList recordTimes(const QString& path)
{
    const kirv::DataFileContent content = kirv::readDataFile(path);
    if (!content.ok() || content.headerLine(1) != QLatin1String("Real Time"))
        return {};
    QStringList times;
    for (qsizetype i = 0; i < content.records.count(); ++i) {
        const kirv::Record r = content.records.record(i);
        if (r.number != QString::number(i + 1) || r.level.isEmpty())
            return {};
        times.append(r.time);
    }
    return times;
}

inline bool oneASecond(const QStringList& times)
{
    for (qsizetype i = 1; i < times.size(); ++i) {
        if (stamp(times[i - 1]).secsTo(stamp(times[i])) != 1)
            return false;
    }
    return !times.isEmpty();
}


// The CPU time a running process has used, in seconds (Linux: /proc/PID/stat).
inline double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray text = stat.readAll();
    // The fields after the command's closing parenthesis: state is the 3rd, utime the 14th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1.0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

} // namespace monitortest
