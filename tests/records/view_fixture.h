#pragma once

// A main window on the in-memory link whose timers run but never fire during a test, the
// scripted dialogs, and helpers to watch captions and read printed PDFs back.

#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "tests/records/pdf_lines.h"
#include "tests/support/scripted_dialogs.h"

#include <QTimer>
#include <QtTest>

namespace kirv::test {

inline QString fixturePath(const char* name)
{
    return QStringLiteral(KIRV_FIXTURES "/") + QLatin1String(name);
}

/// Every caption a window takes, with whether the main window's timers ran at that moment.
class CaptionLog : public QObject
{
public:
    CaptionLog(QWidget* window, const Panel* panel) : m_panel(panel)
    {
        window->installEventFilter(this);
    }

    QStringList captions;
    QList<bool> timersRunning;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowTitleChange) {
            captions.append(static_cast<QWidget*>(watched)->windowTitle());
            timersRunning.append(m_panel->Timer1->isActive() || m_panel->Timer2->isActive());
        }
        return false;
    }

private:
    const Panel* m_panel;
};

struct PanelFixture
{
    MemoryLink link;
    PortTable table{{"memory"}, {}, {}};
    Panel panel{link, PortChoice{1, {}}, table};
    PanelParts parts = attachPanelParts(panel);
    ScriptedDialogs* dialogs = ScriptedDialogs::install();

    PanelFixture()
    {
        // Running, so a command that forgets to switch them on again is seen, but far too slow to
        // fire: no live poll or link recovery gets into the test.
        panel.Timer1->setInterval(3600 * 1000);
        panel.Timer2->setInterval(3600 * 1000);
        panel.startTimers();
    }
    ~PanelFixture() { Dialogs::install(nullptr); }

    bool timersRunning() const { return panel.Timer1->isActive() && panel.Timer2->isActive(); }
};

} // namespace kirv::test
