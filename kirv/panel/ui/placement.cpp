#include "kirv/panel/ui/placement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kirv {

namespace {

// The frame a window gets around its client area. Before it is first shown nothing tells it,
// so any window already on screen stands in: they all carry the same title bar.
QMargins frameMargins(const QWidget* window)
{
    const auto margins = [](const QWidget* w) {
        const QRect outer = w->frameGeometry();
        const QRect inner = w->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    };
    if (window->isVisible())
        return margins(window);
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto shown = std::find_if(windows.begin(), windows.end(),
                                    [](const QWidget* w) { return w->isVisible(); });
    return shown == windows.end() ? QMargins() : margins(*shown);
}

QScreen* screenFor(const QWidget* window, QPoint wanted)
{
    if (QScreen* screen = QGuiApplication::screenAt(wanted))
        return screen;
    if (const QWidget* parent = window->parentWidget())
        return parent->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace

QRect fitInto(const QRect& frame, const QRect& available)
{
    QRect r(frame.topLeft(), frame.size().boundedTo(available.size()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - r.height() + 1));
    return r;
}

void placeWindow(QWidget* window, QPoint wanted, const QRect& keepClear)
{
    // A window not sized yet takes its natural size now, as showing it would.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QScreen* screen = screenFor(window, wanted);
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins margins = frameMargins(window);
    const QSize size = window->size().grownBy(margins);

    QRect frame = fitInto(QRect(wanted, size), available);
    if (!keepClear.isEmpty() && frame.intersects(keepClear)) {
        const QPoint beside[] = {{keepClear.right() + 1, wanted.y()},
                                 {keepClear.left() - size.width(), wanted.y()},
                                 {wanted.x(), keepClear.bottom() + 1},
                                 {wanted.x(), keepClear.top() - size.height()}};
        for (const QPoint& at : beside) {
            const QRect candidate = fitInto(QRect(at, size), available);
            if (candidate.size() == size && !candidate.intersects(keepClear)) {
                frame = candidate;
                break;
            }
        }
    }
    if (frame.size() != size)
        window->resize(frame.size().shrunkBy(margins));
    window->move(frame.topLeft());
}

void placeBeside(QWidget* window, const QWidget* anchor, const QRect& keepClear)
{
    const QRect frame = anchor->frameGeometry();
    placeWindow(window, {frame.left() + frame.width(), frame.top()}, keepClear);
}

QRect globalRect(const QWidget* widget)
{
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

} // namespace kirv
