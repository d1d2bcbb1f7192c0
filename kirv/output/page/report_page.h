#pragma once

#include "kirv/stats/report_values.h"

#include <QRectF>
#include <QString>

#include <memory>

class QPainter;

namespace kirv {

class PdfFile;

/// Draws the report page of one file into `area` (device coordinates of the painter's page):
/// the file's name and kind, the header values as stored, the computed values, the level trace
/// with pauses hatched, the 0.1 dB distribution, the L(0)..L(99) table and the period levels.
/// Black on white with hatching instead of colour, so it reads the same printed in black and
/// white. Texts are sized in points, so the page looks the same on a printer and in a PDF.
void drawReportPage(QPainter& painter, const QRectF& area, const FileReport& report);

/// Whether the report has a session record page: its file has session details or masks.
bool hasSessionPage(const FileReport& report);
/// The session record of one file into `area`: the data file's SHA-256, the session details,
/// the free notes, the calibration check with its verdict, the timeline notes and the masked
/// spans with their notes (each only when the file has it), as far as one page takes them.
void drawSessionPage(QPainter& painter, const QRectF& area, const FileReport& report);

/// A PDF of report pages on A4, one page per file (and its session record page when it has
/// one), written whole or not at all (PdfFile).
class ReportPdf
{
public:
    explicit ReportPdf(const QString& path);
    ~ReportPdf();

    /// Empty while everything went well; names the file and the reason otherwise.
    QString error() const { return m_error; }
    void addPage(const FileReport& report);
    /// Ends the document and puts it in place; false when it could not be written (an older
    /// file is then left as it was). A document without a page is not written.
    bool finish();

private:
    std::unique_ptr<PdfFile> m_pdf;
    std::unique_ptr<QPainter> m_painter;
    bool m_empty = true;
    QString m_error;
};

} // namespace kirv
