#include "kirv/widgets/print_job.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/output/page/pdf_file.h"
#include "kirv/base/replace_file.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QPrinter>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace kirv {

QFont listPrintFont()
{
    // A family name is only a wish: the font database may answer it with any face, so each
    // candidate counts only when the face it resolves to is fixed-pitch.
    const auto fixed = [](QFont font) {
        font.setPointSize(8);
        return QFontInfo(font).fixedPitch() ? std::optional<QFont>(font) : std::nullopt;
    };
    QFont wanted(QStringLiteral("Lucida Console"));
    wanted.setStyleHint(QFont::TypeWriter);
    wanted.setFixedPitch(true);
    if (const auto font = fixed(wanted))
        return *font;
    if (const auto font = fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont)))
        return *font;
    QFont generic(QStringLiteral("monospace"));
    generic.setStyleHint(QFont::Monospace);
    if (const auto font = fixed(generic))
        return *font;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family))
            continue;
        if (const auto font = fixed(QFont(family)))
            return *font;
    }
    wanted.setPointSize(8); // a machine without any fixed-pitch face
    return wanted;
}

namespace {

QString printerError(const QPrinter& printer)
{
    if (printer.printerState() == QPrinter::Error)
        return QStringLiteral("The printer reported an error.");
    return QStringLiteral("The printer could not be opened.");
}

} // namespace

PrintTarget::PrintTarget(QPrinter& printer) : m_printer(printer)
{
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return;
    const QString path = printer.outputFileName();
    if (const FileStatus probe = probeTarget(path); !probe.ok()) {
        m_error = probe.error;
        return;
    }
    m_pdf = std::make_unique<PdfFile>(path);
    QPdfWriter& writer = m_pdf->writer();
    writer.setPageLayout(printer.pageLayout());
    writer.setResolution(printer.resolution());
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    writer.setPdfVersion(printer.pdfVersion());
}

PrintTarget::~PrintTarget() = default;

QPagedPaintDevice* PrintTarget::device()
{
    if (!m_error.isEmpty())
        return nullptr;
    if (m_pdf)
        return &m_pdf->writer();
    return &m_printer;
}

QRect PrintTarget::pageRect() const
{
    if (m_pdf)
        return m_pdf->writer().pageLayout().paintRectPixels(m_pdf->writer().resolution());
    return m_printer.pageLayout().paintRectPixels(m_printer.resolution());
}

bool PrintTarget::newPage()
{
    if (m_pdf ? m_pdf->writer().newPage() : m_printer.newPage())
        return true;
    if (m_error.isEmpty())
        m_error = printerError(m_printer);
    return false;
}

bool PrintTarget::finish()
{
    if (!m_error.isEmpty() || m_discarded)
        return false;
    if (m_pdf)
        m_error = m_pdf->commit().error;
    else if (m_printer.printerState() == QPrinter::Error)
        m_error = printerError(m_printer);
    return m_error.isEmpty();
}

void PrintTarget::abort()
{
    // A PDF is simply never written; its device stays for the painter still on it.
    if (m_pdf)
        m_discarded = true;
    else
        m_printer.abort();
}

LinePrinter::LinePrinter(QPrinter& printer, QFont font) : m_target(printer)
{
    QPagedPaintDevice* device = m_target.device();
    if (!device) {
        m_error = m_target.error();
        return;
    }
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(device)) {
        m_error = printerError(printer);
        m_painter.reset();
        return;
    }
    m_painter->setFont(font);
    const QFontMetrics metrics(font, device);
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
    if (m_y > 0 && m_y + m_lineHeight > m_target.pageRect().height()) {
        if (!m_target.newPage()) {
            m_error = m_target.error();
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
    if (!ended && m_error.isEmpty()) {
        m_target.abort();
        m_error = QStringLiteral("The printer failed.");
        return false;
    }
    if (!m_target.finish()) {
        if (m_error.isEmpty())
            m_error = m_target.error();
        return false;
    }
    return true;
}

void LinePrinter::abort()
{
    if (!m_painter)
        return;
    m_target.abort();
    if (m_painter->isActive())
        m_painter->end();
    m_painter.reset();
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

void showPrintFailure(QWidget* parent, const QString& reason)
{
    showCritical(parent, QStringLiteral("Cannot print: %1").arg(reason));
}

bool printWidgetImage(QPrinter& printer, QWidget* widget)
{
    const QPixmap image = widget->grab();
    PrintTarget target(printer);
    QPainter painter;
    bool ok = target.device() && painter.begin(target.device());
    if (ok) {
        QSize size = image.size();
        size.scale(target.pageRect().size(), Qt::KeepAspectRatio);
        painter.drawPixmap(QRect(QPoint(0, 0), size), image);
        ok = painter.end();
    }
    if (ok && target.finish())
        return true;
    target.abort();
    showPrintFailure(widget, target.error().isEmpty() ? printerError(printer) : target.error());
    return false;
}

} // namespace kirv
