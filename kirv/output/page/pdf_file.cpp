#include "kirv/output/page/pdf_file.h"

#include "kirv/base/replace_file.h"

#include <QPdfWriter>

namespace kirv {

PdfFile::PdfFile(const QString& path) : m_path(path)
{
    m_bytes.open(QIODevice::WriteOnly);
    m_writer = std::make_unique<QPdfWriter>(&m_bytes);
}

PdfFile::~PdfFile() = default;

FileStatus PdfFile::commit()
{
    const QByteArray& pdf = m_bytes.data();
    // The engine ends a document it finished with its trailer; anything else is a torn one.
    if (!pdf.trimmed().endsWith("%%EOF"))
        return FileStatus::failure("write", m_path, QStringLiteral("the document is incomplete"));
    return replaceFile(m_path, [&pdf](QIODevice& out) { return out.write(pdf) == pdf.size(); });
}

} // namespace kirv
