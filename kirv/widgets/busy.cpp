#include "kirv/widgets/busy.h"

#include <QApplication>
#include <QWidget>

namespace kirv {

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

CaptionProgress::CaptionProgress(QWidget* window) : m_window(window), m_caption(window->windowTitle())
{
    m_sinceEvents.start();
}

CaptionProgress::~CaptionProgress()
{
    if (m_window)
        m_window->setWindowTitle(m_caption);
}

void CaptionProgress::show(const QString& text, bool last)
{
    const bool due = last || m_sinceEvents.elapsed() >= EventIntervalMs;
    if (!due && !m_shown.isEmpty())
        return;
    if (text != m_shown) {
        m_shown = text;
        if (m_window)
            m_window->setWindowTitle(text);
    }
    QCoreApplication::processEvents();
    m_sinceEvents.restart();
}

Progress CaptionProgress::rows(const QString& suffix)
{
    return [this, suffix](qsizetype n) { show(QString::number(n) + suffix); };
}

} // namespace kirv
