#pragma once

#include "kirv/records/datafile.h"
#include "kirv/base/filestatus.h"
#include "kirv/base/progress.h"

#include <QFile>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;

namespace kirv {

/// The temporary recording file "Fake" of a running recording, and the writing of the real-time
/// data file when the recording stops.
///
/// Every record line reaches the disk before appendRecord returns, so a crash or a power cut
/// loses at most the sample being written. The recording keeps its own target path from start
/// to stop: saves made meanwhile (a downloaded set, the live list) cannot redirect it. "Fake" is
/// removed only once its data file is written, so a "Fake" that holds records is always one that
/// never became a data file: findLeftRecording() offers it back, saveRecording() saves it.
///
/// While a recording runs its "Fake" is held by a lock file beside it ("Fake.lock"), which the
/// system releases when the program dies. A held "Fake" belongs to a running recording, maybe
/// of another program in the same folder: it is never offered back, replaced or removed. A
/// second recording in the folder writes "Fake-2" (then "Fake-3", ...).
class RecordingFile
{
public:
    RecordingFile();
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    /// Creates "Fake" in `folder` (replacing an earlier one that no recording holds; the first
    /// free of "Fake-2", "Fake-3", ... when another recording holds it), writes the column title
    /// line and remembers `targetPath` as the data file to write at the stop.
    FileStatus start(const QString& folder, const QString& targetPath);
    bool isOpen() const { return m_file.isOpen(); }

    /// Appends record line `rowsWritten() + 1`: number, tab, time, tab, level, tab; then flushes
    /// it to the disk. A refused write leaves the row count unchanged.
    FileStatus appendRecord(const QString& time, const QString& level);
    /// Record lines written in this recording.
    qsizetype rowsWritten() const { return m_rows; }
    /// True once MaxListRecords lines are written: the recording must stop.
    bool isFull() const { return m_rows >= MaxListRecords; }

    /// Stop: closes "Fake" and writes the target data file from `header` and the lines of
    /// "Fake", then its manifest. `copied` gets the count of lines copied (every `every`-th line, and the last).
    /// Once the data file is written "Fake" is removed; after a failure it stays.
    FileStatus finish(const RealTimeHeader& header, const Progress& copied = {},
                      qsizetype every = 1);
    /// Ends the recording without writing the data file (the link was lost).
    void abandon();

    const QString& targetPath() const { return m_target; }
    /// Full path of "Fake" (empty before the first start).
    QString tempPath() const { return m_file.fileName(); }

    /// Whether each line is also forced from the system's cache to the disk (on by default;
    /// tests that write many lines may switch it off).
    void setSyncToDisk(bool sync) { m_sync = sync; }

private:
    QFile m_file;
    std::unique_ptr<QLockFile> m_hold; // the lock of "Fake" while the recording runs
    QString m_target;
    qsizetype m_rows = 0;
    bool m_sync = true;
};

/// A recording that never became a data file: "Fake" in a folder still holding records (after a
/// crash, a power cut, a failed stop or a lost link).
struct LeftRecording
{
    QString tempPath;
    RecordStore records;
    /// Held until the offer is answered, so that no other program offers or reuses the file
    /// meanwhile.
    std::shared_ptr<QLockFile> hold;
};
/// A recording left in `folder`: the first "Fake" ("Fake-2", ...) that holds records and that
/// no running recording holds; nothing when there is none.
std::optional<LeftRecording> findLeftRecording(const QString& folder);

/// The header of a left recording, from its records alone: the interval between its first two
/// times (1 when unknown), the highest level with the time it was first reached, and Leq and SEL
/// of the recorded levels (SEL over records x interval seconds). The weightings and the range
/// are the ones given, "?" where a text is empty.
RealTimeHeader recoveredHeader(const RecordStore& records, const QString& freqWeight,
                               const QString& timeWeight, const QString& range);

/// Writes the real-time data file `targetPath`: the header lines, then every line of the
/// recording file `tempPath` unchanged (a torn last line is ended), all with CRLF. The target is
/// replaced only when the whole file was written.
FileStatus copyRecording(const QString& tempPath, const QString& targetPath,
                         const RealTimeHeader& header, const Progress& copied = {},
                         qsizetype every = 1);
/// The same, then the manifest of the data file (manifestPath()) as it was written.
FileStatus saveRecording(const QString& tempPath, const QString& targetPath,
                         const RealTimeHeader& header, const Progress& copied = {},
                         qsizetype every = 1);

} // namespace kirv
