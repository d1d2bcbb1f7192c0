#pragma once

#include "kirv/records/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QWidget;

namespace kirv {

/// Progress shown in a window's caption for the length of one command; the caption comes back
/// when the command ends, whatever way it ends. The caption changes only when its text does, and
/// the window system gets to run at most every ServeMs milliseconds (and at the first report), so
/// a long loop is not slowed by its own progress display.
class CaptionProgress
{
public:
    static constexpr int ServeMs = 40;

    explicit CaptionProgress(QWidget* window);
    ~CaptionProgress();
    CaptionProgress(const CaptionProgress&) = delete;
    CaptionProgress& operator=(const CaptionProgress&) = delete;

    /// Shows `text` and serves pending events, unless that happened less than ServeMs ago.
    void show(const QString& text);
    /// A report callback that shows the count followed by `suffix` ("9 Records Completed").
    Progress counter(const QString& suffix);

    /// False once the window has gone (closed and deleted while events were served).
    bool windowAlive() const { return !m_window.isNull(); }

private:
    QPointer<QWidget> m_window;
    QString m_caption;
    QElapsedTimer m_served;
};

} // namespace kirv
