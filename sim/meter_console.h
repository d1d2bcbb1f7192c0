#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace kirv::sim {

class VirtualMeter;

// The line commands of kirv-meter-sim: "mode logger", "level 85.2", "unplug", ... Each line
// gives one line of answer: "ok", the status, the help, or an error.
class MeterConsole
{
public:
    explicit MeterConsole(VirtualMeter& meter) : m_meter(meter) {}

    // Runs one command line; `quit` is set by "quit". Empty lines give an empty answer.
    QString execute(const QString& line, bool* quit = nullptr);
    QString status() const;
    static QString help();
    // The meter's sampling interval and clock, as the end of the status line shows them.
    static QString settingsStatus(const VirtualMeter& meter);
    // The meter clock as the status and the window show it: "2009/05/07 08:30:00".
    static QString clockText(const QDateTime& time);

    static const QStringList& freqWeightingNames(); // A C Z AA
    static const QStringList& timeWeightingNames(); // FAST SLOW IMP
    static const QStringList& runStateNames();      // run pause stop
    static const QStringList& patternNames();       // steady ramp traffic

private:
    // The logger memory's commands; nothing when the line is not one of them.
    std::optional<QString> executeLogger(const QStringList& words);
    static QString loggerHelp();

    VirtualMeter& m_meter;
};

} // namespace kirv::sim
