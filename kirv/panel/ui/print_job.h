#pragma once

#include <QFont>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;
class QWidget;

namespace kirv {

// The font of printed lists: "Lucida Console" 8, or the nearest fixed-pitch font where that one
// is missing, so the columns of a list still line up.
QFont listPrintFont();

// Text lines top to bottom on a printer, a new page when one is full. A line is printed whole:
// nothing is cut at the page's edge.
class LinePrinter
{
public:
    explicit LinePrinter(QPrinter& printer, QFont font = listPrintFont());
    ~LinePrinter();

    bool isActive() const;
    void print(const QString& line);
    // Ends the job; false when the printer failed (error() says why).
    bool finish();
    // Discards the job (an interrupted print leaves nothing half-printed behind).
    void abort();
    QString error() const { return m_error; }

private:
    QPrinter& m_printer;
    std::unique_ptr<QPainter> m_painter;
    int m_lineHeight = 0;
    int m_ascent = 0;
    int m_y = 0;
    QString m_error;
};

// The note shown before every print: the printer driver decides what its settings do. Its
// lines are joined by carriage returns.
QString printerNoteText();

// Prints a window's image fitted to one page, its proportions kept. False when the printer
// could not be opened or failed.
bool printWidgetImage(QPrinter& printer, QWidget* widget);

} // namespace kirv
