#pragma once

#include "kirv/base/filestatus.h"
#include "kirv/records/level_masks.h"
#include "kirv/records/level_series.h"

#include <QObject>
#include <QString>

#include <functional>

namespace kirv {

class Plot;

/// The analysis state of one open list: the whole series, the masked spans and the series with
/// them left out, which every figure of the list reads. Masks live in the sidecar beside the data
/// file; a list that came from no file (a downloaded set) keeps them only while it is open.
class FileAnalysis : public QObject
{
    Q_OBJECT

public:
    /// `dataPath` is the data file, empty for none; its sidecar is read now (see loadError()).
    FileAnalysis(const QString& dataPath, LevelSeries series, double interval, QObject* parent);

    /// The analysis a window holds, if it has one.
    static FileAnalysis* of(const QObject* window);

    const QString& dataPath() const { return m_dataPath; }
    double interval() const { return m_interval; }
    const LevelSeries& whole() const { return m_whole; }
    /// The series with the masked records flagged: what every figure is computed from.
    const LevelSeries& series() const { return m_masked; }
    const MaskSpans& spans() const { return m_spans; }
    bool masked() const { return !m_spans.empty(); }
    /// Why the sidecar found at opening was ignored; empty when it was read or there was none.
    const QString& loadError() const { return m_loadError; }

    /// Masks the records from `from` to `to` (civil seconds) and writes the sidecar. When the
    /// sidecar cannot be written, nothing changes and the status says why.
    FileStatus exclude(qint64 from, qint64 to, const QString& note = {});
    /// Takes back the masked span that holds `at`; unchanged when none does.
    FileStatus include(qint64 at);
    /// The records of `records` (the list this analysis was made from) outside the masked
    /// spans, for the figures computed from record texts (L(n), histograms, the report page).
    RecordStore unmaskedRecords(const RecordStore& records) const;
    /// The records first..last (indices, either order) as a span of times; false when none of
    /// them has a time.
    bool spanOfRecords(qsizetype first, qsizetype last, qint64& from, qint64& to) const;

    /// Plots the list this analysis belongs to in the Plot window and returns that window; set
    /// by whoever opened the list, nullptr where none was set or the list could not be plotted.
    void setPlotter(std::function<Plot*()> plotter) { m_plotter = std::move(plotter); }
    Plot* plotList() const { return m_plotter ? m_plotter() : nullptr; }

signals:
    void masksChanged();
    /// A Periods or Events window of the list shows new rows (another length, another rule).
    void tablesChanged();

private:
    FileStatus apply(MaskSpans spans);

    QString m_dataPath;
    LevelSeries m_whole;
    LevelSeries m_masked;
    MaskSpans m_spans;
    double m_interval;
    QString m_loadError;
    std::function<Plot*()> m_plotter;
};

/// T of a list from its header lines (line 2), 1 s where there is none or it is no number.
double intervalOfHeader(const QStringList& headerLines);

} // namespace kirv
