#include "sim/logger_memory.h"

#include "sim/level_generator.h"

#include <algorithm>
#include <cmath>

namespace kirv::sim {

namespace {

void appendWord(QByteArray& bytes, quint16 word)
{
    bytes.append(char(word >> 8)).append(char(word & 0xFF));
}

double wordDb(quint16 word)
{
    return (word & 0x7FFF) / 10.0;
}

// The level exceeded `percent` % of the time, from the levels sorted ascending: the highest
// level that at least that share of the readings reach.
double exceeded(const QList<double>& ascending, double percent)
{
    const qsizetype n = ascending.size();
    const auto index = qsizetype(std::floor((1.0 - percent / 100.0) * double(n) + 1e-9));
    return ascending[std::clamp<qsizetype>(index, 0, n - 1)];
}

constexpr double PeakAboveMax = 13.0; // dB, a typical crest of an impulsive maximum

} // namespace

QByteArray buildLoggerSet(const LoggerSet& set)
{
    QByteArray bytes = SetMarker;
    appendWord(bytes, quint16(std::clamp(set.interval, 0, 0xFFFF)));
    bytes.append(char(set.status)).append(char(set.range));
    for (quint16 word : set.levels)
        appendWord(bytes, word);
    for (const Timestamp& ts : set.timestamps)
        bytes.append(reinterpret_cast<const char*>(ts.data()), qsizetype(ts.size()));
    for (quint16 word : set.trailer)
        appendWord(bytes, word);
    return bytes;
}

QByteArray buildLoggerSets(const QList<LoggerSet>& sets)
{
    QByteArray bytes;
    for (const LoggerSet& set : sets)
        bytes += buildLoggerSet(set);
    return bytes;
}

LoggerSet makeLoggerSet(int interval, quint8 status, quint8 range, const QList<quint16>& levels,
                        const QDateTime& start)
{
    LoggerSet set;
    set.interval = interval;
    set.status = status;
    set.range = range;
    set.levels = levels;
    const auto at = [&](qsizetype i) { return timestampBytes(start.addSecs(i * interval)); };
    set.timestamps.fill(at(0));
    if (levels.isEmpty())
        return set;

    QList<double> db;
    db.reserve(levels.size());
    double energy = 0.0;
    for (quint16 word : levels) {
        db.append(wordDb(word));
        energy += std::pow(10.0, db.back() / 10.0);
    }
    const qsizetype n = db.size();
    const auto maxIt = std::max_element(db.cbegin(), db.cend());
    const auto minIt = std::min_element(db.cbegin(), db.cend());
    const double leq = 10.0 * std::log10(energy / double(n));
    const double sel = leq + 10.0 * std::log10(double(n) * std::max(interval, 1));

    set.timestamps[LoggerSet::StampEnd] = at(n - 1);
    set.timestamps[LoggerSet::StampMax] = at(maxIt - db.cbegin());
    set.timestamps[LoggerSet::StampMin] = at(minIt - db.cbegin());
    set.timestamps[LoggerSet::StampPeak] = set.timestamps[LoggerSet::StampMax];

    QList<double> ascending = db;
    std::sort(ascending.begin(), ascending.end());
    set.trailer = {levelWord(leq),
                   levelWord(sel),
                   levelWord(*maxIt),
                   levelWord(*minIt),
                   levelWord(*maxIt + PeakAboveMax),
                   levelWord(exceeded(ascending, 5)),
                   levelWord(exceeded(ascending, 10)),
                   levelWord(exceeded(ascending, 50)),
                   levelWord(exceeded(ascending, 90)),
                   levelWord(exceeded(ascending, 95))};
    return set;
}

QList<LoggerSet> sampleLoggerSets()
{
    struct Recipe
    {
        int interval;
        int count;
        Pattern pattern;
        double level;
        int freqWeighting;
        int timeWeighting;
        int rangeCode;
        QDateTime start;
    };
    const QList<Recipe> recipes = {
        // A street kerbside at the morning rush, one reading a second for ten minutes.
        {1, 600, Pattern::Traffic, 64.0, 0, 0, 3, QDateTime({2024, 5, 14}, {8, 0, 0})},
        // A quiet office, ten-second readings over a quarter of an hour.
        {10, 90, Pattern::Traffic, 44.0, 0, 1, 5, QDateTime({2024, 5, 14}, {10, 30, 0})},
        // A workshop press cycling every few seconds, C weighted, one reading a second.
        {1, 180, Pattern::Ramp, 82.0, 1, 0, 1, QDateTime({2024, 5, 15}, {14, 12, 30})},
        // A night by the ring road, one reading a minute for half an hour.
        {60, 30, Pattern::Traffic, 41.0, 0, 1, 5, QDateTime({2024, 5, 16}, {23, 45, 0})},
        // A plant room's low hum through the 20-200 Hz filter, impulse weighted, every 2 s.
        {2, 120, Pattern::Traffic, 71.0, 3, 2, 2, QDateTime({2024, 5, 17}, {9, 59, 58})},
    };

    QList<LoggerSet> sets;
    quint32 seed = 7;
    for (const Recipe& r : recipes) {
        LevelGenerator generator(seed++);
        generator.setPattern(r.pattern);
        generator.setLevel(r.level);
        MeterSettings settings;
        settings.freqWeighting = r.freqWeighting;
        settings.timeWeighting = r.timeWeighting;
        settings.rangeCode = r.rangeCode;
        // Each stored reading is the Leq of its interval, the sound followed in half seconds.
        const int steps = 2 * r.interval;
        QList<quint16> levels;
        for (int i = 0; i < r.count; ++i) {
            double energy = 0.0;
            for (int k = 0; k < steps; ++k)
                energy += std::pow(10.0, generator.next(0.5) / 10.0);
            levels.append(levelWord(10.0 * std::log10(energy / steps)));
        }
        if (r.interval == 60)
            levels[12] |= 0x8000; // the operator marked a reading (a lorry braking)
        if (r.freqWeighting == 3) {
            levels[40] |= 0x8000; // a door slammed twice
            levels[41] |= 0x8000;
        }
        // Stored sets keep the weightings and the range; the run/pause/stop bits stay clear.
        const quint8 status = statusByte(settings) & quint8(~0x1C);
        sets.append(makeLoggerSet(r.interval, status, rangeByte(settings), levels, r.start));
    }
    return sets;
}

QList<LoggerSet> largeLoggerSets()
{
    QList<LoggerSet> sets = sampleLoggerSets();
    LevelGenerator generator(99);
    generator.setPattern(Pattern::Traffic);
    generator.setLevel(58.0);
    QList<quint16> levels;
    constexpr int Readings = 36000; // ten hours of one-second readings, 72 K
    levels.reserve(Readings);
    for (int i = 0; i < Readings; ++i)
        levels.append(levelWord(generator.next(1.0)));
    sets.append(makeLoggerSet(1, 0x00, 3, levels, QDateTime({2024, 5, 18}, {20, 0, 0})));
    return sets;
}

void LoggerMemory::setSets(const QList<LoggerSet>& sets)
{
    setStoredData(buildLoggerSets(sets));
}

void LoggerMemory::setStoredData(const QByteArray& data)
{
    m_data = data.left(MaxPointer - EmptyPointer);
    m_forcedPointer = -1;
}

void LoggerMemory::erase()
{
    setStoredData({});
}

int LoggerMemory::pointer() const
{
    return m_forcedPointer >= 0 ? m_forcedPointer : EmptyPointer + int(m_data.size());
}

void LoggerMemory::setPointer(int pointer)
{
    m_forcedPointer = std::clamp(pointer, 0, MaxPointer);
}

void LoggerMemory::setSizeUnits(int units)
{
    m_units = std::clamp(units, 1, 255);
}

QByteArray LoggerMemory::pointerReply() const
{
    const int p = pointer();
    QByteArray reply(3, '\0');
    reply[0] = char((p >> 16) & 0xFF);
    reply[1] = char((p >> 8) & 0xFF);
    reply[2] = char(p & 0xFF);
    return withFault(reply, ReplyFault::PointerShort, ReplyFault::PointerLong);
}

QByteArray LoggerMemory::sizeReply() const
{
    QByteArray reply(3, '\0');
    reply[1] = char(m_units);
    return withFault(reply, ReplyFault::SizeShort, ReplyFault::SizeLong);
}

QByteArray LoggerMemory::withFault(QByteArray reply, ReplyFault cut, ReplyFault longer) const
{
    if ((m_fault != cut && m_fault != longer) || m_faultTimes == 0)
        return reply;
    const ReplyFault fault = m_fault;
    if (m_faultTimes > 0 && --m_faultTimes == 0)
        m_fault = ReplyFault::None; // the last faulty reply; the next ones are right
    if (fault == cut)
        reply.chop(1);
    else
        reply.append(char(0x00));
    return reply;
}

void LoggerMemory::setReplyFault(ReplyFault fault, int times)
{
    m_fault = fault;
    m_faultTimes = fault == ReplyFault::None ? 0 : times;
}

std::pair<qsizetype, qsizetype> LoggerMemory::setBounds(int s) const
{
    // The sets lie end to end: each ends where the next marker stands.
    const auto nextMarker = [this](qsizetype start) {
        qsizetype next = m_data.indexOf(SetMarker, start + SetOverhead + 2);
        while (next >= 0 && (next - start) % 2 != 0)
            next = m_data.indexOf(SetMarker, next + 1);
        return next;
    };
    qsizetype start = 0;
    for (int k = 1; k < s && start >= 0; ++k)
        start = nextMarker(start);
    if (s < 1 || start < 0 || start + SetMarker.size() > m_data.size() ||
        !m_data.mid(start).startsWith(SetMarker))
        return {-1, -1};
    const qsizetype end = nextMarker(start);
    return {start, end < 0 ? m_data.size() : end};
}

bool LoggerMemory::corruptMarker(int s)
{
    const qsizetype start = setBounds(s).first;
    if (start < 0)
        return false;
    m_data[start + 2] = char(0xAB);
    return true;
}

bool LoggerMemory::corruptStart(int s)
{
    const auto [start, end] = setBounds(s);
    if (start < 0 || end - start < SetOverhead)
        return false;
    const qsizetype records = (end - start - SetOverhead) / 2;
    m_data[start + 8 + 2 * records + 4] = char(0x13); // the month byte of timestamp 1
    return true;
}

QByteArray LoggerMemory::dump(bool shortDump) const
{
    const int length = pointer() - 46;
    if (length <= 0)
        return {};
    QByteArray bytes(1, char(DumpFrameByte));
    const int stored = length - 2;
    if (stored > 0) {
        bytes += m_data.left(stored);
        if (bytes.size() < 1 + stored)
            bytes.append(1 + stored - bytes.size(), char(0xFF));
    }
    if (length >= 2)
        bytes.append(char(DumpFrameByte));
    return shortDump ? bytes.left(length / 2) : bytes;
}

} // namespace kirv::sim
