#include "kirv/widgets/toolbar_icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QTransform>

namespace kirv {

namespace {

QPixmap canvas()
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon glyph(const QString& text, QColor colour)
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(130), 2));
    p.setBrush(colour.lighter(170));
    p.drawRoundedRect(QRectF(3, 3, 42, 42), 8, 8);
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(text.size() > 2 ? 15 : 20);
    p.setFont(f);
    p.setPen(colour.darker(170));
    p.drawText(QRectF(0, 0, 48, 48), Qt::AlignCenter, text);
    return QIcon(pm);
}

QIcon arrow(bool up, QColor colour)
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(150), 2));
    p.setBrush(colour);
    // An upward arrow; the downward one is its mirror image.
    QPainterPath path;
    path.moveTo(24, 6);
    path.lineTo(42, 30);
    path.lineTo(31, 30);
    path.lineTo(31, 42);
    path.lineTo(17, 42);
    path.lineTo(17, 30);
    path.lineTo(6, 30);
    path.closeSubpath();
    if (!up)
        path = QTransform(1, 0, 0, -1, 0, 48).map(path);
    p.drawPath(path);
    return QIcon(pm);
}

QIcon stopMark()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 0, 0), 2));
    p.setBrush(QColor(210, 40, 40));
    p.drawEllipse(QRectF(4, 4, 40, 40));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(16, 16, 16, 16));
    return QIcon(pm);
}

} // namespace

QIcon toolbarIcon(const QString& key)
{
    QStyle* style = QApplication::style();
    const QColor blue(60, 110, 180), green(60, 140, 80), amber(190, 130, 30), red(180, 50, 50);
    if (key == QLatin1String("Save"))
        return style->standardIcon(QStyle::SP_DialogSaveButton);
    if (key == QLatin1String("Stop"))
        return stopMark();
    if (key == QLatin1String("Open"))
        return style->standardIcon(QStyle::SP_DialogOpenButton);
    if (key == QLatin1String("Sampling"))
        return glyph(QStringLiteral("1/s"), blue);
    if (key == QLatin1String("AC"))
        return glyph(QStringLiteral("A/C"), green);
    if (key == QLatin1String("FSI"))
        return glyph(QStringLiteral("F/S"), green);
    if (key == QLatin1String("Up"))
        return arrow(true, green.lighter(120));
    if (key == QLatin1String("Down"))
        return arrow(false, green.lighter(120));
    if (key == QLatin1String("RTC"))
        return glyph(QStringLiteral("RTC"), amber);
    if (key == QLatin1String("Memory"))
        return glyph(QStringLiteral("MEM"), blue);
    if (key == QLatin1String("Erase"))
        return glyph(QStringLiteral("DEL"), red);
    if (key == QLatin1String("Refresh"))
        return style->standardIcon(QStyle::SP_BrowserReload);
    return {};
}

} // namespace kirv
