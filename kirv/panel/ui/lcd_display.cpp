#include "kirv/panel/ui/lcd_display.h"

namespace kirv {

LcdDisplay::LcdDisplay(const QString& text, QWidget* parent) : QLCDNumber(parent)
{
    setDigitCount(5);
    setSegmentStyle(QLCDNumber::Flat);
    setFrameShape(QFrame::NoFrame);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor::fromRgba(lcd::kInk));
    p.setColor(QPalette::Light, QColor::fromRgba(lcd::kInk));
    p.setColor(QPalette::Dark, QColor::fromRgba(lcd::kFaint));
    setPalette(p);
    setText(text);
}

void LcdDisplay::setText(const QString& text)
{
    m_text = text;
    // The segments have no star: a marked reading shows its digits, the "M" mark says the rest.
    QString shown = text;
    shown.remove(QLatin1Char('*'));
    display(shown);
    setAccessibleName(text);
}

} // namespace kirv
