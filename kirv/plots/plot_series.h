#pragma once

#include <QByteArrayView>

#include <vector>

namespace kirv {

// Levels the plot gives to texts that carry no usable level.
inline constexpr double PlotNoLevel = 25.0;       // a text holding "--" (nothing measured)
inline constexpr double PlotOverLevel = 145.0;    // "L", or a level beyond the scale
inline constexpr double PlotOverOutsidePause = 140.0;
inline constexpr double PlotOverInsidePause = 145.0;
// Heights of the captions that mark a pause on the plot.
inline constexpr double PauseCaptionLevel = 30.0;
/// The pauses a plot marks with their band and captions; those after are counted in one caption.
inline constexpr std::size_t MaxPauseMarks = 500;
inline constexpr double StartCaptionLevel = 105.0;

// One stretch of records the meter marked as paused: `start` is the first marked record,
// `end` the first record measured again (0 when the pause lasts to the last record).
struct PlotPause
{
    qsizetype start = 0;
    qsizetype end = 0;

    friend bool operator==(const PlotPause&, const PlotPause&) = default;
};

// The time plot of a record list: y of record i (1..n) at y[i - 1], and its pauses in order.
struct PlotSeries
{
    std::vector<double> y;
    std::vector<PlotPause> pauses;
};

// Turns the level texts of a record list, record 1 first, into the plot's values.
//
// "--" draws at 25 dB and "L" at 145 dB; a level from 140 dB on is off the scale (145 dB), except
// inside a pause, where only 145 dB and more is. A level marked "*" starts a pause, the next
// unmarked one ends it. None of the texts without a number of their own changes the pause state.
class PlotSeriesBuilder
{
public:
    void reserve(qsizetype records);
    void add(QByteArrayView levelText);
    // A pause still open after the last record is kept without an end.
    PlotSeries finish();

private:
    PlotSeries m_series;
    bool m_paused = false;
};

} // namespace kirv
