#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace kirv {

class PdfFile;

// The font of printed lists: "Lucida Console" 8, or else a fixed-pitch font of the machine
// (whatever fonts it has), so the columns of a list still line up.
QFont listPrintFont();

// Where a print job draws: the printer itself, or, when the print dialog chose a PDF file, a PDF
// in memory that finish() puts in place whole (PdfFile): a failed job leaves no file behind and
// an older one as it was.
class PrintTarget
{
public:
    explicit PrintTarget(QPrinter& printer);
    ~PrintTarget();

    // Nothing when the target cannot be written at all (error() says why).
    QPagedPaintDevice* device();
    // The printable area in device pixels, with the painter's origin at its top left.
    QRect pageRect() const;
    bool newPage();
    // After the painter has ended: the PDF is put in place, or the printer's state checked.
    // False when the job failed (error() says why and, for a file, which).
    bool finish();
    // Discards the job: a printer's is aborted, a PDF is never written.
    void abort();
    QString error() const { return m_error; }

private:
    QPrinter& m_printer;
    std::unique_ptr<PdfFile> m_pdf;
    bool m_discarded = false;
    QString m_error;
};

// Text lines top to bottom on a printer, a new page when one is full. A line is printed whole:
// nothing is cut at the page's edge.
class LinePrinter
{
public:
    explicit LinePrinter(QPrinter& printer, QFont font = listPrintFont());
    ~LinePrinter();

    bool isActive() const;
    void print(const QString& line);
    // Ends the job; false when the printer or the file failed (error() says why).
    bool finish();
    // Discards the job (an interrupted print leaves nothing half-printed behind).
    void abort();
    QString error() const { return m_error; }

private:
    PrintTarget m_target;
    std::unique_ptr<QPainter> m_painter;
    int m_lineHeight = 0;
    int m_ascent = 0;
    int m_y = 0;
    QString m_error;
};

// The note shown before every print: the printer driver decides what its settings do. Its
// lines are joined by carriage returns.
QString printerNoteText();

// Prints a window's image fitted to one page, its proportions kept. A failure is said in a
// message box on `widget` ("Cannot print: " and the reason); false then.
bool printWidgetImage(QPrinter& printer, QWidget* widget);

// The message of a failed print job: "Cannot print: " and the reason.
void showPrintFailure(QWidget* parent, const QString& reason);

} // namespace kirv
