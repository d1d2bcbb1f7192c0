#include "kirv/records/sampling.h"

#include "kirv/base/numbertext.h"
#include "kirv/base/clock.h"
#include "kirv/base/civil_time.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

// Levels arrive in tenths of a dB; the class decisions work on that whole number of tenths, so
// that 93.0 is never taken for 92.99999.
int levelTenths(double levelDb)
{
    if (!std::isfinite(levelDb))
        return 0;
    constexpr double ClampTenths = 1e6;
    return int(std::nearbyint(std::clamp(levelDb * 10.0, -ClampTenths, ClampTenths)));
}

// The integer part in the sense of rounding down, also for negative tenths.
int wholeDb(int tenths)
{
    return tenths >= 0 ? tenths / 10 : -((-tenths + 9) / 10);
}

} // namespace

void PanelGraphData::add(double levelDb, double leq, double sel)
{
    const int c = levelTenths(levelDb);
    const int whole = wholeDb(c);
    // Class k of the 1 dB table holds the levels above k - 1 up to k; levels beyond the table
    // count in its end classes.
    const int coarse = c % 10 != 0 ? whole + 1 : whole;
    ++LevelCount01[std::size_t(std::clamp(c, 0, LevelClasses01 - 1))];
    ++LevelCount1[std::size_t(std::clamp(coarse, 0, LevelClasses1 - 1))];
    Count01High = std::max(Count01High, c);
    Count01Low = std::min(Count01Low, c);
    if (c > 10 * Count1High)
        Count1High = whole + 1;
    if (c < 10 * Count1Low)
        Count1Low = whole - 1;

    LeqHigh = std::max(LeqHigh, leq);
    LeqLow = std::min(LeqLow, leq);
    SELHigh = std::max(SELHigh, sel);
    SELLow = std::min(SELLow, sel);

    if (SeriesIndex < 0 || SeriesIndex >= SeriesSlots)
        SeriesIndex = 0;
    const auto slot = std::size_t(SeriesIndex);
    LevelSeries[slot] = levelDb;
    LeqSeries[slot] = leq;
    SELSeries[slot] = sel;
    if (++SeriesIndex >= SeriesSlots)
        SeriesIndex = 0;
}

void PanelGraphData::clearCounts()
{
    LevelCount1.fill(0);
    LevelCount01.fill(0);
    SeriesIndex = 0;
}

TickResult LiveSampler::tick(double levelDb, const QString& levelText,
                             const QString& shownLevelText, const QDateTime& now)
{
    // A reading that is not a number counts as 0 dB, like an empty display.
    if (!std::isfinite(levelDb))
        levelDb = 0.0;
    SamplingState& s = m_state;
    TickResult result;
    QString timeText;
    const auto time = [&]() -> const QString& {
        if (timeText.isEmpty())
            timeText = stampText(now);
        return timeText;
    };

    s.Live.add(levelDb);
    s.LiveLeqText = s.Live.leqText();
    s.LiveSELText = s.Live.selText();
    result.leqText = s.LiveLeqText;
    result.selText = s.LiveSELText;
    if (levelDb > s.LiveMax.level && s.LiveMax.offer(levelDb, levelText, time())) {
        result.maxChanged = true;
        result.maxText = s.LiveMax.text;
        result.maxTime = s.LiveMax.time;
    }

    if (s.Recording) {
        s.Rec.add(levelDb);
        s.RecLeqText = s.Rec.leqText();
        s.RecSELText = s.Rec.selText();
        if (levelDb > numericValue(s.RecMax.text))
            s.RecMax.offerByText(levelDb, levelText, time());
    }

    if (s.SampleTick < s.SampleInterval) {
        ++s.SampleTick;
        return result;
    }
    s.SampleTick = 1;
    takeSample(levelDb, shownLevelText, time(), result);
    return result;
}

void LiveSampler::takeSample(double levelDb, const QString& shownLevelText,
                             const QString& timeText, TickResult& result)
{
    SamplingState& s = m_state;
    s.SampleTime = timeText;
    result.sampled = true;

    if (s.Recording) {
        ++s.RecordRows;
        result.recorded = true;
        result.recordRows = s.RecordRows;
        result.recordLine = QString::number(s.RecordRows) + QLatin1Char('\t') + timeText
                            + QLatin1Char('\t') + shownLevelText + QLatin1Char('\t');
        result.recordingFull = s.RecordRows >= m_rowLimit;
    } else {
        s.RecordRows = 0;
    }

    result.record = {QString(), timeText, shownLevelText};
    if (s.ListRows != 0 && s.ListRows % m_rowLimit == 0) {
        result.listFull = true;
        m_heldBack = result.record;
    } else {
        ++s.ListRows;
        result.record.number = QString::number(s.ListRows);
        m_heldBack.reset();
    }

    result.level = levelDb;
    result.leq = tenthValue(s.Live.leq());
    result.sel = tenthValue(s.Live.sel());
    m_graphs.add(result.level, result.leq, result.sel);
    result.showInt = m_graphs.showInt();
    result.intXLow = m_graphs.Count1Low - 1;
    result.intXHigh = m_graphs.Count1High + 1;
    result.decXLow = m_graphs.Count01Low - 1;
    result.decXHigh = m_graphs.Count01High + 1;
}

std::optional<SampleRecord> LiveSampler::listSaved()
{
    m_state.ListRows = 0;
    if (!m_heldBack)
        return std::nullopt;
    SampleRecord record = *m_heldBack;
    m_heldBack.reset();
    m_state.ListRows = 1;
    record.number = QString::number(m_state.ListRows);
    return record;
}

void LiveSampler::startRecording()
{
    SamplingState& s = m_state;
    if (s.Recording)
        return;
    s.Recording = true;
    s.RecordRows = 0;
    s.Rec.reset();
    s.RecLeqText.clear();
    s.RecSELText.clear();
    s.RecMax = LevelMaximum{0.0, QStringLiteral("0"), {}};
}

RecordingSummary LiveSampler::stopRecording()
{
    SamplingState& s = m_state;
    const RecordingSummary summary{s.RecMax.text, s.RecMax.time, s.RecSELText, s.RecLeqText,
                                   s.RecordRows};
    s.Recording = false;
    s.Rec.reset();
    s.RecordRows = 0;
    s.RecMax = LevelMaximum{0.0, QStringLiteral("0"), {}};
    return summary;
}

bool LiveSampler::resetAfterLinkLoss()
{
    SamplingState& s = m_state;
    const bool wasRecording = s.Recording;
    s.Recording = false;
    s.LiveMax.level = 0.0;
    s.RecMax.level = 0.0;
    s.RecMax.text = QStringLiteral("0");
    s.RecordRows = 0;
    s.Live.reset();
    s.Rec.reset();
    s.ListRows = 0;
    m_heldBack.reset();
    m_graphs.clearCounts();
    return wasRecording;
}

void LiveSampler::refresh()
{
    SamplingState& s = m_state;
    s.LiveMax.level = 0.0;
    s.Live.reset();
    s.ListRows = 0;
    m_heldBack.reset();
    // Above every possible level, so the first sample sets both edges.
    m_graphs.Count1High = 0;
    m_graphs.Count1Low = 150;
    m_graphs.Count01High = 0;
    m_graphs.Count01Low = 1500;
    m_graphs.clearCounts();
}

void LiveSampler::setSampleInterval(int seconds)
{
    m_state.SampleInterval = std::clamp(seconds, MinSampleInterval, MaxSampleInterval);
    m_state.SampleTick = 0;
}

} // namespace kirv
