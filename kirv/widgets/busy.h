#pragma once

#include "kirv/base/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace kirv {

// The hourglass for the length of a long command, whatever way the command ends.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// A window caption that shows progress ("9 Records Completed", "37% Completed") and comes back
// afterwards, whatever way the command ends. The caption is set only when its text changes and
// pending events are served at most every few tens of milliseconds (and at the last report), so
// a long loop is not slowed down by its own progress display and the window stays responsive.
class CaptionProgress
{
public:
    explicit CaptionProgress(QWidget* window);
    ~CaptionProgress();
    CaptionProgress(const CaptionProgress&) = delete;
    CaptionProgress& operator=(const CaptionProgress&) = delete;

    // Shows `text` as the caption (when it differs from what is shown) and lets the window
    // system run when its turn has come; `last` forces both.
    void show(const QString& text, bool last = false);
    // A Progress that shows the count followed by `suffix` ("9" + " Records Completed").
    Progress rows(const QString& suffix);
    // The caption the window had before, restored by the destructor.
    QString original() const { return m_caption; }

private:
    QPointer<QWidget> m_window; // a window closed meanwhile is left alone
    QString m_caption;
    QString m_shown;
    QElapsedTimer m_sinceEvents;
};

// How often a long loop lets the window system run.
inline constexpr int EventIntervalMs = 30;

} // namespace kirv
