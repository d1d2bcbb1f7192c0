#include "kirv/widgets/lcd_display.h"

#include <QPainter>

namespace kirv {

namespace {
// The digits plus one cell at the right for the mark of a marked reading.
constexpr int DigitCells = 5;
constexpr int Cells = DigitCells + 1;
} // namespace

LcdDisplay::LcdDisplay(const QString& text, QWidget* parent) : QLCDNumber(parent)
{
    setDigitCount(Cells);
    setSegmentStyle(QLCDNumber::Flat);
    setFrameShape(QFrame::NoFrame);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor::fromRgba(lcd::Ink));
    p.setColor(QPalette::Light, QColor::fromRgba(lcd::Ink));
    p.setColor(QPalette::Dark, QColor::fromRgba(lcd::Faint));
    setPalette(p);
    setText(text);
}

void LcdDisplay::setText(const QString& text)
{
    m_text = text;
    // The segments have no star: the digits fill the first cells and the last cell, kept free,
    // carries the star of a marked reading (drawn over it).
    QString shown = text;
    shown.remove(QLatin1Char('*'));
    display(shown + QLatin1Char(' '));
    setAccessibleName(text);
    update();
}

bool LcdDisplay::marked() const
{
    return m_text.endsWith(QLatin1Char('*'));
}

void LcdDisplay::paintEvent(QPaintEvent* event)
{
    QLCDNumber::paintEvent(event);
    if (!marked())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect area = contentsRect();
    const int cell = area.width() / Cells;
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(std::max(8, area.height() / 2));
    p.setFont(f);
    p.setPen(QColor::fromRgba(lcd::Ink));
    p.drawText(QRect(area.right() - cell, area.top(), cell, area.height() / 2 + 4), Qt::AlignCenter,
               QStringLiteral("*"));
}

} // namespace kirv
