#pragma once

#include "kirv/base/decibels.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace kirv {

// Records in the live list, and in one recording, before the list is saved or the recording stops.
constexpr int MaxListRows = 348000;
// Slots of each panel series: ten days at one sample a second, then the index wraps to 0.
constexpr int SeriesSlots = 864001;
constexpr int LevelClasses1 = 141;   // whole dB, 0..140
constexpr int LevelClasses01 = 1401; // tenths of a dB, 0..1400
constexpr int MinSampleInterval = 1;
constexpr int MaxSampleInterval = 86400;

// The tables and extremes behind the panel's five small graphs, filled once per sample.
struct PanelGraphData
{
    std::array<int, LevelClasses1> LevelCount1{};
    std::array<int, LevelClasses01> LevelCount01{};
    int Count1Low = 145;
    int Count1High = 0;
    int Count01Low = 1450; // tenths of a dB
    int Count01High = 0;
    std::vector<double> LevelSeries = std::vector<double>(SeriesSlots, 0.0);
    std::vector<double> LeqSeries = std::vector<double>(SeriesSlots, 0.0);
    std::vector<double> SELSeries = std::vector<double>(SeriesSlots, 0.0);
    int SeriesIndex = 0;
    double LeqHigh = 0.0;
    double LeqLow = 145.0;
    double SELHigh = 0.0;
    double SELLow = 145.0;

    // One sample: count tables and their edges, Leq/SEL scale, the three series.
    void add(double levelDb, double leq, double sel);
    // Both count tables and SeriesIndex to 0; the edges and scales keep their values.
    void clearCounts();
    // 1 dB histogram when the samples spread over more than 30 dB, else the 0.1 dB one.
    bool showInt() const { return Count01High - Count01Low > 300; }
};

// A record of the live list: number, time and level texts.
struct SampleRecord
{
    QString number;
    QString time;
    QString level;
};

// What the window does after one tick, in this order.
struct TickResult
{
    // BoardLeq, BoardSEL: every tick.
    QString leqText;
    QString selText;
    // BoardMaxdB, BoardMaxTime: when the running maximum rose.
    bool maxChanged = false;
    QString maxText;
    QString maxTime;

    // The rest only when this tick took a sample.
    bool sampled = false;
    // Recording: write recordLine (a line without its line end) to the temporary file, show
    // recordRows; when recordingFull, stop the recording after writing the line.
    bool recorded = false;
    QString recordLine;
    int recordRows = 0;
    bool recordingFull = false;
    // Live list: append record. When listFull the list already holds MaxListRows records and
    // record was not added: save the list to autoListFileName(now), empty it, then call
    // LiveSampler::listSaved() for the record to append as record 1 of the new list.
    bool listFull = false;
    SampleRecord record;
    // Strip charts CWG, CWLeq, CWSEL: one point each.
    double level = 0.0;
    double leq = 0.0;
    double sel = 0.0;
    // Histograms: which one is visible and the x ranges of CWInt and CWDec (class numbers).
    bool showInt = false;
    int intXLow = 0;
    int intXHigh = 0;
    int decXLow = 0;
    int decXHigh = 0;
};

// What the header of the data file gets when a recording stops.
struct RecordingSummary
{
    QString RecMaxText;
    QString RecMaxTime;
    QString RecSELText;
    QString RecLeqText;
    int RecordRows = 0;
};

// The state of the one-second sampling tick.
struct SamplingState
{
    bool Recording = false;
    int SampleInterval = 1;
    int SampleTick = 0;
    QString SampleTime;
    int ListRows = 0;
    int RecordRows = 0;
    RunningLevel Live; // LiveCount, LiveEnergy
    QString LiveLeqText;
    QString LiveSELText;
    LevelMaximum LiveMax; // level: LiveMax, time: LiveMaxTime
    RunningLevel Rec;     // RecCount, RecEnergy
    QString RecLeqText;
    QString RecSELText;
    LevelMaximum RecMax{0.0, QStringLiteral("0"), {}}; // text: RecMaxText, time: RecMaxTime
};

// The panel's one-second tick without the panel: running Leq, SEL and maximum every second,
// a sample every SampleInterval seconds into the live list, the recording file and the graphs.
class LiveSampler
{
public:
    // `rowLimit`: the records a list or a recording holds (MaxListRows; smaller in tests).
    explicit LiveSampler(int rowLimit = MaxListRows) : m_rowLimit(rowLimit) {}

    // levelDb and levelText: the live reading; shownLevelText: the level the panel shows now
    // (LblValue), which is what a sample records.
    TickResult tick(double levelDb, const QString& levelText, const QString& shownLevelText,
                    const QDateTime& now);
    // After the window saved and emptied a full list: the sample held back becomes record 1.
    std::optional<SampleRecord> listSaved();

    // A fresh recording: row count, energy, Leq, SEL and maximum of the recording start over.
    void startRecording();
    // Ends the recording; returns the header values as they stood after its last tick.
    RecordingSummary stopRecording();
    // The link to the meter was lost: ends a recording (without a data file; true when one
    // ran), zeroes the running values and row counts and empties the count tables and series.
    bool resetAfterLinkLoss();
    // Toolbar "Refresh": the live statistics, live list and panel graphs start again; the shown
    // Leq/SEL texts, the Leq/SEL scales and a running recording are left alone.
    void refresh();
    // 1..86400 (clamped); the next sample comes after interval + 1 ticks.
    void setSampleInterval(int seconds);

    const SamplingState& state() const { return m_state; }
    const PanelGraphData& graphs() const { return m_graphs; }

private:
    void takeSample(double levelDb, const QString& shownLevelText, const QString& timeText,
                    TickResult& result);

    int m_rowLimit;
    SamplingState m_state;
    PanelGraphData m_graphs;
    std::optional<SampleRecord> m_heldBack;
};

} // namespace kirv
