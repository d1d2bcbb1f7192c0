#pragma once

// The whole program in-process against the virtual meter over a real pty: the start-up with
// the port chosen, the panel on QSerialPort, the meter on the other end.
#include "kirv/app/ui/application.h"
#include "kirv/panel/ui/panel.h"
#include "tests/support/scripted_dialogs.h"
#include "sim/virtual_meter.h"

#include <QAction>
#include <QSignalSpy>
#include <QToolButton>
#include <QTest>

// Clicks the panel's toolbar button `key` ("RTC", "Memory", ...).
inline void clickToolbar(kirv::Panel& p, const char* key)
{
    for (int i = 1; i <= kirv::Panel::ToolbarButtons; ++i)
        if (p.toolbarButton(i)->data().toString() == QLatin1String(key))
            p.toolbarWidget(i)->click();
}

struct E2eFixture
{
    kirv::test::ScriptedDialogs* dialogs = kirv::test::ScriptedDialogs::install();
    kirv::Application app;
    kirv::Panel* panel = nullptr;
    kirv::sim::VirtualMeter* meter = nullptr;

    explicit E2eFixture(kirv::Options options = defaults()) : app(std::move(options))
    {
        app.start();
        panel = app.panel();
        meter = app.virtualMeter();
        if (meter)
            meter->setPattern(kirv::sim::VirtualMeter::Pattern::Steady);
    }

    static kirv::Options defaults()
    {
        kirv::Options o;
        o.simulate = true;
        o.com = QStringLiteral("COM1");
        o.unpaced = true;
        return o;
    }

    // Waits until the panel has applied a frame taken after every change made so far.
    bool settle()
    {
        QSignalSpy applied(panel, &kirv::Panel::tickApplied);
        return applied.wait(3000) && applied.wait(3000);
    }
};
