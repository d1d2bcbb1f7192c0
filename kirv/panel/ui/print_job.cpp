#include "kirv/panel/ui/print_job.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QStringList>
#include <QWidget>

namespace kirv {

QFont listPrintFont()
{
    QFont font(QStringLiteral("Lucida Console"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(8);
    }
    return font;
}

namespace {

QString printerError(const QPrinter& printer)
{
    if (printer.printerState() == QPrinter::Error)
        return QStringLiteral("The printer reported an error.");
    if (!printer.outputFileName().isEmpty())
        return QStringLiteral("Cannot write %1.").arg(printer.outputFileName());
    return QStringLiteral("The printer could not be opened.");
}

} // namespace

LinePrinter::LinePrinter(QPrinter& printer, QFont font) : m_printer(printer)
{
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(&m_printer)) {
        m_error = printerError(m_printer);
        m_painter.reset();
        return;
    }
    m_painter->setFont(font);
    const QFontMetrics metrics(font, &m_printer);
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
}

LinePrinter::~LinePrinter()
{
    if (m_painter)
        abort();
}

bool LinePrinter::isActive() const
{
    return m_painter && m_painter->isActive();
}

void LinePrinter::print(const QString& line)
{
    if (!isActive())
        return;
    const int pageHeight = m_printer.pageLayout().paintRectPixels(m_printer.resolution()).height();
    if (m_y > 0 && m_y + m_lineHeight > pageHeight) {
        if (!m_printer.newPage()) {
            m_error = printerError(m_printer);
            abort();
            return;
        }
        m_y = 0;
    }
    m_painter->drawText(0, m_y + m_ascent, line);
    m_y += m_lineHeight;
}

bool LinePrinter::finish()
{
    if (!isActive())
        return false;
    const bool ended = m_painter->end();
    m_painter.reset();
    if (!ended || m_printer.printerState() == QPrinter::Error) {
        if (m_error.isEmpty())
            m_error = printerError(m_printer);
        return false;
    }
    return true;
}

void LinePrinter::abort()
{
    if (!m_painter)
        return;
    m_printer.abort();
    if (m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    // A PDF cannot be aborted (its engine writes the file on end): remove what was written.
    if (m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty())
        QFile::remove(m_printer.outputFileName());
}

QString printerNoteText()
{
    static const char* const lines[] = {
        "Note",
        "The effect of the properties of the Printer settings",
        "depends on the driver supplied by the printer manufacturer.",
        "Some property settings may have no effect, or several different property settings",
        "may all have the same effect. Settings outside the accepted range may or may not produce "
        "an error.",
        "For more information, see the manufacturer's documentation for the specific driver.",
    };
    QStringList text;
    for (const char* line : lines)
        text.append(QString::fromLatin1(line));
    return text.join(QLatin1Char('\r'));
}

bool printWidgetImage(QPrinter& printer, QWidget* widget)
{
    const QPixmap image = widget->grab();
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(QPoint(0, 0), size), image);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

} // namespace kirv
