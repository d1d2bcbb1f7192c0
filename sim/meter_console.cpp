#include "sim/meter_console.h"

#include "sim/virtual_meter.h"

#include <optional>

namespace kirv::sim {

namespace {
const QString OkReply = QStringLiteral("ok");

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

// "on"/"off" to a bool; nothing for anything else.
std::optional<bool> parseOnOff(const QString& word)
{
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}
} // namespace

const QStringList& MeterConsole::freqWeightingNames()
{
    static const QStringList names{"A", "C", "Z", "AA"};
    return names;
}

const QStringList& MeterConsole::timeWeightingNames()
{
    static const QStringList names{"FAST", "SLOW", "IMP"};
    return names;
}

const QStringList& MeterConsole::runStateNames()
{
    static const QStringList names{"run", "pause", "stop"};
    return names;
}

const QStringList& MeterConsole::patternNames()
{
    static const QStringList names{"steady", "ramp", "traffic"};
    return names;
}

QString MeterConsole::help()
{
    return QStringLiteral(
        "commands: mode logger|measuring, level DB, pattern steady|ramp|traffic, range 0..5, "
        "weighting A|C|Z|AA, time FAST|SLOW|IMP, state run|pause|stop, interval 1..65535, "
        "over on|off, "
        "under on|off, marked on|off, unplug, plug, vanish, return, noise on|off, misalign, corrupt, "
        "shortdump on|off, erase, status, help, quit")
           + loggerHelp();
}

QString MeterConsole::loggerHelp()
{
    return QStringLiteral("; logger: replyfault off|a-short|a-long|l-short|l-long [times], "
                          "corruptmarker SET, corruptstart SET, largememory, pointer P, "
                          "memorysize UNITS");
}

std::optional<QString> MeterConsole::executeLogger(const QStringList& words)
{
    using Fault = LoggerMemory::ReplyFault;
    const QString command = words.front().toLower();
    const auto number = [&](int i, int low, int high) -> std::optional<int> {
        bool ok = false;
        const int value = words.value(i).toInt(&ok);
        return ok && value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
    };
    const QString bad = QStringLiteral("error: bad command '%1' (try help)").arg(words.join(' '));
    if (command == "largememory" && words.size() == 1) {
        m_meter.loadLargeMemory();
        return OkReply;
    }
    if (command == "replyfault" && (words.size() == 2 || words.size() == 3)) {
        static const QStringList names{"off", "a-short", "a-long", "l-short", "l-long"};
        const qsizetype fault = names.indexOf(words.at(1).toLower());
        const auto times = words.size() == 3 ? number(2, 1, 1000000) : std::optional<int>(-1);
        if (fault < 0 || !times)
            return bad;
        m_meter.setReplyFault(Fault(fault), *times);
        return OkReply;
    }
    if ((command == "corruptmarker" || command == "corruptstart") && words.size() == 2) {
        const auto set = number(1, 1, 1000000);
        if (!set)
            return bad;
        const bool done = command == "corruptmarker" ? m_meter.corruptSetMarker(*set)
                                                     : m_meter.corruptSetStart(*set);
        return done ? OkReply : QStringLiteral("error: no set %1").arg(*set);
    }
    if (command == "pointer" && words.size() == 2) {
        const auto pointer = number(1, 0, LoggerMemory::MaxPointer);
        if (!pointer)
            return bad;
        m_meter.setLoggerPointer(*pointer);
        return OkReply;
    }
    if (command == "memorysize" && words.size() == 2) {
        const auto units = number(1, 1, 255);
        if (!units)
            return bad;
        m_meter.setMemorySize(*units);
        return OkReply;
    }
    return std::nullopt;
}

QString MeterConsole::status() const
{
    const VirtualMeter& m = m_meter;
    return QStringLiteral("mode %1, %2 %3 dB, range %4 (%5-%6), weighting %7 %8, state %9, "
                          "over %10, under %11, marked %12, cable %13, noise %14, "
                          "shortdump %15, pointer %16, paced %17, device %18")
        .arg(m.mode() == Mode::Logger ? "logger" : "measuring")
        .arg(patternNames().at(int(m.pattern())))
        .arg(m.level(), 0, 'f', 1)
        .arg(m.rangeCode())
        .arg(rangeLower(m.rangeCode()))
        .arg(rangeUpper(m.rangeCode()))
        .arg(freqWeightingNames().at(m.freqWeighting()))
        .arg(timeWeightingNames().at(m.timeWeighting()))
        .arg(runStateNames().at(int(m.runState())))
        .arg(onOff(m.over()), onOff(m.under()), onOff(m.marked()))
        .arg(m.isPlugged() ? "plugged" : "pulled")
        .arg(onOff(m.noise()), onOff(m.shortDump()))
        .arg(m.loggerPointer())
        .arg(onOff(m.isPaced()))
        .arg(m.isGone() ? "gone" : "present") + settingsStatus(m);
}

QString MeterConsole::settingsStatus(const VirtualMeter& m)
{
    return QStringLiteral(", interval %1 s, clock %2")
        .arg(m.samplingInterval())
        .arg(clockText(m.meterTime()));
}

QString MeterConsole::clockText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString MeterConsole::execute(const QString& line, bool* quit)
{
    const QStringList words = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    if (auto answer = executeLogger(words))
        return *answer;
    const QString command = words.front().toLower();
    const QString arg = words.size() > 1 ? words.at(1) : QString();
    const auto bad = [&] {
        return QStringLiteral("error: bad command '%1' (try help)").arg(line.simplified());
    };
    const auto flag = [&](void (VirtualMeter::*set)(bool)) {
        const auto on = parseOnOff(arg.toLower());
        if (!on || words.size() != 2)
            return bad();
        (m_meter.*set)(*on);
        return OkReply;
    };
    const auto choose = [&](const QStringList& names) {
        for (qsizetype i = 0; words.size() == 2 && i < names.size(); ++i) {
            if (names.at(i).compare(arg, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return -1;
    };

    if (words.size() == 1) {
        if (command == "unplug")
            m_meter.unplug();
        else if (command == "plug")
            m_meter.plug();
        else if (command == "vanish")
            m_meter.vanish();
        else if (command == "return") {
            QString error;
            if (!m_meter.comeBack(&error))
                return QStringLiteral("error: no new pseudo-terminal: %1").arg(error);
            return QStringLiteral("kirv-meter-sim: %1").arg(m_meter.devicePath());
        }
        else if (command == "misalign")
            m_meter.sendMisaligned();
        else if (command == "corrupt")
            m_meter.sendCorruptFrame();
        else if (command == "erase")
            m_meter.eraseMemory();
        else if (command == "status")
            return status();
        else if (command == "help")
            return help();
        else if (command == "quit") {
            if (quit)
                *quit = true;
        } else
            return bad();
        return OkReply;
    }

    if (command == "mode") {
        const QString mode = arg.toLower();
        if (words.size() != 2 || (mode != "logger" && mode != "measuring"))
            return bad();
        m_meter.setMode(mode == "logger" ? Mode::Logger : Mode::Measuring);
        return OkReply;
    }
    if (command == "level") {
        bool ok = false;
        const double db = arg.toDouble(&ok);
        if (!ok || words.size() != 2 || db < 0.0 || db > 200.0)
            return bad();
        m_meter.setLevel(db);
        return OkReply;
    }
    if (command == "interval") {
        bool ok = false;
        const int seconds = arg.toInt(&ok);
        if (!ok || words.size() != 2 || seconds < 1 || seconds > 0xFFFF)
            return bad();
        m_meter.setSamplingInterval(seconds);
        return OkReply;
    }
    if (command == "range") {
        bool ok = false;
        const int code = arg.toInt(&ok);
        if (!ok || words.size() != 2 || code < 0 || code >= RangeCodeCount)
            return bad();
        m_meter.setRangeCode(code);
        return OkReply;
    }
    struct Choice
    {
        const char* command;
        const QStringList& (*names)();
        void (*apply)(VirtualMeter&, int);
    };
    static const Choice choices[] = {
        {"pattern", patternNames, [](VirtualMeter& m, int i) { m.setPattern(Pattern(i)); }},
        {"weighting", freqWeightingNames, [](VirtualMeter& m, int i) { m.setFreqWeighting(i); }},
        {"time", timeWeightingNames, [](VirtualMeter& m, int i) { m.setTimeWeighting(i); }},
        {"state", runStateNames, [](VirtualMeter& m, int i) { m.setRunState(RunState(i)); }},
    };
    for (const Choice& c : choices) {
        if (command != QLatin1String(c.command))
            continue;
        const int i = choose(c.names());
        if (i < 0)
            return bad();
        c.apply(m_meter, i);
        return OkReply;
    }
    if (command == "over")
        return flag(&VirtualMeter::setOver);
    if (command == "under")
        return flag(&VirtualMeter::setUnder);
    if (command == "marked")
        return flag(&VirtualMeter::setMarked);
    if (command == "noise")
        return flag(&VirtualMeter::setNoise);
    if (command == "shortdump")
        return flag(&VirtualMeter::setShortDump);
    return bad();
}

} // namespace kirv::sim
