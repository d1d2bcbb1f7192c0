#include "kirv/records/ui/caption_progress.h"

#include <QCoreApplication>
#include <QWidget>

namespace kirv {

CaptionProgress::CaptionProgress(QWidget* window)
    : m_window(window), m_caption(window ? window->windowTitle() : QString())
{
}

CaptionProgress::~CaptionProgress()
{
    if (m_window)
        m_window->setWindowTitle(m_caption);
}

void CaptionProgress::show(const QString& text)
{
    if (m_served.isValid() && m_served.elapsed() < ServeMs)
        return;
    if (m_window && m_window->windowTitle() != text)
        m_window->setWindowTitle(text);
    QCoreApplication::processEvents();
    m_served.start();
}

Progress CaptionProgress::counter(const QString& suffix)
{
    return [this, suffix](qsizetype count) { show(QString::number(count) + suffix); };
}

} // namespace kirv
