#include "kirv/widgets/controls.h"

#include "kirv/widgets/lcd_display.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kirv {

namespace {

// A clickable label as assistive technology sees it: a button named by the text it shows.
class ClickLabelAccessible : public QAccessibleWidget
{
public:
    explicit ClickLabelAccessible(ClickLabel* label)
        : QAccessibleWidget(label, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const auto* label = static_cast<const ClickLabel*>(widget());
        if (t == QAccessible::Name && label->accessibleName().isEmpty())
            return label->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            static_cast<ClickLabel*>(widget())->click();
    }
};

QAccessibleInterface* clickLabelAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("kirv::ClickLabel") && object && object->isWidgetType())
        return new ClickLabelAccessible(static_cast<ClickLabel*>(object));
    return nullptr;
}

constexpr const char* CaptionProperty = "kirvCaption";

// A value with its caption, as assistive technology sees it: static text named
// "caption: value"; the value alone is its value, the caption its description.
class CaptionValueAccessible : public QAccessibleWidget
{
public:
    explicit CaptionValueAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        const auto* label = static_cast<const QLabel*>(widget());
        const QString caption = label->property(CaptionProperty).toString();
        switch (t) {
        case QAccessible::Name:
            return label->text().isEmpty() ? caption : caption + QStringLiteral(": ") + label->text();
        case QAccessible::Value:
            return label->text();
        case QAccessible::Description:
            return label->toolTip().isEmpty() ? caption : label->toolTip();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* captionValueAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("QLabel") || !object || !object->property(CaptionProperty).isValid())
        return nullptr;
    return new CaptionValueAccessible(static_cast<QLabel*>(object));
}

} // namespace

ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(clickLabelAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::click()
{
    emit clicked();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
    QLabel::mouseReleaseEvent(event);
}

void ClickLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

// A label draws no focus frame of its own: its text is underlined while it has the focus.
void ClickLabel::focusInEvent(QFocusEvent* event)
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QLabel::focusInEvent(event);
}

void ClickLabel::focusOutEvent(QFocusEvent* event)
{
    QFont f = font();
    f.setUnderline(false);
    setFont(f);
    QLabel::focusOutEvent(event);
}

void captionValue(QLabel* value, const QString& caption)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(captionValueAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    value->setProperty(CaptionProperty, caption);
    // The label's first text may already have made it a plain interface: it is made anew.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(value);
    if (iface && !dynamic_cast<CaptionValueAccessible*>(iface)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
        QAccessible::queryAccessibleInterface(value);
    }
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
    p.setBrush(QColor::fromRgba(isEnabled() ? lcd::Ink : lcd::Faint));
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
