#include "kirv/widgets/placement.h"

#include <QApplication>
#include <QMainWindow>
#include <QToolBar>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <optional>

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

constexpr const char* KeepInSight = "kirvKeepInSight";

// The top of a window that a window beside it leaves alone: its title bar, menu bar and top
// toolbars, across its whole width.
QRect headerOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    int bottom = window->geometry().top() - 1;
    if (const auto* main = qobject_cast<const QMainWindow*>(window)) {
        if (const QWidget* menu = main->menuWidget(); menu && !menu->isHidden())
            bottom = std::max(bottom, globalRect(menu).bottom());
        const auto bars = main->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
        for (const QToolBar* bar : bars) {
            if (!bar->isHidden() && main->toolBarArea(bar) == Qt::TopToolBarArea)
                bottom = std::max(bottom, globalRect(bar).bottom());
        }
    }
    return bottom < frame.top() ? QRect() : QRect(frame.topLeft(), QPoint(frame.right(), bottom));
}

// The parts marked with keepInSight() in the windows on screen other than `window`.
QList<QRect> partsInSight(const QWidget* window)
{
    QList<QRect> parts;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        if (w == window || !w->isVisible())
            continue;
        const auto children = w->findChildren<QWidget*>();
        for (const QWidget* part : children) {
            if (part->property(KeepInSight).toBool() && part->isVisible())
                parts << globalRect(part);
        }
    }
    return parts;
}

bool coversAny(const QRect& frame, const QList<QRect>& areas)
{
    return std::any_of(areas.begin(), areas.end(), [&frame](const QRect& r) { return frame.intersects(r); });
}

// Where a window of frame size `size` lies: at `wanted` moved in when that covers none of
// `clear`; otherwise in the first place beside one of them (right, left, below, above) that
// fits whole and covers none of `clear`, then the first that covers none of `mustClear`, and
// failing both at `wanted` moved in and shrunk.
QRect placeFrame(QPoint wanted, QSize size, const QRect& available, const QList<QRect>& mustClear,
                 const QList<QRect>& clear)
{
    const QRect moved = fitInto(QRect(wanted, size), available);
    if (!coversAny(moved, clear))
        return moved;
    std::optional<QRect> fallback;
    for (const QRect& area : clear) {
        const QPoint beside[] = {{area.right() + 1, wanted.y()},
                                 {area.left() - size.width(), wanted.y()},
                                 {wanted.x(), area.bottom() + 1},
                                 {wanted.x(), area.top() - size.height()}};
        for (const QPoint& at : beside) {
            const QRect candidate = fitInto(QRect(at, size), available);
            if (candidate.size() != size || coversAny(candidate, mustClear))
                continue;
            if (!coversAny(candidate, clear))
                return candidate;
            if (!fallback)
                fallback = candidate;
        }
    }
    return fallback.value_or(moved);
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

namespace {

// Puts `window` as placeFrame() says, on the screen it opens on; `keepClear` joins `mustClear`.
void place(QWidget* window, QPoint wanted, const QRect& keepClear, QList<QRect> mustClear,
           const QList<QRect>& rather)
{
    // A window not sized yet takes its natural size now, as showing it would.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QScreen* screen = screenFor(window, wanted);
    if (!screen)
        return;
    if (!keepClear.isEmpty())
        mustClear.prepend(keepClear);
    const QMargins margins = frameMargins(window);
    const QSize size = window->size().grownBy(margins);
    const QRect frame = placeFrame(wanted, size, screen->availableGeometry(), mustClear, mustClear + rather);
    if (frame.size() != size)
        window->resize(frame.size().shrunkBy(margins));
    window->move(frame.topLeft());
}

} // namespace

void placeWindow(QWidget* window, QPoint wanted, const QRect& keepClear)
{
    place(window, wanted, keepClear, {}, {});
}

void placeBeside(QWidget* window, const QWidget* anchor, const QRect& keepClear)
{
    const QRect frame = anchor->frameGeometry();
    QList<QRect> header;
    if (const QRect top = headerOf(anchor); !top.isEmpty())
        header << top;
    place(window, {frame.left() + frame.width(), frame.top()}, keepClear, header, partsInSight(window));
}

void keepInSight(QWidget* part)
{
    part->setProperty(KeepInSight, true);
}

QRect globalRect(const QWidget* widget)
{
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

} // namespace kirv
