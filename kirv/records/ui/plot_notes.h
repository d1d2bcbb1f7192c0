#pragma once

#include "kirv/records/session_details.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QPushButton;

namespace kirv {

class Plot;
class RecordStore;

/// The notes of a file pinned to times on its Plot ("pile driver starts" at 10:00:05): each is
/// drawn as a caption at the first record of its time, with the room rule the plot's other
/// captions follow, so it prints with the graph. A right click on the graph adds one at that
/// record; "Add Note..." (Ctrl+N) adds one at the first record shown. The notes are kept in the
/// file's session details, each addition logged.
class PlotNotes : public QObject
{
    Q_OBJECT

public:
    /// The notes' caption height on the plot, in dB.
    static constexpr double NoteLevel = 135.0;

    /// Shows the notes of `dataPath` on `plot`, over the records of `records` (which outlive
    /// this), replacing notes shown before.
    ~PlotNotes() override;

    static PlotNotes* attach(Plot& plot, const QString& dataPath, const RecordStore& records);

    /// The first record (0-based) whose time is `time` or later, in a list whose times rise;
    /// -1 when every record is earlier or none has a time.
    static qsizetype recordAt(const RecordStore& records, qint64 time);

    /// Asks the note's text and pins it at the time of record `index` (0-based).
    void addNoteAt(qsizetype index);

    /// Draws the notes the sidecar holds now (after the details window saved them).
    void draw();

    QPushButton* CmdAddNote = nullptr;

private:
    PlotNotes(Plot& plot, const QString& dataPath, const RecordStore& records);

    QPointer<Plot> m_plot;
    QString m_dataPath;
    const RecordStore& m_records;
    QStringList m_labels; // names of the captions drawn
    QPointer<QPushButton> m_button;
};

} // namespace kirv
