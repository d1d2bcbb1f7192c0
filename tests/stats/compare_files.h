#pragma once

// Two plain list files (T = 1 s) whose figures are worked out by hand below, and how their
// one-minute periods pair by the clock and by the time since each file's start.
//   A: 2009/03/04 08:00:30 .. 08:01:29, 30 records at 50.0 dB, then 30 at 60.0 dB.
//   B: 2009/03/04 08:01:00 .. 08:02:59, 60 records at 63.0 dB, then 60 at 70.0 dB.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cmath>

namespace kirv::test {

struct LevelRun
{
    int records;
    double level;
};

inline QByteArray plainList(const QDateTime& first, std::initializer_list<LevelRun> runs)
{
    QByteArray out = "No.s\tDate Time\tdB\t\r\n";
    int n = 0;
    for (const LevelRun& run : runs)
        for (int i = 0; i < run.records; ++i, ++n)
            out += QByteArray::number(n + 1) + '\t' +
                   first.addSecs(n).toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")).toLatin1() +
                   '\t' + QByteArray::number(run.level, 'f', 1) + "\t\r\n";
    return out;
}

inline QDateTime at(const char* time)
{
    return QDateTime::fromString(QLatin1String(time), QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

inline QByteArray compareFileA()
{
    return plainList(at("2009/03/04 08:00:30"), {{30, 50.0}, {30, 60.0}});
}

inline QByteArray compareFileB()
{
    return plainList(at("2009/03/04 08:01:00"), {{60, 63.0}, {60, 70.0}});
}

// The energy average of equal runs of two levels, truncated to a tenth as every level is.
inline double handLeq(double low, double high)
{
    const double leq = 10.0 * std::log10((std::pow(10.0, low / 10.0) + std::pow(10.0, high / 10.0)) / 2.0);
    return std::floor(leq * 10.0 + 1e-9) / 10.0;
}

} // namespace kirv::test
