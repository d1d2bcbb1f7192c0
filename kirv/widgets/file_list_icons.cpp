#include "kirv/widgets/file_list_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kirv {

namespace {

constexpr int Side = 48;

QPixmap canvas()
{
    QPixmap pm(Side, Side);
    pm.fill(Qt::transparent);
    return pm;
}

void axes(QPainter& p)
{
    p.setPen(QPen(QColor(70, 70, 70), 2));
    p.drawLine(QPointF(6, 4), QPointF(6, 42));
    p.drawLine(QPointF(6, 42), QPointF(44, 42));
}

QIcon plotIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    axes(p);
    QPainterPath trace;
    const double ys[] = {30, 22, 26, 12, 18, 9, 24, 16};
    trace.moveTo(8, 34);
    for (int i = 0; i < 8; ++i)
        trace.lineTo(12 + i * 4.4, ys[i]);
    p.setPen(QPen(QColor(40, 100, 190), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);
    return QIcon(pm);
}

QIcon histogramIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    axes(p);
    const int heights[] = {10, 22, 32, 26, 14, 6};
    p.setPen(QPen(QColor(30, 90, 50), 1));
    p.setBrush(QColor(80, 170, 100));
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF(9 + i * 6, 41 - heights[i], 5, heights[i]));
    return QIcon(pm);
}

QIcon printerIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 5, 20, 14)); // paper going in
    p.setBrush(QColor(150, 155, 165));
    p.drawRoundedRect(QRectF(5, 17, 38, 18), 4, 4); // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(13, 29, 22, 14)); // printed sheet
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    for (int y = 33; y <= 39; y += 3)
        p.drawLine(QPointF(16, y), QPointF(32, y));
    return QIcon(pm);
}

// A sheet with a small bar chart and lines of text: the report page.
QIcon reportIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 30, 42));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 100, 190));
    const int heights[] = {8, 14, 10, 17};
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(14 + i * 5.5, 24 - heights[i], 4, heights[i]));
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    for (int y = 30; y <= 40; y += 5)
        p.drawLine(QPointF(14, y), QPointF(34, y));
    return QIcon(pm);
}

// A small table with a header row: the records as a spreadsheet.
QIcon csvIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 7, 38, 34));
    p.fillRect(QRectF(6, 8, 36, 8), QColor(80, 170, 100));
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    for (const double y : {16.0, 24.5, 33.0})
        p.drawLine(QPointF(6, y), QPointF(42, y));
    for (const double x : {17.0, 30.0})
        p.drawLine(QPointF(x, 8), QPointF(x, 40));
    return QIcon(pm);
}

// A clipboard with a form on it: the session's details.
QIcon detailsIcon()
{
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(250, 246, 232));
    p.drawRoundedRect(QRectF(9, 6, 30, 37), 3, 3);
    p.setBrush(QColor(120, 120, 120));
    p.drawRect(QRectF(17, 3, 14, 6));
    p.setPen(QPen(QColor(47, 111, 179), 2.5));
    for (const double y : {17.0, 25.0, 33.0})
        p.drawLine(QPointF(14, y), QPointF(34, y));
    return QIcon(pm);
}

} // namespace

QIcon fileListIcon(const QString& key)
{
    if (key == QLatin1String("Plot"))
        return plotIcon();
    if (key == QLatin1String("Ln"))
        return histogramIcon();
    if (key == QLatin1String("Print"))
        return printerIcon();
    if (key == QLatin1String("Report"))
        return reportIcon();
    if (key == QLatin1String("CSV"))
        return csvIcon();
    if (key == QLatin1String("Details"))
        return detailsIcon();
    return {};
}

} // namespace kirv
