#pragma once

#include "kirv/base/filestatus.h"
#include "kirv/base/progress.h"
#include "kirv/base/text_lines.h"
#include "kirv/records/datafile_format.h"
#include "kirv/records/recordstore.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

class QIODevice;

namespace kirv {
// ---- Writing -------------------------------------------------------------------------------

/// Writes each text as one line (CRLF). Returns false when the device refuses a write.
[[nodiscard]] bool writeLines(QIODevice& out, const QStringList& lines);

/// Writes grid rows 0..lastRow of a record list, one line a row, each cell followed by a tab:
/// row 0 is the column title line, row i is record i. `lastRow` is cut to the record count.
/// `progress` gets the row index (the caption shows it followed by "Records Completed").
/// Returns false when the device refuses a write.
[[nodiscard]] bool WriteRecordRows(QIODevice& out, const RecordStore& records, qsizetype lastRow,
                     const Progress& progress = {}, qsizetype every = ProgressStride);

/// Writes a whole data file: the header lines (none for a plain list file), the column title
/// line and every record. The file is replaced only when everything was written; on failure an
/// existing file keeps its old content and the status names the file and the reason.
FileStatus writeDataFile(const QString& path, const QStringList& headerLines,
                         const RecordStore& records, const Progress& progress = {},
                         qsizetype every = ProgressStride);

// ---- Reading -------------------------------------------------------------------------------


/// Everything the reading of one data file yields, for the list window to show.
struct DataFileContent : DataFileReading
{
    RecordStore records;
};

/// Largest file a view takes; a bigger one is refused with an error text. The biggest file the
/// program writes (348000 records) is about 12 MB; a station's year of seconds (31536000 records)
/// is about 1.1 GB. The records' texts are addressed by 32-bit offsets, so this is their limit.
inline constexpr qsizetype MaxDataFileBytes = RecordStore::MaxTextBytes;

/// Reads a data file. Line ends may be CRLF, LF or CR alone. A path that is not a regular file is
/// refused at once. `progress` gets n - 1 for record line n
/// (lines counted from 0), so the first record of a real-time file reports 9; the caller shows it
/// followed by " Records Completed". Reports follow the rule of Progress.
DataFileContent readDataFile(const QString& path, const Progress& progress = {},
                             qsizetype every = ProgressStride);
/// The same from an open or openable device (QFile, QBuffer).
DataFileContent readDataFile(QIODevice& device, const Progress& progress = {},
                             qsizetype every = ProgressStride);
/// The same from the bytes of a whole file.
DataFileContent parseDataFile(QByteArrayView bytes, const Progress& progress = {},
                              qsizetype every = ProgressStride);

} // namespace kirv
