#pragma once

#include "kirv/base/filestatus.h"

#include <QBuffer>
#include <QString>

#include <memory>

class QPdfWriter;

namespace kirv {

/// A PDF file written whole or not at all. Its pages are drawn into memory through writer();
/// once the painter has ended, commit() checks that the document is complete (it ends with the
/// trailer's "%%EOF") and puts it in place through replaceFile(): written beside the file,
/// every write checked, synced, then renamed over it. A failed or abandoned document leaves
/// nothing behind and an older file as it was.
class PdfFile
{
public:
    explicit PdfFile(const QString& path);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    QPdfWriter& writer() { return *m_writer; }
    const QString& path() const { return m_path; }
    /// The status names the file and the reason.
    FileStatus commit();

private:
    QString m_path;
    QBuffer m_bytes;
    std::unique_ptr<QPdfWriter> m_writer;
};

} // namespace kirv
