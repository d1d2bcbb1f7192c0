#pragma once

#include <QtGlobal>

#include <functional>

namespace kirv {

/// Progress of a long file loop (records read, rows written, lines copied). The loops report the
/// first item, then every `every`-th item, and always the last one, so a caller may update a
/// caption and let the window system run inside the callback without slowing the loop down.
using Progress = std::function<void(qsizetype count)>;

/// Default spacing of the reports of the reader and the writers.
inline constexpr qsizetype ProgressStride = 1000;

/// Applies the report rule above; `finish` reports the last value if the stride skipped it.
class ProgressTicker
{
public:
    ProgressTicker(const Progress& report, qsizetype every)
        : m_report(report)
        , m_every(every > 0 ? every : 1)
    {
    }

    void tick(qsizetype value)
    {
        m_last = value;
        m_pending = true;
        if (m_items++ % m_every == 0)
            flush();
    }

    void finish()
    {
        if (m_pending)
            flush();
    }

private:
    void flush()
    {
        m_pending = false;
        if (m_report)
            m_report(m_last);
    }

    const Progress& m_report;
    qsizetype m_every;
    qsizetype m_items = 0;
    qsizetype m_last = 0;
    bool m_pending = false;
};

} // namespace kirv
