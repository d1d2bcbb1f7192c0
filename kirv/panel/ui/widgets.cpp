#include "kirv/panel/ui/widgets.h"

#include "kirv/panel/ui/lcd_display.h"

#include <QMouseEvent>
#include <QPainter>

namespace kirv {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

Board::Board(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setMinimumHeight(fontMetrics().height() + 8);
    setAutoFillBackground(true);
}

Shape::Shape(Kind kind, const QString& name, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    setAccessibleName(name);
    setFixedSize(sizeHint());
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgba(lcd::kInk));
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    switch (m_kind) {
    case Run: {
        const QPointF tri[3] = {r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()};
        p.drawPolygon(tri, 3);
        break;
    }
    case Pause:
        p.drawRect(QRectF(r.left(), r.top(), r.width() / 3, r.height()));
        p.drawRect(QRectF(r.right() - r.width() / 3, r.top(), r.width() / 3, r.height()));
        break;
    case Stop:
        p.drawRect(r);
        break;
    }
}

} // namespace kirv
