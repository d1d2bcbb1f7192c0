#pragma once

#include "kirv/stats/analysis_values.h"
#include "kirv/stats/figure_summary.h"
#include "kirv/stats/level_events.h"
#include "kirv/stats/noise_exposure.h"
#include "kirv/stats/period_table.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kirv {

/// A level as every analysis view and output shows it: the tenth-truncated text ("79.8"), or
/// empty when missing.
QString analysisLevelText(const std::optional<double>& level);
/// A share 0..1 as a whole per cent ("100"), a dose as per cent with one decimal ("100.0").
QString percentText(double share);
QString doseText(const std::optional<double>& percent);

/// The columns of a period table: "Start", "Records", "Leq", "Lmax", "Lmin", "L10", "L50",
/// "L90", and for days "Ld", "Le", "Ln", "Lden", "Day %", "Evening %", "Night %".
QStringList periodColumnTitles(int minutes);
/// One row's cells as the period window shows them.
QStringList periodCells(const PeriodRow& row, int minutes);

/// The machine columns of a period row in CSV and JSON: start, records, leq, lmax, lmin, l10,
/// l50, l90, and for days ld, le, ln, lden, coverage_day, coverage_evening, coverage_night.
QStringList periodKeys(int minutes);
/// A period row's values in that order: the start as ISO 8601 with the UTC offset, levels with
/// one decimal (empty when missing), coverages with three.
QStringList periodValues(const PeriodRow& row, int minutes);

/// The columns of an events list: "Start", "End", "Duration (s)", "Lmax", "Lmax Time", "Leq",
/// "SEL".
QStringList eventColumnTitles();
QStringList eventCells(const LevelEvent& event);
/// start, end, seconds, lmax, lmax_time, leq, sel.
QStringList eventKeys();
/// The times as ISO 8601 with the UTC offset, empty where a record had no time.
QStringList eventValues(const LevelEvent& event);

/// Rows as CSV: a header row of `keys` (with "file" in front when `file` is given), then one
/// row per value list.
QByteArray csvRows(const QStringList& keys, const QList<QStringList>& rows,
                   const QString& file = {});
/// Values as one JSON object per row; keys with empty values are null, numbers bare.
QByteArray jsonObjects(const QStringList& keys, const QList<QStringList>& rows);

/// The batch report's period table and events: JSON arrays of objects, and CSV rows with the
/// file in front (the header rows name the columns of periods of `minutes`).
QByteArray analysisPeriodsJson(const AnalysisValues& values);
QByteArray analysisEventsJson(const AnalysisValues& values);
QByteArray analysisPeriodsCsvHead(int minutes);
QByteArray analysisPeriodsCsvRows(const QString& file, const AnalysisValues& values);
QByteArray analysisEventsCsvHead();
QByteArray analysisEventsCsvRows(const QString& file, const AnalysisValues& values);

/// A table as lines of text for the printer: every column right-aligned to its widest cell
/// (the first one left-aligned), two blanks apart, a rule under the titles.
QStringList alignedLines(const QStringList& titles, const QList<QStringList>& rows);

/// The window's summary line of a file's figures: each with the whole file's value beside the
/// masked one when masks apply ("Leq 62.0 (whole file 79.3)"), then a line of the exposure.
QString figureSummaryText(const FigureSummary& masked, const std::optional<FigureSummary>& whole);
/// The summary's first line as a list window shows it while `spans` spans are masked:
/// "Masked: Leq 62.0 (whole file 79.3)   Lmax ...   L90 ...   2 spans left out".
QString maskedFiguresText(const FigureSummary& masked, const FigureSummary& whole, qsizetype spans);

} // namespace kirv
