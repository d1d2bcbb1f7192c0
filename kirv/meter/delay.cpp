#include "kirv/meter/delay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <cmath>

namespace kirv {

namespace {
bool g_cancelled = false;
}

bool waitsCancelled()
{
    return g_cancelled;
}

bool Delay(double seconds, const QObject* owner)
{
    if (g_cancelled)
        return false;
    QPointer<const QObject> guard(owner);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool expired = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        expired = true;
        loop.quit();
    });
    if (owner)
        QObject::connect(owner, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(std::max(0, int(std::lround(seconds * 1000.0))));
    loop.exec();
    // A nested loop that ends before its timer was told to by the application quitting: every
    // later wait must end at once too, or a retry loop would spin.
    if (!expired && !(owner && !guard))
        g_cancelled = true;
    return expired && !g_cancelled && (!owner || guard);
}

} // namespace kirv
